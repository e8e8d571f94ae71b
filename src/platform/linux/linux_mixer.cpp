#include "platform/linux/linux_mixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdarg>
#include <mutex>

namespace tk {

namespace {

constexpr int64_t kPresentedMax = 65535;

void quietHandler(const char*, int, const char*, int, const char*, ...) {}

// Round-half-up division of a non-negative numerator by a positive divisor.
int64_t divideRounded(__int128 numerator, __int128 divisor) {
    return static_cast<int64_t>((2 * numerator + divisor) / (2 * divisor));
}

} // namespace

int64_t rawToPresented(int64_t raw, int64_t minimum, int64_t maximum) {
    if (maximum <= minimum) return 0;
    raw = std::clamp(raw, minimum, maximum);
    return divideRounded(static_cast<__int128>(raw - minimum) * kPresentedMax,
                         static_cast<__int128>(maximum) - minimum);
}

int64_t presentedToRaw(int64_t value, int64_t minimum, int64_t maximum) {
    if (maximum <= minimum) return minimum;
    value = std::clamp<int64_t>(value, 0, kPresentedMax);
    return minimum +
           divideRounded(static_cast<__int128>(value) * (static_cast<__int128>(maximum) - minimum), kPresentedMax);
}

void LastWrites::remember(MixerLine line, int64_t raw, int64_t value) {
    writes_.at(static_cast<size_t>(line)) = {true, raw, std::clamp<int64_t>(value, 0, kPresentedMax)};
}

int64_t LastWrites::read(MixerLine line, int64_t raw, int64_t minimum, int64_t maximum) const {
    const Written& e = writes_.at(static_cast<size_t>(line));
    if (e.valid && e.raw == raw) return e.value;
    return rawToPresented(raw, minimum, maximum);
}

void LastWrites::forget() { writes_ = {}; }

const char* alsaElementName(MixerLine line) {
    switch (line) {
    case MixerLine::Speakers: return "Master";
    case MixerLine::Line: return "Line";
    case MixerLine::Microphone: return "Mic";
    case MixerLine::Synthesizer: return "Synth";
    case MixerLine::CD: return "CD";
    case MixerLine::Wave: return "PCM";
    case MixerLine::Aux: return "Aux";
    }
    return "";
}

void silenceAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietHandler); });
}

LinuxMixer::LinuxMixer() { silenceAlsaErrors(); }

LinuxMixer::~LinuxMixer() { close(); }

snd_mixer_t* LinuxMixer::openDefault() {
    silenceAlsaErrors();
    snd_mixer_t* h = nullptr;
    if (snd_mixer_open(&h, 0) < 0) return nullptr;
    if (snd_mixer_attach(h, "default") < 0 || snd_mixer_selem_register(h, nullptr, nullptr) < 0 ||
        snd_mixer_load(h) < 0) {
        snd_mixer_close(h);
        return nullptr;
    }
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, alsaElementName(MixerLine::Speakers));
    if (!snd_mixer_find_selem(h, id)) {
        snd_mixer_close(h);
        return nullptr;
    }
    return h;
}

void LinuxMixer::close() {
    if (handle_) snd_mixer_close(handle_);
    handle_ = nullptr;
    writes_.forget();
}

int LinuxMixer::deviceCount() {
    if (handle_) return 1;
    snd_mixer_t* h = openDefault();
    if (!h) return 0;
    snd_mixer_close(h);
    return 1;
}

bool LinuxMixer::open(int index) {
    if (index != 0) return false;
    if (!handle_) handle_ = openDefault();
    if (handle_) openedOnce_ = true;
    return handle_ != nullptr;
}

bool LinuxMixer::refresh() {
    if (!handle_) {
        // Lost during the run: the default device again, not more often than
        // every kReopenMs (a server that is still away costs one attempt).
        if (!openedOnce_ || (sinceAttempt_.isValid() && sinceAttempt_.elapsed() < kReopenMs)) return false;
        sinceAttempt_.start();
        handle_ = openDefault();
        if (!handle_) return false;
    }
    if (snd_mixer_handle_events(handle_) < 0) {
        close();
        sinceAttempt_.start();
        return false;
    }
    return true;
}

