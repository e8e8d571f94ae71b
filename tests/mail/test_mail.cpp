// The mailbox check against a scripted socket: the tick pacing, the POP3
// dialogue, the count display and its parsing, the alarm, and the faults
// mended (split replies, a stale dialogue, large counts, a silent server).
#include "app/frmMain.h"
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "mail/mdlMail.h"
#include "options/frmOption.h"

#include <gtest/gtest.h>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tk {
namespace {

struct Courrier : ::testing::Test {
    TestBench b;
    frmMain* f = nullptr;
    frmOption* o = nullptr;
    mdlMail* m = nullptr;
    FakeSocket* s = nullptr;

    void SetUp() override {
        f = &b.p().frmMain();
        o = &b.p().frmOption();
        m = &b.p().mail();
        s = b.fp.network.lastSocket();
        ASSERT_NE(s, nullptr);
        o->txtMail(0).setText(QStringLiteral("pop.example.org"));
        o->txtMail(1).setText(QStringLiteral("u"));
        o->txtMail(2).setText(QStringLiteral("p"));
        o->txtMail(3).setText(QStringLiteral("1"));
        o->ComboAlarme->setText(QStringLiteral("Beep"));
    }

    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) f->timerMail->declencher();
    }
    // One check from the tick to the STAT reply.
    void check(const QByteArray& stat) {
        tick();
        s->accept();
        s->receive("+OK Dovecot ready.\r\n");
        s->receive("+OK\r\n");
        s->receive("+OK Logged in.\r\n");
        s->receive(stat);
    }
    QString bulle() const {
        const QString t = f->picMail(0).ToolTipText();
        EXPECT_EQ(f->picMail(1).ToolTipText(), t);
        EXPECT_EQ(f->lblMail(0).ToolTipText(), t);
        EXPECT_EQ(f->lblMail(1).ToolTipText(), t);
        return t;
    }
    QString legende() const {
        EXPECT_EQ(f->lblMail(0).Caption(), f->lblMail(1).Caption());
        return f->lblMail(0).Caption();
    }
    bool labels_visibles() const {
        EXPECT_EQ(f->lblMail(0).Visible(), f->lblMail(1).Visible());
        return f->lblMail(0).Visible();
    }
    int erreurs() const { return static_cast<int>(b.fp.dialogs.boxes.size()); }
};

TEST_F(Courrier, WithoutAServerEachMinutePassesWithoutAConnection) {
    o->txtMail(0).setText(QString());
    for (int i = 0; i < 3; ++i) {
        tick();
        EXPECT_FALSE(labels_visibles());
        EXPECT_EQ(bulle(), QStringLiteral("Inactive"));
    }
    EXPECT_EQ(s->connections, 0);
    EXPECT_EQ(m->compteur_minutes_mail, 3);

    // After about 22 days the minute counter stays at its largest value, silently.
    m->compteur_minutes_mail = 32766;
    tick(3);
    EXPECT_EQ(m->compteur_minutes_mail, 32767);
    EXPECT_EQ(erreurs(), 0);
    // A server typed in then is checked at the next tick, and the count starts again.
    o->txtMail(0).setText(QStringLiteral("pop.example.org"));
    tick();
    EXPECT_EQ(s->connections, 1);
    EXPECT_EQ(m->compteur_minutes_mail, 0);
}

TEST_F(Courrier, DelaiQuatrePremierCheckAuQuatriemeTick) {
    o->txtMail(3).setText(QStringLiteral("4"));
    tick(3);
    EXPECT_EQ(s->connections, 0);
    tick();
    EXPECT_EQ(s->connections, 1);
    EXPECT_EQ(s->host, QStringLiteral("pop.example.org"));
    EXPECT_EQ(s->port, 110);
    EXPECT_EQ(s->currentState, Socket::Connecting);
    EXPECT_TRUE(labels_visibles());
    EXPECT_EQ(legende(), QStringLiteral("?"));
    EXPECT_EQ(bulle(), QStringLiteral("Recherche POP"));
    EXPECT_EQ(m->compteur_minutes_mail, 0);
    tick(3);
    EXPECT_EQ(s->connections, 1);
    tick();
    EXPECT_EQ(s->connections, 2);
}

