#include "protocol/lecture_pop.h"

#include "diag/erreur.h"
#include "diag/numerique.h"
#include "diag/textes.h"

namespace tk {

qsizetype DecoupeurPop::ajouter(const QByteArray& donnees, qsizetype debut) {
    if (debut < 0 || debut >= donnees.size()) return 0;
    const qsizetype n = std::min(donnees.size() - debut, LONGUEUR_MAX - tampon_.size());
    if (n <= 0) return 0;
    tampon_.append(donnees.constData() + debut, n);
    return n;
}

bool DecoupeurPop::prochaine(QString& reponse) {
    const qsizetype fin = tampon_.indexOf('\n');
    QByteArray ligne;
    if (fin >= 0) {
        ligne = tampon_.left(fin + 1);
        tampon_.remove(0, fin + 1);
    } else if (tampon_.size() >= LONGUEUR_MAX) {
        ligne = std::exchange(tampon_, {});
    } else {
        return false;
    }
    reponse = decoder(ligne);
    return true;
}

QString texte_stat(QString reponse) {
    reponse.remove(QStringLiteral("+OK "));
    reponse.remove(QLatin1Char('\r'));
    reponse.remove(QLatin1Char('\n'));
    return reponse;
}

int32_t nombre_stat(const QString& texte) {
    if (texte.size() < 4) return 0;
    const qsizetype p = instr(texte, QStringLiteral("mess"));
    if (p > 0) return CLng(partie_entiere(CDbl(texte.left(p - 1))));
    if (texte.size() > 30) return 0;
    const qsizetype b = instr(texte, QStringLiteral(" "));
    if (b < 1) lever(ERR_APPEL_INCORRECT);
    return CLng(partie_entiere(CDbl(texte.left(b - 1))));
}

QString taille_stat(const QString& texte) {
    if (texte.size() < 4) return {};
    if (instr(texte, QStringLiteral("mess")) > 0) {
        const qsizetype pm = instr(texte, QStringLiteral("messages"));
        const qsizetype po = instr(texte, QStringLiteral("octets"));
        return mid_vb(texte, pm + 8, po - pm - 8);
    }
    if (texte.size() > 30) return {};
    const qsizetype b = instr(texte, QStringLiteral(" "));
    if (b < 1) lever(ERR_APPEL_INCORRECT);
    return texte.mid(b - 1);
}

double nombre_taille(QString taille) {
    // Some servers put the size between parentheses ("2 messages (320 octets)").
    taille.remove(QLatin1Char('('));
    taille.remove(QLatin1Char(')'));
    return CDbl(taille);
}

} // namespace tk
