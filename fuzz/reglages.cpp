// The settings file codec: any text read, written out and read again gives
// the same settings.
#include "platform/linux/settings_file.h"

#include <cstdint>
#include <cstdlib>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString texte = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto une = parseSettings(texte);
    const auto deux = parseSettings(formatSettings(une));
    if (une.size() != deux.size()) std::abort();
    for (size_t i = 0; i < une.size(); ++i) {
        if (une[i].name != deux[i].name || une[i].entries.size() != deux[i].entries.size()) std::abort();
        for (size_t j = 0; j < une[i].entries.size(); ++j)
            if (une[i].entries[j].key != deux[i].entries[j].key || une[i].entries[j].value != deux[i].entries[j].value)
                std::abort();
    }
    return 0;
}