TEST_F(Courrier, ASilentServerIsClosedByTheNextCheckWithNothingKept) {
    for (int i = 0; i < 50; ++i) tick();
    EXPECT_EQ(s->connections, 50);
    EXPECT_GE(s->closes, 50); // closed before each new attempt
    EXPECT_EQ(b.fp.network.sockets.size(), 1);
    EXPECT_EQ(legende(), QStringLiteral("?"));
    EXPECT_EQ(erreurs(), 0);
}

TEST_F(Courrier, AWholeDialogueShowsTheCount) {
    check("+OK 2 320\r\n");
    ASSERT_EQ(s->sends.size(), 3);
    EXPECT_EQ(s->sends[0], QByteArray("USER u\r\n"));
    EXPECT_EQ(s->sends[1], QByteArray("PASS p\r\n"));
    EXPECT_EQ(s->sends[2], QByteArray("STAT\r\n"));
    EXPECT_EQ(b.p().reponse_boite_mail, QStringLiteral("+OK Logged in.\r\n"));
    EXPECT_TRUE(labels_visibles());
    EXPECT_EQ(legende(), QStringLiteral("2"));
    EXPECT_TRUE(f->picMail(1).Visible());
    EXPECT_EQ(bulle(), QStringLiteral("2 message (") + b.p().fonctions().Affichage(320, false) + QStringLiteral(")"));
    EXPECT_EQ(b.fp.sound.beeps, 1);
    EXPECT_EQ(s->currentState, Socket::Closed);
    EXPECT_TRUE(m->derniere_commande_pop.isEmpty());
    EXPECT_EQ(m->nb_mail_precedent, 2);

    // Then an empty mailbox: everything hidden, no alarm.
    const bool icone0 = f->picMail(0).Visible();
    check("+OK 0 0\r\n");
    EXPECT_FALSE(labels_visibles());
    EXPECT_FALSE(f->picMail(1).Visible());
    EXPECT_EQ(f->picMail(0).Visible(), icone0); // never changed here
    EXPECT_EQ(legende(), QStringLiteral("0"));
    EXPECT_EQ(bulle(), QStringLiteral("0 message"));
    EXPECT_EQ(b.fp.sound.beeps, 1);
    EXPECT_EQ(m->nb_mail_precedent, 0);
}

TEST_F(Courrier, AlarmWhenTheCountGrows) {
    const int attendus[] = {1, 2, 2, 2, 3};
    const char* comptes[] = {"2", "3", "3", "1", "2"};
    for (int i = 0; i < 5; ++i) {
        check(QByteArray("+OK ") + comptes[i] + " 1000\r\n");
        EXPECT_EQ(b.fp.sound.beeps, attendus[i]) << "after count " << comptes[i];
    }
    // The alarm follows the list at the moment it sounds.
    o->ComboAlarme->setText(QStringLiteral("/usr/share/sounds/new-mail.wav"));
    check("+OK 4 1000\r\n");
    EXPECT_EQ(b.fp.sound.played, QStringList{QStringLiteral("/usr/share/sounds/new-mail.wav")});
    o->ComboAlarme->setText(QStringLiteral("No sound"));
    check("+OK 5 1000\r\n");
    EXPECT_EQ(b.fp.sound.beeps, 3);
    EXPECT_EQ(b.fp.sound.played.size(), 1);
    EXPECT_EQ(erreurs(), 0);
}

