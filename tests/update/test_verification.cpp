// The update check and the answer to its question: against a small HTTP
// server on 127.0.0.1 through the real network service, and against the
// fake network where only the logic matters.
#include "app/frmMain.h"
#include "diag/erreur.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"
#include "platform/linux/linux_network.h"
#include "update/frmMaj.h"
#include "update/mdlMaj.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include "evenements_reels.h"

#include <gtest/gtest.h>

#include <map>

#include "serveur_http.h"
#include <utility>

namespace tk {
namespace {
using namespace tk::test;

// The real network service, with what it downloads copied into the fake
// file system where the program looks for it.
class ReseauReel : public Network {
public:
    explicit ReseauReel(FakeFiles& f) : fichiers_(f) {}
    std::unique_ptr<Socket> createSocket() override { return net_.createSocket(); }
    HttpReply download(const QString& url, const QString& fichier, int delaiMs, qint64 tailleMax) override {
        const QString disque = dossier_.path() + QStringLiteral("/telechargement");
        QFile::remove(disque);
        HttpReply r = net_.download(url, disque, delaiMs, tailleMax);
        QFile f(disque);
        if (f.open(QIODevice::ReadOnly)) {
            fichiers_.files.insert(fichier, f.readAll());
            fichiers_.executables.remove(fichier);
        }
        return r;
    }
    HttpReply get(const QString& url, int delaiMs, qint64 tailleMax) override {
        return net_.get(url, delaiMs, tailleMax);
    }
    HttpReply post(const QString& url, const QByteArray& type, const QByteArray& corps, bool attendre, int delaiMs,
                   qint64 tailleMax) override {
        return net_.post(url, type, corps, attendre, delaiMs, tailleMax);
    }

private:
    FakeFiles& fichiers_;
    LinuxNetwork net_;
    QTemporaryDir dossier_;
};

// A program on the fake platform whose network is the real one.
struct BancReel {
    FakePlatform fp;
    ReseauReel reseau{fp.files};
    ServeurHttp http;
    std::unique_ptr<Programme> prog;
    BancReel() {
        prog = std::make_unique<Programme>(
            Platform{fp.shell, fp.counters, fp.system, fp.mixer, fp.registry, reseau, fp.files, fp.sound, fp.dialogs});
        prog->SaveSetting(QStringLiteral("adresseServeur"), http.base());
    }
    Programme& p() { return *prog; }
    void publier(const QByteArray& version) { http.routes["/tarvik/tarvik.ver"] = {200, version}; }
    QString etat() { return p().frmOption().txtInfo->Caption(); }
    QString ini() { return fp.files.inFolder(QStringLiteral("tarvik.ini")); }
};

const QString A_JOUR = QStringLiteral("Votre version est à jour!");
const QString NON_CONNECTE = QStringLiteral("Non connecté...");
const QString INTROUVABLE = QStringLiteral("Server MAj introuvable !");

QByteArray version() { return mdlMaj::version_courante().toLatin1(); }

TEST(MajVerification, SameVersionOnTheFirstLineIsUpToDate) {
    for (const QByteArray& fin :
         {QByteArray(), QByteArray("\r\n"), QByteArray("\n9.9.9\nnotes\n"), QByteArray("\r\n0.0.1 other lines\r\n")}) {
        BancReel b;
        b.publier(version() + fin);
        b.p().maj().recherche_mise_a_jour();
        EXPECT_EQ(b.etat(), A_JOUR) << fin.toStdString();
        EXPECT_EQ(b.fp.sound.beeps, 0);
        EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr);
        EXPECT_FALSE(b.fp.files.exists(b.ini()));
        EXPECT_EQ(b.p().maj().adresse_maj, b.http.base() + QStringLiteral("/tarvik/"));
        EXPECT_TRUE(b.http.chemins.contains("/tarvik/tarvik.ver"));
    }
}

// The offered version comes from the server: it is shown as the text it is.
TEST(MajVerification, AVersionLineWithMarkupShowsLiterally) {
    TestBench b;
    const QString ligne = QStringLiteral("<font color=\"red\"><u><i>6.6.6</i></u></font>");
    b.p().SaveSetting(QStringLiteral("adresseServeur"), QStringLiteral("https://maj.test"));
    b.fp.network.files = &b.fp.files;
    b.fp.network.reply(QStringLiteral("https://maj.test/tarvik/tarvik.ver"), 200, ligne.toUtf8() + "\r\n");
    b.p().maj().recherche_mise_a_jour();
    ASSERT_NE(b.p().frmMaj_si_charge(), nullptr);
    Label& l = b.p().frmMaj().txtVersion(1);
    EXPECT_EQ(l.Caption(), ligne);
    auto* q = static_cast<QLabel*>(l.widget());
    EXPECT_EQ(q->textFormat(), Qt::PlainText);
    EXPECT_EQ(q->text(), ligne);
    q->resize(QFontMetrics(q->font()).horizontalAdvance(ligne) + 10, q->height());
    const QImage image = q->grab().toImage();
    int rouges = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            rouges += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_EQ(rouges, 0);
}

TEST(MajVerification, AnyOtherFirstLineAsksTheQuestion) {
    // A trailing blank, an older version and a longer spelling all differ.
    for (const QByteArray& publiee : {version() + " ", QByteArray("0.0.1"), QByteArray("1.0.0164")}) {
        BancReel b;
        b.publier(publiee + "\r\n");
        b.p().maj().recherche_mise_a_jour();
        frmMaj* f = b.p().frmMaj_si_charge();
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->hWnd()->isVisible());
        EXPECT_EQ(b.fp.sound.beeps, 1);
        EXPECT_EQ(f->txtInfo->Caption(), QStringLiteral("Une mise à jour de TARVIK est disponible\r\n"
                                                        "Souhaitez vous la télécharger ?"));
        EXPECT_EQ(f->btnAction(0).Caption(), QStringLiteral("Oui"));
        EXPECT_EQ(f->btnAction(1).Caption(), QStringLiteral("Non"));
        EXPECT_EQ(f->txtVersion(0).Caption(), mdlMaj::version_courante());
        EXPECT_EQ(f->txtVersion(1).Caption(), QString::fromLatin1(publiee));
        EXPECT_EQ(b.etat(), QStringLiteral("Verify software version..."));
        EXPECT_FALSE(b.fp.files.exists(b.ini()));
    }
}

