#include "diag/textes.h"

#include "diag/erreur.h"

namespace tk {

QString mid_vb(const QString& texte, qsizetype debut, qsizetype longueur) {
    if (debut < 1 || longueur < 0) lever(ERR_APPEL_INCORRECT);
    return texte.mid(debut - 1, longueur);
}

qsizetype instr(const QString& texte, const QString& cherche) { return texte.indexOf(cherche) + 1; }

QString sans_nul_final(const QString& texte) {
    const qsizetype nul = texte.indexOf(QChar(u'\0'));
    return nul < 0 ? texte : texte.left(nul);
}

} // namespace tk
