// The platform services the program is built against, gathered in one
// struct handed to the program object.
#pragma once

#include "platform/counters.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/mixer.h"
#include "platform/network.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/system.h"

namespace tk {

struct Platform {
    Shell& shell;
    Counters& counters;
    System& system;
    Mixer& mixer;
    Registry& registry;
    Network& network;
    Files& files;
    Sound& sound;
    Dialogs& dialogs;
};

} // namespace tk
