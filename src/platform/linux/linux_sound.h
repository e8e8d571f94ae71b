// The system beep and synchronous playing of WAV files through ALSA "default".
#pragma once

#include "platform/sound.h"

#include <QByteArray>
#include <cstdint>

namespace tk {

// The playable content of a WAV file: PCM, 8 or 16 bits, mono or stereo.
struct WavPcm {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QByteArray samples; // interleaved frames, as stored (8-bit unsigned, 16-bit little-endian signed)
};

// Reads a RIFF/WAVE image; false when it is not a WAV this service can play
// (compressed or float data, more than two channels, other sample sizes,
// a missing or truncated chunk).
bool parseWav(const QByteArray& image, WavPcm& out);

class LinuxSound : public Sound {
public:
    void beep() override;
    bool playSync(const QString& file) override;
};

} // namespace tk