TEST(MajVerification, FailedProbesCountUpToTheMessageBox) {
    BancReel b; // nothing published: the version file never comes
    b.http.routes["/tarvik/tarvik.ver"] = {404, "missing"};
    // Each click on "Verifier MAJ disponibles" is one probe: the fourth brings the message.
    for (int i = 1; i <= 3; ++i) {
        cliquer(*b.p().frmOption().btnMaj);
        EXPECT_EQ(b.etat(), NON_CONNECTE) << i;
    }
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    for (int i = 4; i <= 5; ++i) {
        cliquer(*b.p().frmOption().btnMaj);
        EXPECT_EQ(b.etat(), INTROUVABLE) << i;
        ASSERT_EQ(b.fp.dialogs.boxes.size(), static_cast<size_t>(i - 3));
        const FakeDialogs::Box& boite = b.fp.dialogs.boxes.back();
        EXPECT_EQ(boite.text, QStringLiteral("Impossible de joindre le serveur de mise à jour."));
        EXPECT_EQ(boite.style, vbCritical);
        EXPECT_EQ(boite.title, QStringLiteral("tarvik"));
    }
    EXPECT_EQ(b.p().maj().nb_echecs_maj, 5);
    EXPECT_TRUE(b.p().maj().adresse_maj.isEmpty());
    EXPECT_EQ(b.fp.sound.beeps, 0);
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr);
}

