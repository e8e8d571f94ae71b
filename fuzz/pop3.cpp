// The POP3 reply handling: arrived bytes cut into replies under the buffer
// limit, then each reply read as a STAT reply would be.
#include "diag/erreur.h"
#include "protocol/lecture_pop.h"

#include <cstdint>
#include <cstdlib>

using namespace tk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte sets the size of the arrivals the rest comes in.
    if (size == 0) return 0;
    const qsizetype morceau = 1 + data[0] * 37;
    const QByteArray tout(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    DecoupeurPop d;
    for (qsizetype debut = 0; debut < tout.size(); debut += morceau) {
        const QByteArray arrivee = tout.mid(debut, morceau);
        qsizetype pris = 0;
        for (;;) {
            pris += d.ajouter(arrivee, pris);
            if (d.taille() > DecoupeurPop::LONGUEUR_MAX) std::abort();
            QString reponse;
            if (!d.prochaine(reponse)) break;
            try {
                const QString texte = texte_stat(reponse);
                const int32_t n = nombre_stat(texte);
                const QString taille = taille_stat(texte);
                if (n != 0 && !taille.isEmpty()) (void)nombre_taille(taille);
            } catch (const ErreurVB&) {
                // A reply that is no count is an error the display reports.
            }
        }
        if (pris != arrivee.size()) std::abort(); // every byte is taken, a limit's worth at a time
    }
    return 0;
}
