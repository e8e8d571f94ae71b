// The update checks: the version file's first line, the version a program
// prints, and the redirects a download may follow.
#include "platform/linux/linux_network.h"
#include "protocol/verification.h"

#include <QUrl>
#include <cstdint>
#include <cstdlib>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray tout(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Parts separated by NUL: version file, program output, address, redirect target.
    const QList<QByteArray> parties = tout.split('\0');
    const QByteArray fichier = parties.value(0), sortie = parties.value(1);
    const QString offerte = premiere_ligne(fichier);
    if (offerte.contains(QLatin1Char('\n')) || offerte.contains(QLatin1Char('\r'))) std::abort();
    const bool annoncee = version_annoncee(sortie, offerte);
    if (annoncee && offerte.isEmpty()) std::abort();
    if (!offerte.isEmpty() && !version_annoncee(fichier, offerte)) std::abort(); // a file names its own first line
    const QUrl depart(QString::fromUtf8(parties.value(2))), cible(QString::fromUtf8(parties.value(3)));
    const bool permise = LinuxNetwork::redirectAllowed(depart, cible);
    if (permise && (cible.host().compare(depart.host(), Qt::CaseInsensitive) != 0 ||
                    cible.scheme().compare(depart.scheme(), Qt::CaseInsensitive) != 0))
        std::abort();
    return 0;
}
