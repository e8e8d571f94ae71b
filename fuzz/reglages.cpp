// The settings file codec: any text read, written out and read again gives
// the same settings.
#include "platform/linux/linux_registry.h"

#include <cstdint>
#include <cstdlib>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString texte = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto une = LinuxRegistry::lireTexte(texte);
    const auto deux = LinuxRegistry::lireTexte(LinuxRegistry::ecrireTexte(une));
    if (une.size() != deux.size()) std::abort();
    for (size_t i = 0; i < une.size(); ++i) {
        if (une[i].nom != deux[i].nom || une[i].entrees.size() != deux[i].entrees.size()) std::abort();
        for (size_t j = 0; j < une[i].entrees.size(); ++j)
            if (une[i].entrees[j].cle != deux[i].entrees[j].cle || une[i].entrees[j].valeur != deux[i].entrees[j].valeur)
                std::abort();
    }
    return 0;
}