snd_mixer_elem_t* LinuxMixer::element(MixerLine line) {
    if (!handle_) return nullptr;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, alsaElementName(line));
    snd_mixer_elem_t* e = snd_mixer_find_selem(handle_, id);
    if (e && !snd_mixer_selem_has_playback_volume(e) && !snd_mixer_selem_has_capture_volume(e)) return nullptr;
    return e;
}

bool LinuxMixer::hasLine(MixerLine line) { return element(line) != nullptr; }

// A line's volume is its playback volume, or its capture volume for an input
// that has no playback path.
bool LinuxMixer::volumeRange(MixerLine line, int64_t& minimum, int64_t& maximum) {
    if (!element(line)) return false;
    minimum = 0;
    maximum = kPresentedMax;
    return true;
}

bool LinuxMixer::readVolume(MixerLine line, int64_t& value) {
    if (!refresh()) return false;
    snd_mixer_elem_t* e = element(line);
    if (!e) return false;
    long mn = 0, mx = 0, raw = 0;
    if (snd_mixer_selem_has_playback_volume(e)) {
        if (snd_mixer_selem_get_playback_volume_range(e, &mn, &mx) < 0 ||
            snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &raw) < 0)
            return false;
    } else if (snd_mixer_selem_get_capture_volume_range(e, &mn, &mx) < 0 ||
               snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &raw) < 0) {
        return false;
    }
    value = writes_.read(line, raw, mn, mx);
    return true;
}

bool LinuxMixer::writeVolume(MixerLine line, int64_t value) {
    if (!refresh()) return false;
    snd_mixer_elem_t* e = element(line);
    if (!e) return false;
    long mn = 0, mx = 0;
    int rc = 0;
    int64_t raw = 0;
    if (snd_mixer_selem_has_playback_volume(e)) {
        if (snd_mixer_selem_get_playback_volume_range(e, &mn, &mx) < 0) return false;
        raw = presentedToRaw(value, mn, mx);
        rc = snd_mixer_selem_set_playback_volume_all(e, static_cast<long>(raw));
    } else {
        if (snd_mixer_selem_get_capture_volume_range(e, &mn, &mx) < 0) return false;
        raw = presentedToRaw(value, mn, mx);
        rc = snd_mixer_selem_set_capture_volume_all(e, static_cast<long>(raw));
    }
    if (rc < 0) {
        close(); // the server went away: opened again on a later call
        sinceAttempt_.start();
        return false;
    }
    writes_.remember(line, raw, value);
    return true;
}

// Mute is the playback switch turned off (the capture switch for an input
// without a playback switch). A line without a switch cannot be muted.
bool LinuxMixer::readMute(MixerLine line, bool& muted) {
    if (!refresh()) return false;
    snd_mixer_elem_t* e = element(line);
    if (!e) return false;
    int on = 1;
    if (snd_mixer_selem_has_playback_switch(e)) {
        if (snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
    } else if (snd_mixer_selem_has_capture_switch(e)) {
        if (snd_mixer_selem_get_capture_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
    } else {
        return false;
    }
    muted = on == 0;
    return true;
}

bool LinuxMixer::writeMute(MixerLine line, bool muted) {
    if (!refresh()) return false;
    snd_mixer_elem_t* e = element(line);
    if (!e) return false;
    int rc = 0;
    if (snd_mixer_selem_has_playback_switch(e)) rc = snd_mixer_selem_set_playback_switch_all(e, muted ? 0 : 1);
    else if (snd_mixer_selem_has_capture_switch(e)) rc = snd_mixer_selem_set_capture_switch_all(e, muted ? 0 : 1);
    else return false;
    if (rc < 0) {
        close();
        sinceAttempt_.start();
        return false;
    }
    return true;
}

} // namespace tk