TEST_F(Courrier, StatRepliesAreRead) {
    struct Cas {
        const char* reponse;
        int compte;
        double taille; // < 0: no size in the tool tip
    };
    const Cas cas[] = {
        {"+OK\r\n", 0, -1},
        {"+OK 0 0\r\n", 0, -1},
        {"+OK 7 12345\r\n", 7, 12345},
        {"+OK 3 messages (4096 octets)\r\n", 3, 4096},
        {"+OK 1 messages 512 octets\r\n", 1, 512},
        {"+OK 2.9 100\r\n", 2, 100}, // whole part
        {"+OK this server says something long without a count\r\n", 0, -1},
        {"+OK 40000 99999\r\n", 40000, 99999}, // beyond 16 bits
    };
    for (const Cas& c : cas) {
        QString message = QString::fromLatin1(c.reponse);
        m->affichage_nombre_mail(message);
        EXPECT_EQ(legende(), QString::number(c.compte)) << c.reponse;
        EXPECT_EQ(f->picMail(1).Visible(), c.compte != 0) << c.reponse;
        const QString attendue = c.taille < 0 ? QStringLiteral("0 message")
                                              : QString::number(c.compte) + QStringLiteral(" message (") +
                                                    b.p().fonctions().Affichage(c.taille, false) + QStringLiteral(")");
        EXPECT_EQ(bulle(), attendue) << c.reponse;
    }
    EXPECT_EQ(erreurs(), 0);
    EXPECT_EQ(m->nb_mail_precedent, 40000);

    // A count that is no number is an error reported once; the display says 0.
    QString faux = QStringLiteral("+OK abc 12\r\n");
    m->affichage_nombre_mail(faux);
    EXPECT_EQ(legende(), QStringLiteral("0"));
    EXPECT_EQ(erreurs(), 1);
}

TEST_F(Courrier, RefusDeUserOuPassLaisseLaConnexionOuverte) {
    tick();
    s->accept();
    s->receive("+OK ready\r\n");
    s->receive("-ERR unknown user\r\n");
    EXPECT_TRUE(labels_visibles());
    EXPECT_EQ(legende(), QStringLiteral("!"));
    EXPECT_EQ(bulle(), QStringLiteral("ERROR:ERROR:-ERR unknown user\r\n"));
    EXPECT_EQ(s->currentState, Socket::Connected);
    EXPECT_EQ(s->sends.size(), 1);
    EXPECT_EQ(m->derniere_commande_pop, QStringLiteral("USER u"));

    tick();
    s->accept();
    s->receive("+OK ready\r\n");
    s->receive("+OK\r\n");
    s->receive("-ERR [AUTH] Authentication failed.\r\n");
    EXPECT_EQ(legende(), QStringLiteral("!"));
    EXPECT_EQ(s->currentState, Socket::Connected);
    EXPECT_EQ(m->derniere_commande_pop, QStringLiteral("PASS p"));
    EXPECT_EQ(b.fp.sound.beeps, 0);
}

TEST_F(Courrier, AfterARefusedPasswordTheNextCheckRunsTheWholeDialogueAgain) {
    b.p().reponse_boite_mail = QStringLiteral("+OK old\r\n");
    tick();
    s->accept();
    s->receive("+OK ready\r\n");
    s->receive("+OK\r\n");
    s->receive("-ERR [AUTH] Authentication failed.\r\n");
    s->sends.clear();

    o->txtMail(2).setText(QStringLiteral("good"));
    tick();
    s->accept();
    s->receive("+OK Dovecot ready.\r\n");
    ASSERT_EQ(s->sends.size(), 1);
    EXPECT_EQ(s->sends[0], QByteArray("USER u\r\n")); // not STAT, and the greeting is no mailbox text
    EXPECT_EQ(b.p().reponse_boite_mail, QStringLiteral("+OK old\r\n"));
    s->receive("+OK\r\n");
    s->receive("+OK Logged in.\r\n");
    s->receive("+OK 1 200\r\n");
    ASSERT_EQ(s->sends.size(), 3);
    EXPECT_EQ(s->sends[1], QByteArray("PASS good\r\n"));
    EXPECT_EQ(legende(), QStringLiteral("1"));
    EXPECT_EQ(erreurs(), 0);
}

