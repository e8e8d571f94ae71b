// The system mixer over ALSA's simple mixer on the "default" device.
#pragma once

#include "platform/mixer.h"

#include <QElapsedTimer>

#include <array>
#include <cstdint>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace tk {

// Maps a raw value of the range [minimum, maximum] to 0..65535 and back.
// Both ends map exactly (minimum <-> 0, maximum <-> 65535); values in between
// round to the nearest step. Out-of-range input is clamped first.
int64_t rawToPresented(int64_t raw, int64_t minimum, int64_t maximum);
int64_t presentedToRaw(int64_t value, int64_t minimum, int64_t maximum);

// A card whose range is coarser than 0..65535 (0..31 is common) cannot hold
// every presented value: a volume of 1 % set here would read back as 0 % and
// the widget would jump at the next tick. This remembers, per line, the last
// value written and the raw step it became; while the element still holds that
// step, reading gives the value written. A change made elsewhere (another raw
// step) reads through the scale as usual.
class LastWrites {
public:
    void remember(MixerLine line, int64_t raw, int64_t value);
    int64_t read(MixerLine line, int64_t raw, int64_t minimum, int64_t maximum) const;
    void forget();

private:
    struct Written {
        bool valid = false;
        int64_t raw = 0;
        int64_t value = 0;
    };
    std::array<Written, 7> writes_{};
};

// The ALSA element that plays the role of each line ("Master" for the speakers).
const char* alsaElementName(MixerLine line);

// Installs an ALSA error handler that prints nothing, once per process: with
// no card or no sound server, ALSA would otherwise print on every attempt.
void silenceAlsaErrors();

// The mixer is opened once and kept for the whole run. Opening again after a
// failure is allowed (open() retries). If the mixer's connection breaks during
// the run (the sound server stopped or restarted), it is closed and reads and
// writes fail, silently; while it is closed they try to open the device again,
// at most once every 2 s, so that the volume shows again once the server is
// back. A machine that never had a mixer (open() never succeeded) costs nothing
// per tick.
class LinuxMixer : public Mixer {
public:
    LinuxMixer();
    ~LinuxMixer() override;
    LinuxMixer(const LinuxMixer&) = delete;
    LinuxMixer& operator=(const LinuxMixer&) = delete;

    int deviceCount() override;
    bool open(int index) override;
    bool hasLine(MixerLine line) override;
    bool volumeRange(MixerLine line, int64_t& minimum, int64_t& maximum) override;
    bool readVolume(MixerLine line, int64_t& value) override;
    bool writeVolume(MixerLine line, int64_t value) override;
    bool readMute(MixerLine line, bool& muted) override;
    bool writeMute(MixerLine line, bool muted) override;

    bool isOpen() const { return handle_ != nullptr; }
    // Shortest time between two attempts to open a lost mixer again.
    static constexpr int kReopenMs = 2000;

private:
    // Opens "default" and loads its elements; null when there is no usable mixer
    // (no device, or no "Master" element).
    static snd_mixer_t* openDefault();
    snd_mixer_elem_t* element(MixerLine line);
    // Takes the events that are waiting, so that changes made elsewhere show.
    bool refresh();
    void close();

    snd_mixer_t* handle_ = nullptr;
    LastWrites writes_;
    bool openedOnce_ = false;    // open() succeeded once: a lost mixer is opened again
    QElapsedTimer sinceAttempt_; // since the last attempt to open it again
};

} // namespace tk