TEST(MajVerification, AFailedProbeAfterASuccessfulOneOffersNothing) {
    BancReel b;
    b.publier("9.9.9");
    b.p().maj().recherche_mise_a_jour();
    ASSERT_NE(b.p().frmMaj_si_charge(), nullptr);
    cliquer(b.p().frmMaj().btnAction(1)); // "Non"; the answer runs from the event loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.p().frmMaj_si_charge() == nullptr; }));

    b.http.routes["/tarvik/tarvik.ver"] = {500, "down"}; // the server fails from now on
    b.p().maj().recherche_mise_a_jour();
    EXPECT_EQ(b.etat(), NON_CONNECTE);
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr); // no question with an empty version
    EXPECT_EQ(b.fp.sound.beeps, 1);
    EXPECT_EQ(b.p().maj().nb_echecs_maj, 1);
    EXPECT_FALSE(b.p().maj().adresse_maj.isEmpty());
}

TEST(MajVerification, OnlyHttpsOrThisMachine) {
    for (const char* sure : {"https://tarvik.org/tarvik/", "http://127.0.0.1:8000/tarvik/", "http://localhost/t/",
                             "http://[::1]:80/tarvik/"})
        EXPECT_TRUE(mdlMaj::adresse_sure(QString::fromLatin1(sure))) << sure;
    for (const char* non : {"http://tarvik.org/tarvik/", "http://127.0.0.1.evil.example/", "ftp://tarvik.org/", "/t/"})
        EXPECT_FALSE(mdlMaj::adresse_sure(QString::fromLatin1(non))) << non;

    // The default address is https; a plain-http server elsewhere is never asked.
    TestBench b;
    b.p().maj().recherche_mise_a_jour();
    ASSERT_FALSE(b.fp.network.requests.empty());
    EXPECT_TRUE(b.fp.network.requests[0].url.startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(b.fp.network.requests[0].url.endsWith(QStringLiteral("/tarvik/tarvik.ver")));
    b.p().SaveSetting(QStringLiteral("adresseServeur"), QStringLiteral("http://updates.example"));
    b.fp.network.requests.clear();
    b.p().maj().recherche_mise_a_jour();
    EXPECT_TRUE(b.fp.network.requests.empty());
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), NON_CONNECTE);
}

// Installed in a folder this user cannot write: the check still tells a
// newer version apart, downloads nothing and points to the package manager.
TEST(MajInstallee, ANewerVersionIsAnnouncedWithoutDownloadingIt) {
    TestBench b;
    FakeFiles& fichiers = b.fp.files;
    b.fp.network.files = &fichiers;
    fichiers.protectedFolders.insert(fichiers.folder);
    b.p().SaveSetting(QStringLiteral("adresseServeur"), QStringLiteral("https://maj.test"));
    b.fp.network.reply(QStringLiteral("https://maj.test/tarvik/tarvik.ver"), 200, "9.9.9\r\n");
    b.p().frmMain();
    b.p().maj().recherche_mise_a_jour();

    const QString ini = fichiers.stateDir + QStringLiteral("/tarvik.ini");
    QStringList demandes;
    for (const auto& r : b.fp.network.requests)
        demandes << r.method + QLatin1Char(' ') + r.url.section(QLatin1Char('?'), 0, 0);
    EXPECT_EQ(demandes, (QStringList{QStringLiteral("DOWNLOAD https://maj.test/tarvik/tarvik.ver"),
                                     QStringLiteral("POST https://maj.test/tarvik/log.php")}));
    EXPECT_EQ(b.fp.network.requests[0].file, ini);
    EXPECT_FALSE(fichiers.exists(ini)); // read, then removed
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(b.fp.dialogs.boxes[0].text, QStringLiteral("Une nouvelle version de Tarvik est disponible.\r\n"
                                                         "Tarvik est installé dans un dossier protégé : mettez-le "
                                                         "à jour avec le gestionnaire de paquets du système."));
    EXPECT_EQ(b.fp.dialogs.boxes[0].style, vbInformation);
    EXPECT_EQ(b.fp.dialogs.boxes[0].title, QStringLiteral("Tarvik"));
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), QStringLiteral("Mise à jour disponible !"));
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr); // no question, so no "Oui" to press
    EXPECT_EQ(b.fp.sound.beeps, 1);

    // The running version published: up to date, no box.
    b.fp.network.reply(QStringLiteral("https://maj.test/tarvik/tarvik.ver"), 200, version());
    b.p().maj().recherche_mise_a_jour();
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), A_JOUR);
    EXPECT_EQ(b.fp.dialogs.boxes.size(), 1u);
}

