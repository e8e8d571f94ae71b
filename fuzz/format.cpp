// The value formatter: a number and a picture pattern, in two locales.
#include "diag/erreur.h"
#include "diag/format.h"

#include <QLocale>
#include <cstdint>
#include <cstring>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    double v = 0;
    std::memcpy(&v, data, sizeof v);
    const bool arrondir = data[8] & 1;
    const QString motif = QString::fromUtf8(reinterpret_cast<const char*>(data + 9), static_cast<qsizetype>(size - 9));
    static const QLocale francais(QLocale::French, QLocale::France);
    static const QLocale c(QLocale::C);
    for (const QLocale* l : {&francais, &c}) {
        try {
            (void)format_nombre(v, motif, *l);
        } catch (const ErreurVB&) {}
        try {
            (void)affichage_texte(v, arrondir, *l);
        } catch (const ErreurVB&) {}
    }
    return 0;
}
