// A mixer for unit tests: each line has its own range, value and mute, the
// device count is set by the test, and every write is recorded. As with the
// real mixer, nothing can be read or written before a successful open().
#pragma once

#include "platform/mixer.h"

#include <functional>

#include <array>
#include <vector>

namespace tk {

class FakeMixer : public Mixer {
public:
    struct Line {
        bool present = true;
        int64_t minimum = 0;
        int64_t maximum = 65535;
        int64_t value = 0;
        bool hasMute = true;
        bool muted = false;
    };
    struct Write {
        MixerLine line;
        bool mute;     // true for a mute write, false for a volume write
        int64_t value; // the value asked for (before clamping), or 0/1 for mute
    };

    FakeMixer();

    int devices = 1;
    bool opened = false;
    int opens = 0; // calls to open()
    int reads = 0; // calls to readVolume and readMute
    std::vector<Write> writes;
    std::function<void()> duringOpen; // runs inside open(), before it answers

    Line& line(MixerLine which) { return lines_[static_cast<size_t>(which)]; }

    int deviceCount() override { return devices; }
    bool open(int index) override;
    bool hasLine(MixerLine which) override;
    bool volumeRange(MixerLine which, int64_t& minimum, int64_t& maximum) override;
    bool readVolume(MixerLine which, int64_t& value) override;
    bool writeVolume(MixerLine which, int64_t value) override;
    bool readMute(MixerLine which, bool& muted) override;
    bool writeMute(MixerLine which, bool muted) override;

private:
    bool usable(MixerLine which) { return opened && line(which).present; }
    std::array<Line, 7> lines_;
};

} // namespace tk
