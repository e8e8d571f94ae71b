#include "mail/mdlMail.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "mail/dessins_mail.h"
#include "protocol/lecture_pop.h"
#include "options/frmOption.h"

#include <limits>

namespace tk {

namespace {

const QString FENETRE = QStringLiteral("frmMain");
constexpr int PORT_POP3 = 110;

} // namespace

mdlMail::mdlMail(Programme& p) : prog(p) {}

void mdlMail::brancher(frmMain& f) {
    // A new bar window starts with an empty dialogue and no count.
    compteur_minutes_mail = 0;
    derniere_commande_pop.clear();
    nb_mail_precedent = 0;
    decoupeur_.vider();
    en_lecture_ = false;
    ++numero_check_;

    f.picMail(0).setPicture(dessins::enveloppe_vide());
    f.picMail(1).setPicture(dessins::enveloppe_pleine());
    f.timerMail->Tick = [this] { timerMail_Timer(); };
    if (f.POP) f.POP->onData = [this](const QByteArray& donnees) { POP_DataArrival(donnees); };
    // A refused certificate or handshake shows "!" with the reason, as a
    // refused login does; the next check tries again.
    if (f.POP)
        f.POP->onTlsError = [this](const QString& raison) {
            QString m = QStringLiteral("ERROR:") + raison;
            affichage_nombre_mail(m);
        };
}

int mdlMail::port_pop() {
    bool ok = false;
    const int port = prog.GetSetting(QStringLiteral("portPop"), QString()).trimmed().toInt(&ok);
    return ok && port > 0 && port <= 65535 ? port : PORT_POP3;
}

void mdlMail::serveur_pop(const QString& texte, QString& hote, int& port) {
    hote = texte;
    port = port_pop();
    qsizetype deux_points = -1;
    if (texte.startsWith(QLatin1Char('['))) {
        // "[address]:port": an IPv6 address holds colons of its own.
        const qsizetype fin = texte.indexOf(QStringLiteral("]:"));
        if (fin < 0) return;
        deux_points = fin + 1;
    } else {
        deux_points = texte.indexOf(QLatin1Char(':'));
        if (deux_points < 0 || texte.indexOf(QLatin1Char(':'), deux_points + 1) >= 0)
            return; // none, or a bare IPv6 address
    }
    const QString chiffres = texte.mid(deux_points + 1);
    if (chiffres.isEmpty() || chiffres.size() > 5) return;
    for (const QChar c : chiffres)
        if (c < u'0' || c > u'9') return;
    const int n = chiffres.toInt();
    if (n < 1 || n > 65535) return;
    hote = texte.left(deux_points);
    if (hote.startsWith(QLatin1Char('['))) hote = hote.mid(1, hote.size() - 2);
    port = n;
}

void mdlMail::timerMail_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("timerMail_Timer"), FENETRE);
    // Without a server the counter is never reset: it stops at its largest value.
    if (compteur_minutes_mail < std::numeric_limits<int16_t>::max()) ++compteur_minutes_mail;

    QString serveur;
    if (!t([&] { serveur = prog.frmOption().txtMail(0).Text(); })) return;
    if (serveur.isEmpty()) {
        QString m = QStringLiteral("Inactive");
        affichage_nombre_mail(m);
        return;
    }

    bool du = false;
    t([&] { du = compteur_minutes_mail >= CInt(prog.frmOption().txtMail(3).Text()); });
    if (!du) return;

    QString m = QStringLiteral("Recherche POP...");
    affichage_nombre_mail(m);
    frmMain& f = prog.frmMain();
    // A check still under way (or a server that never answered) is closed first;
    // the one socket of the bar window is reused.
    t([&] {
        if (!f.POP) lever(ERR_OBJET_NON_DEFINI);
        f.POP->close();
    });
    // Each check runs the whole dialogue, whatever the previous one left.
    derniere_commande_pop.clear();
    decoupeur_.vider();
    ++numero_check_;
    t([&] {
        if (!f.POP) lever(ERR_OBJET_NON_DEFINI);
        QString hote;
        int port = PORT_POP3;
        serveur_pop(serveur, hote, port);
        if (port == PORT_POP3S) f.POP->connectToTls(hote, port);
        else f.POP->connectTo(hote, port);
    });
    compteur_minutes_mail = 0;
}

// Reading is paused while a reply is handled: the handling lets events run
// (the trace, an error box, a synchronous alarm), and data arriving meanwhile
// stays in the socket's bounded buffer, holding the server back, until this
// handler is done. Should data come in anyway, it is dropped with the
// connection: the buffer never holds more than its limit.
void mdlMail::POP_DataArrival(const QByteArray& donnees) {
    if (en_lecture_) {
        fermer_connexion();
        return;
    }
    en_lecture_ = true;
    Socket* socket = prog.frmMain().POP.get();
    if (socket) socket->setReadingPaused(true);
    const uint32_t numero = numero_check_;
    qsizetype pris = 0;
    for (;;) {
        pris += decoupeur_.ajouter(donnees, pris);
        QString reponse;
        if (!decoupeur_.prochaine(reponse)) break;
        traiter_reponse(reponse);
        // The rest belongs to a connection that was closed meanwhile.
        if (numero != numero_check_) break;
    }
    en_lecture_ = false;
    // The bar window may have been unloaded meanwhile, taking its socket.
    tk::frmMain* f = prog.frmMain_si_charge();
    if (f && f->POP && f->POP.get() == socket) socket->setReadingPaused(false);
}

