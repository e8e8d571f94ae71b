// The WAV reader of the sound service.
#include "platform/linux/linux_sound.h"

#include <cstdint>
#include <cstdlib>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    WavPcm wav;
    if (parseWav(image, wav)) {
        if (wav.channels < 1 || wav.channels > 2 || (wav.bits != 8 && wav.bits != 16)) std::abort();
        if (wav.samples.size() > image.size()) std::abort();
    }
    return 0;
}
