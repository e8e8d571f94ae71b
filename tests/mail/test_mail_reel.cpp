// The mailbox check against a real POP3 server on 127.0.0.1 (the test
// services start one with user "u", password "p" and two messages, and give
// its port in TARVIK_POP3_PORT). Skipped when no server is given.
#include "app/frmMain.h"
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "mail/mdlMail.h"
#include "options/frmOption.h"
#include "platform/linux/linux_network.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace tk {
namespace {

struct MailLive : ::testing::Test {
    LinuxNetwork reseau;
    FakePlatform fp;
    std::unique_ptr<Programme> prog;
    QString port;

    void SetUp() override {
        port = qEnvironmentVariable("TARVIK_POP3_PORT");
        if (port.isEmpty()) GTEST_SKIP() << "no POP3 server (TARVIK_POP3_PORT unset)";
        prog = std::make_unique<Programme>(
            Platform{fp.shell, fp.counters, fp.system, fp.mixer, fp.registry, reseau, fp.files, fp.sound, fp.dialogs});
        prog->SaveSetting(QStringLiteral("portPop"), port);
        frmOption& o = prog->frmOption();
        o.txtMail(0).setText(QStringLiteral("127.0.0.1"));
        o.txtMail(1).setText(QStringLiteral("u"));
        o.txtMail(3).setText(QStringLiteral("1"));
        o.ComboAlarme->setText(QStringLiteral("Beep"));
    }
    void TearDown() override { prog.reset(); }

    // One check; true when the display settled on a count or on "!".
    bool verifier(const QString& mot_de_passe) {
        frmMain& f = prog->frmMain();
        prog->frmOption().txtMail(2).setText(mot_de_passe);
        f.timerMail->declencher();
        QDeadlineTimer limite(10000);
        while (!limite.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (f.lblMail(0).Caption() != QStringLiteral("?")) return true;
        }
        return false;
    }
};

// Bytes of the messages in the test mailbox (files written with CR LF, so
// their size is the size the server counts).
double taille_boite() {
    const QString dossier = qEnvironmentVariable("TARVIK_SERVICES_DIR");
    if (dossier.isEmpty()) return -1;
    double total = 0;
    for (const char* sous : {"new", "cur"}) {
        const QDir d(dossier + QStringLiteral("/dovecot/mail/u/Maildir/") + QLatin1String(sous));
        for (const QFileInfo& fi : d.entryInfoList(QDir::Files)) total += static_cast<double>(fi.size());
    }
    return total;
}

TEST_F(MailLive, TwoMessagesThenAWrongPassword) {
    frmMain& f = prog->frmMain();
    ASSERT_TRUE(verifier(QStringLiteral("p")));
    EXPECT_EQ(f.lblMail(0).Caption(), QStringLiteral("2"));
    EXPECT_TRUE(f.lblMail(0).Visible());
    EXPECT_TRUE(f.picMail(1).Visible());
    EXPECT_TRUE(prog->reponse_boite_mail.startsWith(QStringLiteral("+OK")));
    const QString bulle = f.picMail(0).ToolTipText();
    EXPECT_TRUE(bulle.startsWith(QStringLiteral("2 message ("))) << bulle.toStdString();
    const double taille = taille_boite();
    if (taille > 0) {
        EXPECT_EQ(bulle,
                  QStringLiteral("2 message (") + prog->fonctions().Affichage(taille, false) + QStringLiteral(")"));
    }
    EXPECT_EQ(fp.sound.beeps, 1);
    EXPECT_TRUE(prog->mail().derniere_commande_pop.isEmpty());

    ASSERT_TRUE(verifier(QStringLiteral("wrong")));
    EXPECT_EQ(f.lblMail(0).Caption(), QStringLiteral("!"));
    EXPECT_TRUE(f.picMail(0).ToolTipText().startsWith(QStringLiteral("ERROR:ERROR:-ERR")))
        << f.picMail(0).ToolTipText().toStdString();

    // The next check with the right password runs the whole dialogue again.
    ASSERT_TRUE(verifier(QStringLiteral("p")));
    EXPECT_EQ(f.lblMail(0).Caption(), QStringLiteral("2"));
    EXPECT_EQ(fp.dialogs.boxes.size(), 0u);
}

// POP3 over TLS: the test services' mailbox served by a dovecot on
// 127.0.0.1:995 that speaks TLS only (TARVIK_POP3S=1 says it runs). Which
// authorities are trusted comes from SSL_CERT_FILE, set by the script.
struct MailLiveTls : ::testing::Test {
    LinuxNetwork reseau;
    FakePlatform fp;
    std::unique_ptr<Programme> prog;

    void SetUp() override {
        if (qEnvironmentVariable("TARVIK_POP3S").isEmpty()) GTEST_SKIP() << "no POP3S server (TARVIK_POP3S unset)";
        prog = std::make_unique<Programme>(
            Platform{fp.shell, fp.counters, fp.system, fp.mixer, fp.registry, reseau, fp.files, fp.sound, fp.dialogs});
        frmOption& o = prog->frmOption();
        o.txtMail(0).setText(QStringLiteral("127.0.0.1:995")); // the port given in the server box
        o.txtMail(1).setText(QStringLiteral("u"));
        o.txtMail(2).setText(QStringLiteral("p"));
        o.txtMail(3).setText(QStringLiteral("1"));
        o.ComboAlarme->setText(QStringLiteral("No sound"));
    }
    void TearDown() override { prog.reset(); }

    bool verifier() {
        frmMain& f = prog->frmMain();
        f.timerMail->declencher();
        QDeadlineTimer limite(15000);
        while (!limite.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (f.lblMail(0).Caption() != QStringLiteral("?")) return true;
        }
        return false;
    }
};

TEST_F(MailLiveTls, ACertificateOfATrustedAuthorityGivesTheCount) {
    frmMain& f = prog->frmMain();
    ASSERT_TRUE(verifier());
    EXPECT_EQ(f.lblMail(0).Caption(), QStringLiteral("2")) << f.picMail(0).ToolTipText().toStdString();
    EXPECT_TRUE(f.picMail(1).Visible());
    EXPECT_TRUE(prog->reponse_boite_mail.startsWith(QStringLiteral("+OK")));
    const double taille = taille_boite();
    if (taille > 0) {
        EXPECT_EQ(f.picMail(0).ToolTipText(),
                  QStringLiteral("2 message (") + prog->fonctions().Affichage(taille, false) + QStringLiteral(")"));
    }
    EXPECT_EQ(fp.dialogs.boxes.size(), 0u);
}

TEST_F(MailLiveTls, AnUntrustedCertificateShowsTheError) {
    frmMain& f = prog->frmMain();
    ASSERT_TRUE(verifier());
    EXPECT_EQ(f.lblMail(0).Caption(), QStringLiteral("!"));
    EXPECT_TRUE(f.lblMail(0).Visible());
    const QString bulle = f.picMail(0).ToolTipText();
    EXPECT_TRUE(bulle.startsWith(QStringLiteral("ERROR:ERROR:"))) << bulle.toStdString();
    EXPECT_GT(bulle.size(), 20) << "the reason is given";
    EXPECT_TRUE(prog->reponse_boite_mail.isEmpty()); // no login took place
    EXPECT_EQ(fp.dialogs.boxes.size(), 0u);
}

} // namespace
} // namespace tk
