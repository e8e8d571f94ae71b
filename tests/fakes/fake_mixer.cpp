#include "fakes/fake_mixer.h"

#include <algorithm>

namespace tk {

FakeMixer::FakeMixer() = default;

bool FakeMixer::open(int numero) {
    ++opens;
    if (duringOpen) duringOpen();
    opened = numero >= 0 && numero < devices;
    return opened;
}

bool FakeMixer::hasLine(MixerLine ligne) { return usable(ligne); }

bool FakeMixer::volumeRange(MixerLine ligne, int64_t& minimum, int64_t& maximum) {
    if (!usable(ligne)) return false;
    minimum = line(ligne).minimum;
    maximum = line(ligne).maximum;
    return true;
}

bool FakeMixer::readVolume(MixerLine ligne, int64_t& valeur) {
    ++reads;
    if (!usable(ligne)) return false;
    valeur = line(ligne).value;
    return true;
}

bool FakeMixer::writeVolume(MixerLine ligne, int64_t valeur) {
    writes.push_back({ligne, false, valeur});
    if (!usable(ligne)) return false;
    Line& l = line(ligne);
    l.value = std::clamp(valeur, l.minimum, l.maximum);
    return true;
}

bool FakeMixer::readMute(MixerLine ligne, bool& muet) {
    ++reads;
    if (!usable(ligne) || !line(ligne).hasMute) return false;
    muet = line(ligne).muted;
    return true;
}

bool FakeMixer::writeMute(MixerLine ligne, bool muet) {
    writes.push_back({ligne, true, muet ? 1 : 0});
    if (!usable(ligne) || !line(ligne).hasMute) return false;
    line(ligne).muted = muet;
    return true;
}

} // namespace tk
