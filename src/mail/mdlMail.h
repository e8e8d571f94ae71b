// The mailbox check: every few minutes a POP3 dialogue on the bar window's
// socket counts the waiting messages, shows the count beside the mail icon
// and sounds the chosen alarm when it has grown.
#pragma once

#include "protocol/lecture_pop.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlMail {
public:
    explicit mdlMail(Programme& prog);
    // Connects this module's event handlers to the bar window's controls
    // (timerMail, the socket POP) and gives the mail icons their pictures.
    void brancher(frmMain& f);

    // Tick of timerMail (once a minute): counts minutes, starts a check when due.
    void timerMail_Timer();
    // Data arrival on the socket. Data is gathered until a whole line has
    // come; each line is one reply of the server. Reading is paused while
    // the replies are handled.
    void POP_DataArrival(const QByteArray& donnees);
    // Shows one of the four states, chosen by the first five characters:
    // "Recherche POP...", "Inactive", "ERROR:" + a reply, or a STAT reply.
    // The text is rewritten while it is parsed.
    void affichage_nombre_mail(QString& message);

    // Port of the POP3 server: 110, unless the setting "portPop" names another.
    int port_pop();
    // The server box's text as host and port: "host:port" (or "[v6]:port")
    // names the port itself, else the port is port_pop(). Port 995 is POP3
    // over TLS from the first byte.
    void serveur_pop(const QString& texte, QString& hote, int& port);
    static constexpr int PORT_POP3S = 995;

    // Minutes since the last check started; stops at its largest value.
    int16_t compteur_minutes_mail = 0;
    // The last command sent, without its line end: "", "USER …", "PASS …" or "STAT".
    QString derniere_commande_pop;
    // The count of the last count display.
    int32_t nb_mail_precedent = 0;

    // The longest reply kept while waiting for its line end; a longer one is
    // handled as it stands, so a server that never ends its line cannot
    // make the buffer grow.
    static constexpr int LONGUEUR_MAX_REPONSE = static_cast<int>(DecoupeurPop::LONGUEUR_MAX);

private:
    void traiter_reponse(const QString& donnees);
    void sonner_alarme();
    // Closes the socket; nothing more of this connection is handled.
    void fermer_connexion();

    Programme& prog;
    DecoupeurPop decoupeur_;    // data of the current connection not yet handled
    bool en_lecture_ = false;   // inside POP_DataArrival (the trace lets events run)
    uint32_t numero_check_ = 0; // grows at each connection
};

} // namespace tk