// ------------------------------------------------------------------ answers

struct MajQuestion : ::testing::Test {
    TestBench b;
    const QString exe_ = QStringLiteral("/tarvik/tarvik.exe");
    QStringList textes; // the update window's message at each wait
    void SetUp() override {
        b.fp.network.files = &b.fp.files;
        b.p().SaveSetting(QStringLiteral("adresseServeur"), QStringLiteral("https://maj.test"));
        b.fp.network.reply(QStringLiteral("https://maj.test/tarvik/tarvik.ver"), 200, "9.9.9\r\n");
        // The served program says which version it is.
        b.fp.files.onRun = [this](const FakeFiles::Launch& l, QByteArray& sortie) {
            if (l.arguments != QStringList{QStringLiteral("--version")}) return false;
            if (b.fp.files.files.value(l.program) != "new program") return false;
            sortie = "tarvik 9.9.9\n";
            return true;
        };
        b.p().frmMain();
        b.p().maj().recherche_mise_a_jour();
        ASSERT_NE(b.p().frmMaj_si_charge(), nullptr);
        b.fp.files.sleeps.clear();
        b.fp.files.duringSleep = [this](int) {
            frmMaj* f = b.p().frmMaj_si_charge();
            textes << (f ? f->txtInfo->Caption() : QStringLiteral("<unloaded>"));
        };
    }
    QString remplacement() { return b.fp.files.inFolder(QStringLiteral("tarvik_")); }
    void servir(int status, const QByteArray& corps) {
        b.fp.network.reply(QStringLiteral("https://maj.test") + exe_, status, corps);
    }
};

TEST_F(MajQuestion, YesDownloadsUnloadsAndHandsOver) {
    servir(200, "new program");
    EXPECT_THROW(b.p().frmMaj().btnAction_Click(0), ProcessEnd);

    EXPECT_EQ(b.fp.files.openedPaths, QStringList{QStringLiteral("https://maj.test/tarvik/index_2.html")});
    EXPECT_EQ(b.fp.files.files.value(remplacement()), QByteArray("new program"));
    EXPECT_TRUE(b.fp.files.executables.contains(remplacement()));
    EXPECT_EQ(b.fp.files.sleeps, (std::vector<int>{500, 500, 1000, 500}));
    EXPECT_EQ(textes, (QStringList{QStringLiteral("Verify update components..."), QStringLiteral("Downloading... "),
                                   QStringLiteral("Rebooting Tarvik"), QStringLiteral("Rebooting Tarvik")}));
    EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr);
    ASSERT_EQ(b.fp.files.launches.size(), 1u);
    EXPECT_EQ(b.fp.files.launches[0].program, remplacement());
    EXPECT_EQ(b.fp.files.launches[0].arguments, QStringList{QStringLiteral("-reboot")});
}

// A file that does not say it is the offered version (cut short, another
// build, a program that crashes or hangs) is deleted and never started.
TEST_F(MajQuestion, AProgramThatDoesNotNameTheOfferedVersionIsNeverStarted) {
    servir(200, "cut progr");
    for (const QByteArray& sortie :
         {QByteArray(), QByteArray("tarvik 1.4.2\n"), QByteArray("tarvik 9.9.9.1\n"), QByteArray("tarvik 9.9\n")}) {
        b.fp.files.onRun = [&](const FakeFiles::Launch&, QByteArray& s) {
            s = sortie;
            return !sortie.isEmpty();
        };
        b.fp.files.runs.clear();
        EXPECT_NO_THROW(b.p().frmMaj().btnAction_Click(0)) << sortie.constData();
        ASSERT_EQ(b.fp.files.runs.size(), 1u);
        EXPECT_EQ(b.fp.files.runs[0].program, remplacement());
        EXPECT_EQ(b.fp.files.runs[0].arguments, QStringList{QStringLiteral("--version")});
        EXPECT_FALSE(b.fp.files.exists(remplacement()));
        EXPECT_TRUE(b.fp.files.launches.empty());
        EXPECT_NE(b.p().frmMain_si_charge(), nullptr);
        EXPECT_EQ(b.p().frmMaj().txtInfo->Caption(), frmMaj::texte_echec_telechargement());
    }
    // Checked only after the whole file arrived: a short reply is never run.
    b.fp.files.runs.clear();
    b.fp.network.onRequest = [](const FakeNetwork::Request&) {
        HttpReply r;
        r.status = 200;
        r.body = "half";
        r.error = QStringLiteral("2 bytes received of the 4 announced");
        return r;
    };
    EXPECT_NO_THROW(b.p().frmMaj().btnAction_Click(0));
    EXPECT_TRUE(b.fp.files.runs.empty());
    EXPECT_FALSE(b.fp.files.exists(remplacement()));
    EXPECT_EQ(b.p().frmMaj().txtInfo->Caption(), frmMaj::texte_echec_telechargement());
}

