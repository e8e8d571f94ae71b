#include "protocol/verification.h"

namespace tk {

QString premiere_ligne(const QByteArray& contenu) {
    qsizetype fin = 0;
    while (fin < contenu.size() && contenu[fin] != '\r' && contenu[fin] != '\n') ++fin;
    return QString::fromUtf8(contenu.left(fin));
}

bool version_annoncee(const QByteArray& sortie, const QString& offerte) {
    if (offerte.isEmpty()) return false;
    const QString ligne = premiere_ligne(sortie);
    if (ligne == offerte) return true;
    const qsizetype blanc = ligne.indexOf(QLatin1Char(' '));
    return blanc > 0 && ligne.mid(blanc + 1) == offerte && !ligne.left(blanc).contains(QLatin1Char(' '));
}

} // namespace tk
