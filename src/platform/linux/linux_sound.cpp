#include "platform/linux/linux_sound.h"

#include "platform/linux/linux_mixer.h"

#include <QApplication>
#include <QFile>

#include <alsa/asoundlib.h>

#include <cstring>

namespace tk {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024; // a sound, not a film

uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}
uint16_t le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(u[0] | (u[1] << 8));
}

} // namespace

bool parseWav(const QByteArray& image, WavPcm& out) {
    const char* d = image.constData();
    const qint64 n = image.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) return false;

    bool haveFormat = false;
    WavPcm wav;
    int blockAlign = 0;
    qint64 pos = 12;
    while (pos + 8 <= n) {
        const char* chunk = d + pos;
        const qint64 size = le32(chunk + 4);
        const qint64 body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || body + size > n) return false;
            uint16_t format = le16(d + body);
            if (format == kFormatExtensible) {
                // The sub-format GUID starts with the plain format code.
                if (size < 40) return false;
                format = le16(d + body + 24);
            }
            if (format != kFormatPcm) return false;
            wav.channels = le16(d + body + 2);
            wav.rate = static_cast<int>(le32(d + body + 4));
            blockAlign = le16(d + body + 12);
            wav.bits = le16(d + body + 14);
            if (wav.channels < 1 || wav.channels > 2 || (wav.bits != 8 && wav.bits != 16) || wav.rate < 1000 ||
                wav.rate > 384000 || blockAlign != wav.channels * wav.bits / 8)
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return false;
            // A data chunk cut short (a common writer fault) plays what is there.
            const qint64 available = std::min(size, n - body);
            const qint64 whole = available - available % blockAlign;
            if (whole <= 0) return false;
            wav.samples = image.mid(body, whole);
            out = wav;
            return true;
        }
        pos = body + size + (size & 1); // chunks are padded to even sizes
    }
    return false;
}

void LinuxSound::beep() {
    // On X11 this rings the server's bell; with no display it does nothing.
    QApplication::beep();
}

bool LinuxSound::playSync(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize) return false;
    WavPcm wav;
    if (!parseWav(f.readAll(), wav)) return false;

    silenceAlsaErrors();
    snd_pcm_t* pcm = nullptr;
    // A device another program holds makes the open fail at once (busy)
    // instead of freezing the bar until it is free; playing stays synchronous.
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return false;
    if (snd_pcm_nonblock(pcm, 0) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    const snd_pcm_format_t format = wav.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(wav.channels),
                           static_cast<unsigned>(wav.rate), 1, 200000) < 0) {
        snd_pcm_close(pcm);
        return false;
    }
    const int frameBytes = wav.channels * wav.bits / 8;
    const char* p = wav.samples.constData();
    snd_pcm_uframes_t left = static_cast<snd_pcm_uframes_t>(wav.samples.size() / frameBytes);
    bool ok = true;
    while (left > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, p, left);
        if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
        if (written < 0) {
            ok = false;
            break;
        }
        p += written * frameBytes;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
    if (ok) snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
    return ok;
}

} // namespace tk
