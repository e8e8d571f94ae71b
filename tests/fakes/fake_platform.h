// The whole fake platform, and a program object built on it, for unit tests.
#pragma once

#include "app/programme.h"
#include "fakes/fake_counters.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_files.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"

#include <memory>

namespace tk {

struct FakePlatform {
    FakeShell shell;
    FakeCounters counters;
    FakeSystem system;
    FakeMixer mixer;
    FakeRegistry registry;
    FakeNetwork network;
    FakeFiles files;
    FakeSound sound;
    FakeDialogs dialogs;

    Platform platform() { return Platform{shell, counters, system, mixer, registry, network, files, sound, dialogs}; }
};

// A fake platform and a program object on it; the program is destroyed first.
struct TestBench {
    FakePlatform fp;
    std::unique_ptr<Programme> prog = std::make_unique<Programme>(fp.platform());
    Programme& p() { return *prog; }
};

} // namespace tk