TEST_F(Courrier, AReplyInSeveralPiecesCountsOnce) {
    tick();
    s->accept();
    s->receive("+OK Dove");
    EXPECT_TRUE(s->sends.isEmpty());
    s->receive("cot ready.\r");
    EXPECT_TRUE(s->sends.isEmpty());
    s->receive("\n");
    ASSERT_EQ(s->sends.size(), 1);
    // Two replies in one arrival are two replies.
    s->receive("+OK\r\n+OK Logged in.\r\n");
    ASSERT_EQ(s->sends.size(), 3);
    EXPECT_EQ(b.p().reponse_boite_mail, QStringLiteral("+OK Logged in.\r\n"));
    s->receive("+OK 2 ");
    s->receive("320\r\n");
    EXPECT_EQ(legende(), QStringLiteral("2"));
    EXPECT_EQ(bulle(), QStringLiteral("2 message (") + b.p().fonctions().Affichage(320, false) + QStringLiteral(")"));

    // A server that never ends its line: what it sent is handled once the
    // buffer limit is reached, and nothing keeps growing.
    tick();
    s->accept();
    const QByteArray flot(mdlMail::LONGUEUR_MAX_REPONSE + 10, 'x');
    s->receive(flot);
    EXPECT_EQ(legende(), QStringLiteral("!"));
    EXPECT_TRUE(s->sends.size() == 3);
}

// The error box of a count beyond 32 bits lets events run: the server floods
// meanwhile and the next check starts. Nothing is read while the reply is
// handled, and the old reply does not touch the new connection.
TEST_F(Courrier, WhileTheBoxIsOpenNothingIsReadAndTheNextCheckIsUntouched) {
    int pendant = 0;
    b.fp.dialogs.duringBox = [&](const FakeDialogs::Box&) {
        if (pendant++) return;
        EXPECT_TRUE(s->paused);
        const QByteArray flot(64 * 1024, 'A');
        for (int i = 0; i < 16; ++i) s->receive(flot);
        EXPECT_EQ(s->pending.size(), 16 * flot.size()); // held back, not in the program
        // The next check starts while the box is open; its greeting waits.
        const int closes = s->closes;
        tick();
        EXPECT_EQ(s->closes, closes + 1);
        EXPECT_TRUE(s->pending.isEmpty()); // the old connection's data went with it
        s->accept();
        s->receive("+OK Dovecot ready.\r\n");
        EXPECT_EQ(s->sends.size(), 3); // unanswered for now
    };
    check("+OK 99999999999999999999 -5\r\n");
    EXPECT_EQ(erreurs(), 1);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Routine:affichage_nombre_mail")));
    // The box closed: the old reply closed nothing, the new check goes on.
    EXPECT_EQ(s->currentState, Socket::Connected);
    EXPECT_FALSE(s->paused);
    s->deliverPending();
    ASSERT_EQ(s->sends.size(), 4);
    EXPECT_EQ(s->sends[3], QByteArray("USER u\r\n"));
    s->receive("+OK\r\n");
    s->receive("+OK Logged in.\r\n");
    s->receive("+OK 3 300\r\n");
    EXPECT_EQ(legende(), QStringLiteral("3"));
    EXPECT_EQ(s->currentState, Socket::Closed);
    EXPECT_EQ(erreurs(), 1);
}

// Replies are read, and commands sent, as UTF-8.
TEST_F(Courrier, AccueilEtMotDePasseEnUtf8) {
    o->txtMail(2).setText(QStringLiteral("pässwörd"));
    tick();
    s->accept();
    s->receive(QStringLiteral("+OK Serveur prêt «été»\r\n").toUtf8());
    s->receive("+OK\r\n");
    ASSERT_EQ(s->sends.size(), 2);
    EXPECT_EQ(s->sends[1], QStringLiteral("PASS pässwörd\r\n").toUtf8());
    s->receive(QStringLiteral("+OK Connecté, boîte ouverte\r\n").toUtf8());
    EXPECT_EQ(b.p().reponse_boite_mail, QStringLiteral("+OK Connecté, boîte ouverte\r\n"));
    // A reply refused shows the server's words as they were written.
    tick();
    s->accept();
    s->receive(QStringLiteral("-ERR Accès refusé\r\n").toUtf8());
    EXPECT_EQ(bulle(), QStringLiteral("ERROR:ERROR:-ERR Accès refusé\r\n"));
}

