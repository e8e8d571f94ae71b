// Checks of what the update server sends, apart from any window: the
// offered version, and the version a downloaded program says it is.
#pragma once

#include <QByteArray>
#include <QString>

namespace tk {

// The first line of a text: up to the first CR or LF, decoded as UTF-8.
QString premiere_ligne(const QByteArray& contenu);

// True when `sortie`, the output of a program run with "--version", names
// exactly the version `offerte`: its first line is that version, or a name
// followed by one blank and that version ("tarvik 1.4.2"). An empty offer
// is never matched.
bool version_annoncee(const QByteArray& sortie, const QString& offerte);

} // namespace tk