TEST_F(MajQuestion, AFailingStepOfTheAnswerIsReportedUnderTheButton) {
    servir(200, "new program");
    b.fp.dialogs.reply(2); // Cancel: no report is sent
    b.fp.files.duringSleep = [](int) { lever(ERR_DEPASSEMENT); };
    EXPECT_THROW(b.p().frmMaj().btnAction_Click(0), ProcessEnd);
    // Shown once (the same number again is not shown), the hand-over still made.
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Module:frmMaj\r\nRoutine:btnAction_Click")))
        << b.fp.dialogs.boxes[0].text.toStdString();
    EXPECT_EQ(b.fp.files.launches.size(), 1u);
}

TEST(MajTelechargement, AFailedDownloadKeepsTheBar) {
    BancReel b;
    b.publier("9.9.9");
    b.fp.files.onRun = [&](const FakeFiles::Launch& l, QByteArray& sortie) {
        sortie = b.fp.files.files.value(l.program) == "new program" ? "tarvik 9.9.9\n" : "";
        return true;
    };
    b.p().frmMain();
    b.p().maj().recherche_mise_a_jour();
    const QString remplacement = b.fp.files.inFolder(QStringLiteral("tarvik_"));
    // Not found, then an empty file: nothing is started, the bar stays.
    for (const auto& [status, corps] : {std::pair{404, QByteArray("not found")}, std::pair{200, QByteArray()}}) {
        b.fp.files.files.insert(remplacement, "stale leftover");
        b.http.routes["/tarvik/tarvik.exe"] = {status, corps};
        ASSERT_NE(b.p().frmMaj_si_charge(), nullptr);
        EXPECT_NO_THROW(b.p().frmMaj().btnAction_Click(0)) << status;
        EXPECT_FALSE(b.fp.files.exists(remplacement)) << status;
        EXPECT_TRUE(b.fp.files.launches.empty());
        EXPECT_NE(b.p().frmMain_si_charge(), nullptr);
        EXPECT_NE(b.p().frmOption_si_charge(), nullptr);
        EXPECT_EQ(b.p().frmMaj().txtInfo->Caption(), frmMaj::texte_echec_telechargement());
        EXPECT_EQ(b.p().frmMaj().btnAction(0).Caption(), QStringLiteral("Oui")); // may try again
    }
    b.http.routes["/tarvik/tarvik.exe"] = {200, "new program"};
    EXPECT_THROW(b.p().frmMaj().btnAction_Click(0), ProcessEnd);
    EXPECT_EQ(b.fp.files.files.value(remplacement), QByteArray("new program"));
    EXPECT_TRUE(b.fp.files.executables.contains(remplacement));
    EXPECT_EQ(b.fp.files.launches.size(), 1u);
}

TEST_F(MajQuestion, NoLeavesTheUpdateAvailable) {
    frmMaj& f = b.p().frmMaj();
    // The real button: its answer runs once control is back in the event loop.
    static_cast<QPushButton*>(f.btnAction(1).widget())->click();
    EXPECT_NE(b.p().frmMaj_si_charge(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), QStringLiteral("Mise à jour disponible !"));
    EXPECT_TRUE(b.fp.files.launches.empty());
    EXPECT_NE(b.p().frmMain_si_charge(), nullptr);
}