TEST_F(Courrier, PortReglable) {
    b.fp.registry.put(b.fp.files.exeBaseName(), QStringLiteral("portPop"), QStringLiteral("1110"));
    tick();
    EXPECT_EQ(s->port, 1110);
    b.fp.registry.put(b.fp.files.exeBaseName(), QStringLiteral("portPop"), QStringLiteral("junk"));
    tick();
    EXPECT_EQ(s->port, 110);
}

// "host:port" in the server box names the port; port 995 is TLS from the
// first byte, whether it comes from the box or from the setting.
TEST_F(Courrier, ServerWithPortAndTlsOn995) {
    struct Cas {
        const char* texte;
        const char* hote;
        int port;
        bool tls;
    };
    const Cas cas[] = {
        {"pop.example.org:995", "pop.example.org", 995, true},
        {"pop.example.org:110", "pop.example.org", 110, false},
        {"[::1]:995", "::1", 995, true},
        {"::1", "::1", 110, false}, // a bare IPv6 address has no port
        {"pop.example.org:", "pop.example.org:", 110, false},
        {"pop.example.org:abc", "pop.example.org:abc", 110, false},
        {"pop.example.org:0", "pop.example.org:0", 110, false},
        {"pop.example.org:65536", "pop.example.org:65536", 110, false},
        {"pop.example.org:+995", "pop.example.org:+995", 110, false},
    };
    for (const Cas& c : cas) {
        o->txtMail(0).setText(QString::fromUtf8(c.texte));
        tick();
        EXPECT_EQ(s->host, QString::fromUtf8(c.hote)) << c.texte;
        EXPECT_EQ(s->port, c.port) << c.texte;
        EXPECT_EQ(s->tls, c.tls) << c.texte;
    }
    // The setting alone asks for 995 too.
    b.fp.registry.put(b.fp.files.exeBaseName(), QStringLiteral("portPop"), QStringLiteral("995"));
    o->txtMail(0).setText(QStringLiteral("pop.example.org"));
    tick();
    EXPECT_EQ(s->port, 995);
    EXPECT_TRUE(s->tls);
    // The box's own port wins over the setting.
    o->txtMail(0).setText(QStringLiteral("pop.example.org:110"));
    tick();
    EXPECT_EQ(s->port, 110);
    EXPECT_FALSE(s->tls);
}

// A refused certificate shows "!" with the reason, and the next check runs
// the whole dialogue over a new connection.
TEST_F(Courrier, ARefusedCertificateShowsTheErrorThenTheNextCheckStartsAgain) {
    o->txtMail(0).setText(QStringLiteral("pop.example.org:995"));
    tick();
    EXPECT_EQ(legende(), QStringLiteral("?"));
    s->failTls(QStringLiteral("The issuer certificate of a locally looked up certificate could not be found"));
    EXPECT_EQ(legende(), QStringLiteral("!"));
    EXPECT_TRUE(labels_visibles());
    EXPECT_EQ(bulle(), QStringLiteral(
                           "ERROR:ERROR:The issuer certificate of a locally looked up certificate could not be found"));
    EXPECT_TRUE(s->sends.isEmpty()); // nothing, the password least of all, went out
    EXPECT_EQ(erreurs(), 0);

    check("+OK 3 900\r\n");
    EXPECT_TRUE(s->tls);
    EXPECT_EQ(legende(), QStringLiteral("3"));
    EXPECT_EQ(s->sends.size(), 3);
}

} // namespace
} // namespace tk
