// The parts of the mailbox dialogue that read what a server sends: the
// cutting of arrived bytes into replies, and the reading of a STAT reply.
// They know nothing of windows or sockets.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tk {

// Arrived bytes, cut into replies. A reply is one line, through its line
// feed; a server that never ends its line gives a reply of the longest
// length kept. Replies and commands are text in UTF-8.
class DecoupeurPop {
public:
    // The most bytes ever kept. A longer line is handed out in pieces of this size.
    static constexpr qsizetype LONGUEUR_MAX = 4096;

    // Takes bytes of `donnees` from `debut` on, as many as fit under the
    // limit; returns how many were taken.
    qsizetype ajouter(const QByteArray& donnees, qsizetype debut = 0);
    // The next whole reply, decoded; false when none is complete.
    bool prochaine(QString& reponse);
    void vider() { tampon_.clear(); }
    qsizetype taille() const { return tampon_.size(); }

    static QString decoder(const QByteArray& octets) { return QString::fromUtf8(octets); }
    static QByteArray encoder(const QString& texte) { return texte.toUtf8(); }

private:
    QByteArray tampon_;
};

// The STAT reply with every "+OK " (with its blank), every CR and every LF removed.
QString texte_stat(QString reponse);
// The message count of a cleaned STAT reply: the whole part of the number
// before the first "mess" when there is one; else, for a text of at most 30
// characters, of the number before the first blank; else 0. Fewer than 4
// characters give 0. Errors (no number, out of the 32-bit range) are thrown.
int32_t nombre_stat(const QString& texte);
// The size text of a cleaned STAT reply: between "messages" and "octets",
// or from the first blank on; empty when the count rule gives no size.
QString taille_stat(const QString& texte);
// The size text as a number; parentheses around it are dropped first.
double nombre_taille(QString taille);

} // namespace tk
