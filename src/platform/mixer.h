// The system mixer. Every volume is presented as a range 0..65535 whatever
// the device's own range; mute is the playback switch turned off.
#pragma once

#include <QString>
#include <cstdint>

namespace tk {

enum class MixerLine { Speakers, Line, Microphone, Synthesizer, CD, Wave, Aux };

class Mixer {
public:
    virtual ~Mixer() = default;
    virtual int deviceCount() = 0;
    // Opens device `numero`; false when there is none (silently).
    virtual bool open(int numero) = 0;
    virtual bool hasLine(MixerLine ligne) = 0;
    // Volume control: its range and value. Reads take pending mixer events first.
    virtual bool volumeRange(MixerLine ligne, int64_t& minimum, int64_t& maximum) = 0;
    virtual bool readVolume(MixerLine ligne, int64_t& valeur) = 0;
    virtual bool writeVolume(MixerLine ligne, int64_t valeur) = 0;
    virtual bool readMute(MixerLine ligne, bool& muet) = 0;
    virtual bool writeMute(MixerLine ligne, bool muet) = 0;
};

} // namespace tk
