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
    // Opens device number `index`; false when there is none (silently).
    virtual bool open(int index) = 0;
    virtual bool hasLine(MixerLine line) = 0;
    // Volume control: its range and value. Reads take pending mixer events first.
    virtual bool volumeRange(MixerLine line, int64_t& minimum, int64_t& maximum) = 0;
    virtual bool readVolume(MixerLine line, int64_t& value) = 0;
    virtual bool writeVolume(MixerLine line, int64_t value) = 0;
    virtual bool readMute(MixerLine line, bool& muted) = 0;
    virtual bool writeMute(MixerLine line, bool muted) = 0;
};

} // namespace tk