void mdlMail::fermer_connexion() {
    // Whatever is still to come from this connection is stale.
    ++numero_check_;
    decoupeur_.vider();
    if (tk::frmMain* f = prog.frmMain_si_charge(); f && f->POP) f->POP->close();
}

void mdlMail::traiter_reponse(const QString& donnees) {
    Piege t(prog.rapporteur(), QStringLiteral("POP_DataArrival"), FENETRE);
    // Every call that can let events run (the trace, an error box, the alarm,
    // loading the options dialog) may start the next check; after each one
    // this reply acts only if its own connection is still the current one.
    const uint32_t numero = numero_check_;
    auto a_jour = [&] { return numero == numero_check_; };
    t([&] { prog.fonctions().trace_debug(QStringLiteral("RECU:") + donnees); });
    if (!a_jour()) return;

    if (donnees.left(3) != QStringLiteral("+OK")) {
        QString m = QStringLiteral("ERROR:") + donnees;
        affichage_nombre_mail(m);
        return;
    }

    frmMain& f = prog.frmMain();
    const QString etape = derniere_commande_pop.left(4);
    QString suivante;
    if (etape.isEmpty()) {
        t([&] { suivante = QStringLiteral("USER ") + prog.frmOption().txtMail(1).Text(); });
    } else if (etape == QStringLiteral("USER")) {
        t([&] { suivante = QStringLiteral("PASS ") + prog.frmOption().txtMail(2).Text(); });
    } else if (etape == QStringLiteral("PASS")) {
        prog.reponse_boite_mail = donnees;
        suivante = QStringLiteral("STAT");
    } else if (etape == QStringLiteral("STAT")) {
        QString m = donnees;
        affichage_nombre_mail(m);
        if (!a_jour()) return;
        derniere_commande_pop.clear();
        t([&] {
            if (!f.POP) lever(ERR_OBJET_NON_DEFINI);
            fermer_connexion();
        });
        return;
    }
    if (suivante.isEmpty() || !a_jour()) return;

    derniere_commande_pop = suivante;
    t([&] {
        if (!f.POP) lever(ERR_OBJET_NON_DEFINI);
        f.POP->send(DecoupeurPop::encoder(suivante + QStringLiteral("\r\n")));
    });
    t([&] { prog.fonctions().trace_debug(QStringLiteral("ENVOI:") + suivante); });
}

void mdlMail::affichage_nombre_mail(QString& message) {
    Piege t(prog.rapporteur(), QStringLiteral("affichage_nombre_mail"), FENETRE);
    frmMain& f = prog.frmMain();
    auto montrer_labels = [&](bool visible) {
        t([&] { f.lblMail(0).setVisible(visible); });
        t([&] { f.lblMail(1).setVisible(visible); });
    };
    auto legendes = [&](const QString& texte) {
        t([&] { f.lblMail(0).setCaption(texte); });
        t([&] { f.lblMail(1).setCaption(texte); });
    };

    QString bulle;
    const QString debut = message.left(5);
    if (debut == QStringLiteral("Reche")) {
        montrer_labels(true);
        legendes(QStringLiteral("?"));
        bulle = QStringLiteral("Recherche POP");
    } else if (debut == QStringLiteral("Inact")) {
        montrer_labels(false);
        bulle = QStringLiteral("Inactive");
    } else if (debut == QStringLiteral("ERROR")) {
        montrer_labels(true);
        legendes(QStringLiteral("!"));
        bulle = QStringLiteral("ERROR:") + message;
    } else {
        // A STAT reply: "+OK 2 320" or "+OK 2 messages (320 octets)".
        int32_t nombre = 0;
        QString taille;
        message = texte_stat(message);
        if (message.size() < 4) {
            message = QStringLiteral("ERROR");
        } else if (message.contains(QStringLiteral("mess"))) {
            t([&] { nombre = nombre_stat(message); });
            t([&] { taille = taille_stat(message); });
        } else if (message.size() <= 30) {
            t([&] {
                nombre = nombre_stat(message);
                taille = taille_stat(message);
            });
        }

        if (nombre != 0) {
            montrer_labels(true);
            t([&] { f.picMail(1).setVisible(true); });
            bulle = QString::number(nombre) + QStringLiteral(" message");
            t([&] {
                bulle = QString::number(nombre) + QStringLiteral(" message (") +
                        prog.fonctions().Affichage(nombre_taille(taille), false) + QStringLiteral(")");
            });
        } else {
            montrer_labels(false);
            t([&] { f.picMail(1).setVisible(false); });
            bulle = QStringLiteral("0 message");
        }
        legendes(QString::number(nombre));
        if (nombre > nb_mail_precedent) sonner_alarme();
        nb_mail_precedent = nombre;
    }

    t([&] { f.picMail(0).setToolTipText(bulle); });
    t([&] { f.picMail(1).setToolTipText(bulle); });
    t([&] { f.lblMail(0).setToolTipText(bulle); });
    t([&] { f.lblMail(1).setToolTipText(bulle); });
}

void mdlMail::sonner_alarme() {
    Piege t(prog.rapporteur(), QStringLiteral("affichage_nombre_mail"), FENETRE);
    t([&] {
        const QString choix = prog.frmOption().ComboAlarme->Text();
        if (choix == QStringLiteral("No sound")) return;
        if (choix == QStringLiteral("Beep")) prog.plateforme.sound.beep();
        else prog.plateforme.sound.playSync(choix); // a file that cannot play is silently skipped
    });
}

} // namespace tk