TEST(MajBoutons, DoNothingOutsideTheQuestion) {
    TestBench b;
    frmMaj& f = b.p().frmMaj();
    EXPECT_EQ(f.btnAction(0).Caption(), QStringLiteral("OK"));
    EXPECT_EQ(f.btnAction(1).Caption(), QStringLiteral("Annuler"));
    b.p().frmOption().txtInfo->setCaption(QStringLiteral("avant"));
    int replies = 0;
    for (int i : {0, 1}) {
        cliquer(f.btnAction(i));
        // The answer runs from the event loop: wait for it to have run.
        QMetaObject::invokeMethod(
            &f, [&] { ++replies; }, Qt::QueuedConnection);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return replies == 2; }));
    EXPECT_NE(b.p().frmMaj_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), QStringLiteral("avant"));
    EXPECT_TRUE(b.fp.network.requests.empty());
    EXPECT_TRUE(b.fp.files.launches.empty());
    EXPECT_TRUE(b.fp.files.openedPaths.isEmpty());

    // The arrow blinks from the moment the window is loaded.
    EXPECT_TRUE(f.TimerCligno->Enabled());
    EXPECT_EQ(f.TimerCligno->Interval(), 200);
    const bool avant = f.picFleche(1).Visible();
    f.TimerCligno->declencher();
    EXPECT_NE(f.picFleche(1).Visible(), avant);
    f.TimerCligno->declencher();
    EXPECT_EQ(f.picFleche(1).Visible(), avant);
}

TEST(MajAutomatique, AnUnreachableServerIsTriedEveryTenSeconds) {
    TestBench b;
    b.fp.network.files = &b.fp.files;
    frmMain& f = b.p().frmMain();
    b.p().frmOption().checkmajAuto->setValue(1);
    f.TimerCarteReseau->declencher();
    EXPECT_EQ(f.TimerCarteReseau->Interval(), 10000);
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), NON_CONNECTE);
    EXPECT_FALSE(b.p().maj_auto_faite);
    f.TimerCarteReseau->declencher();
    EXPECT_EQ(f.TimerCarteReseau->Interval(), 10000);
    EXPECT_EQ(b.p().maj().nb_echecs_maj, 2);

    // Once the server answers, the automatic check is done for the run.
    b.fp.network.reply(b.p().adresse_serveur() + QStringLiteral("/tarvik/tarvik.ver"), 200, version());
    f.TimerCarteReseau->declencher();
    EXPECT_EQ(b.p().frmOption().txtInfo->Caption(), A_JOUR);
    EXPECT_TRUE(b.p().maj_auto_faite);
    const size_t n = b.fp.network.requests.size();
    f.TimerCarteReseau->declencher();
    for (size_t i = n; i < b.fp.network.requests.size(); ++i)
        EXPECT_FALSE(b.fp.network.requests[i].url.endsWith(QStringLiteral(".ver")));
}

TEST(MajAutomatique, ATickDuringTheUsersOwnCheckLeavesTheAutomaticCheckToLater) {
    TestBench b;
    b.fp.network.files = &b.fp.files;
    frmMain& f = b.p().frmMain();
    b.p().frmOption().checkmajAuto->setValue(1);
    // While the user's check waits for the server, the network timer ticks.
    bool tic = false;
    b.fp.network.onRequest = [&](const FakeNetwork::Request&) {
        if (!tic) {
            tic = true;
            f.TimerCarteReseau->declencher();
        }
        return HttpReply{};
    };
    cliquer(*b.p().frmOption().btnMaj);
    EXPECT_TRUE(tic);
    EXPECT_FALSE(b.p().maj_auto_faite); // turned away, not done
    b.fp.network.onRequest = nullptr;
    b.fp.network.reply(b.p().adresse_serveur() + QStringLiteral("/tarvik/tarvik.ver"), 200, version());
    f.TimerCarteReseau->declencher();
    EXPECT_TRUE(b.p().maj_auto_faite);
}

} // namespace
} // namespace tk
