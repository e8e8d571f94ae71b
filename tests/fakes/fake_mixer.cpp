#include "fakes/fake_mixer.h"

#include <algorithm>

namespace tk {

FakeMixer::FakeMixer() = default;

bool FakeMixer::open(int index) {
    ++opens;
    if (duringOpen) duringOpen();
    opened = index >= 0 && index < devices;
    return opened;
}

bool FakeMixer::hasLine(MixerLine which) { return usable(which); }

bool FakeMixer::volumeRange(MixerLine which, int64_t& minimum, int64_t& maximum) {
    if (!usable(which)) return false;
    minimum = line(which).minimum;
    maximum = line(which).maximum;
    return true;
}

bool FakeMixer::readVolume(MixerLine which, int64_t& value) {
    ++reads;
    if (!usable(which)) return false;
    value = line(which).value;
    return true;
}

bool FakeMixer::writeVolume(MixerLine which, int64_t value) {
    writes.push_back({which, false, value});
    if (!usable(which)) return false;
    Line& l = line(which);
    l.value = std::clamp(value, l.minimum, l.maximum);
    return true;
}

bool FakeMixer::readMute(MixerLine which, bool& muted) {
    ++reads;
    if (!usable(which) || !line(which).hasMute) return false;
    muted = line(which).muted;
    return true;
}

bool FakeMixer::writeMute(MixerLine which, bool muted) {
    writes.push_back({which, true, muted ? 1 : 0});
    if (!usable(which) || !line(which).hasMute) return false;
    line(which).muted = muted;
    return true;
}

} // namespace tk
