// The report sender, the error handler's OK and Cancel, and the send button,
// against the fake network and against a real HTTP server on 127.0.0.1.
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"
#include "platform/linux/linux_network.h"

#include <QDate>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QUrl>
#include "evenements_reels.h"

#include <gtest/gtest.h>

#include "serveur_python.h"

using namespace tk;
using namespace tk::test;

namespace {

QString decoder(const QByteArray& valeur) { return QUrl::fromPercentEncoding(valeur); }

// The report text carried by a request, from its query.
QString rapport_de(const QString& url) {
    const qsizetype i = url.indexOf(QStringLiteral("/tarvik/log.php?info="));
    if (i < 0) return QStringLiteral("<no report address>");
    return decoder(url.mid(i + 21).toLatin1());
}

struct Rapport : ::testing::Test {
    TestBench b;
    QString log() { return b.fp.files.inFolder(QStringLiteral("err.log")); }
    QString envoyer() {
        b.p().frmOption();
        b.fp.network.requests.clear();
        b.p().fonctions().MAF();
        if (b.fp.network.requests.size() != 1) return QStringLiteral("<%1 requests>").arg(b.fp.network.requests.size());
        return rapport_de(b.fp.network.requests[0].url);
    }
    QString fu() { return QDate::currentDate().toString(QStringLiteral("dd/MM/yy")); }
};

TEST_F(Rapport, TextOfAReportWithoutMessageNorLog) {
    b.fp.files.computer = QStringLiteral("PC-01");
    b.fp.files.user = QStringLiteral("jean dupont");
    const QString texte = envoyer();
    EXPECT_EQ(texte, QStringLiteral("user=jean dupont_computer=PC_version=TK V%1.%2.%3_FU=%4_NBU=2_MSG=[]")
                         .arg(Programme::version_major())
                         .arg(Programme::version_minor())
                         .arg(Programme::version_revision())
                         .arg(fu()));
    const FakeNetwork::Request& r = b.fp.network.requests[0];
    EXPECT_EQ(r.method, QStringLiteral("POST"));
    EXPECT_TRUE(r.url.startsWith(b.p().adresse_serveur() + QStringLiteral("/tarvik/log.php?info=user%3Djean%20dupont")))
        << r.url.toStdString();
    EXPECT_FALSE(r.url.contains(QLatin1Char(' ')));
    EXPECT_EQ(r.type, QByteArray("application/x-www-form-urlencoded"));
    EXPECT_EQ(decoder(r.body), texte);
    // The body is the report text itself, blanks as %20.
    EXPECT_EQ(r.body, texte.toUtf8().replace(" ", "%20"));
    EXPECT_FALSE(r.waitForReply);
}

TEST_F(Rapport, LogSizeAndTheHundredKilobyteRule) {
    b.fp.files.files[log()] = QByteArray(99999, 'x');
    EXPECT_TRUE(envoyer().endsWith(QStringLiteral("_MSG=[99999]")));
    EXPECT_TRUE(b.fp.files.exists(log()));

    b.fp.files.files[log()] = QByteArray(100000, 'x');
    EXPECT_TRUE(envoyer().endsWith(QStringLiteral("_MSG=[100000][Err>100ko]")));
    EXPECT_FALSE(b.fp.files.exists(log()));
    // The extended message is written back into the dialog's box.
    EXPECT_EQ(b.p().frmOption().txtMessage->Text(), QStringLiteral("[Err>100ko]"));
}

TEST_F(Rapport, LastLogFieldIsAddedOnlyWhenRecentAndDated) {
    const QString ancien = QDateTime::currentDateTime().addDays(-3).toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) +
                           QStringLiteral(" frmMain timerHide_Timer 6 Dépassement de capacité\r\n");
    b.fp.files.files[log()] = ancien.toUtf8();
    EXPECT_TRUE(envoyer().endsWith(QStringLiteral("]")));

    const QString recent = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) +
                           QStringLiteral(" mdlDisk init_disques 9 L'indice n'appartient pas à la sélection\r\n");
    b.fp.files.files[log()] = (ancien + recent).toUtf8();
    b.p().frmOption().txtMessage->setText(QStringLiteral("bonjour"));
    EXPECT_TRUE(envoyer().endsWith(QStringLiteral("]bonjour") + recent.trimmed()));

    // A description holding a comma: its last field is no dated line and is left out,
    // without any error.
    b.p().frmOption().txtMessage->setText(QString());
    b.fp.files.files[log()] =
        (recent.trimmed() + QStringLiteral(", et la suite de cette description est longue\r\n")).toUtf8();
    const QString texte = envoyer();
    EXPECT_TRUE(texte.endsWith(QStringLiteral("_MSG=[%1]").arg(b.fp.files.files[log()].size()))) << texte.toStdString();
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
}

TEST_F(Rapport, CharactersThatMeanSomethingInAnAddressAreEscaped) {
    b.p().frmOption().txtMessage->setText(QStringLiteral("a&b=c #d +e %f/g?h"));
    const QString texte = envoyer();
    EXPECT_TRUE(texte.endsWith(QStringLiteral("]a&b=c #d +e %f/g?h"))) << texte.toStdString();
    const QString url = b.fp.network.requests[0].url;
    const QString requete = url.mid(url.indexOf(QLatin1Char('?')) + 1);
    EXPECT_EQ(requete.count(QLatin1Char('&')), 0);
    EXPECT_EQ(requete.count(QLatin1Char('#')), 0);
    EXPECT_EQ(requete.count(QLatin1Char('+')), 0);
    EXPECT_EQ(requete.count(QLatin1Char('=')), 1);
    // In the body only what would end or change a form value is escaped.
    const QByteArray corps = b.fp.network.requests[0].body;
    EXPECT_TRUE(corps.endsWith("]a%26b=c%20%23d%20%2Be%20%25f/g?h")) << corps.constData();
    EXPECT_EQ(corps_rapport(QStringLiteral("é\r\n\x7f~")), QByteArray("%C3%A9%0D%0A%7F~"));
}

TEST_F(Rapport, ErrorBoxCancelLogsButSendsNothingOkSendsTheLine) {
    b.p().frmOption();
    b.fp.network.requests.clear();
    b.fp.dialogs.reply(vbCancel);
    b.p().fonctions().afficher_erreur(QStringLiteral("Division par zéro"), 11, QStringLiteral("calcul"),
                                      QStringLiteral("mdlPdh"));
    EXPECT_TRUE(b.fp.network.requests.empty());
    EXPECT_TRUE(b.fp.files.exists(log()));

    b.fp.dialogs.reply(vbOK);
    b.p().fonctions().afficher_erreur(QStringLiteral("Dépassement de capacité"), 6, QStringLiteral("timerHide_Timer"),
                                      QStringLiteral("frmMain"));
    ASSERT_EQ(b.fp.network.requests.size(), 1u);
    EXPECT_TRUE(rapport_de(b.fp.network.requests[0].url)
                    .endsWith(QStringLiteral(" frmMain timerHide_Timer 6 Dépassement de capacité")));
}

// An installed program cannot write beside itself: the log goes to the
// user's state folder, and the report reads it from there.
TEST_F(Rapport, AnInstalledProgramLogsInTheStateFolderAndReportsFromThere) {
    FakeFiles& fichiers = b.fp.files;
    fichiers.protectedFolders.insert(fichiers.folder);
    b.p().frmOption();
    b.fp.dialogs.reply(vbCancel);
    b.p().fonctions().afficher_erreur(QStringLiteral("Type incompatible"), 13, QStringLiteral("Form_Load"),
                                      QStringLiteral("frmOption"));
    const QString etat = fichiers.stateDir + QStringLiteral("/err.log");
    EXPECT_EQ(b.p().fonctions().chemin_log(), etat);
    EXPECT_FALSE(fichiers.exists(log()));
    ASSERT_TRUE(fichiers.exists(etat));
    EXPECT_TRUE(fichiers.files.value(etat).endsWith(" frmOption Form_Load 13 Type incompatible\r\n"));

    const QString r = envoyer();
    EXPECT_TRUE(r.contains(QStringLiteral("_MSG=[") + QString::number(fichiers.size(etat)) + QLatin1Char(']')))
        << r.toStdString();
    EXPECT_TRUE(r.endsWith(QStringLiteral(" frmOption Form_Load 13 Type incompatible"))) << r.toStdString();

    // No state folder either: the program folder stays the log's place (and
    // writing there fails silently, as for any unwritable log).
    fichiers.stateDir.clear();
    EXPECT_EQ(b.p().fonctions().chemin_log(), log());
    // A writable program folder keeps its log beside the executable.
    fichiers.protectedFolders.clear();
    b.p().fonctions().afficher_erreur(QStringLiteral("Dépassement de capacité"), 6, QStringLiteral("x"),
                                      QStringLiteral("frmMain"));
    EXPECT_TRUE(fichiers.exists(log()));
}

TEST_F(Rapport, SendButtonConfirmsOnlyWhatTheServerTook) {
    frmOption& o = b.p().frmOption();
    cliquer(*o.btnSend); // nobody answers
    EXPECT_EQ(o.txtInfo->Caption(), QStringLiteral("Non connecté..."));
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    ASSERT_EQ(b.fp.network.requests.size(), 1u);
    EXPECT_TRUE(b.fp.network.requests[0].waitForReply);
    EXPECT_GT(b.fp.network.requests[0].timeoutMs, 0);

    b.fp.network.onRequest = [](const FakeNetwork::Request&) {
        HttpReply r;
        r.ok = true;
        r.status = 200;
        return r;
    };
    cliquer(*o.btnSend); // an empty message is sent all the same
    EXPECT_EQ(o.txtInfo->Caption(), QStringLiteral("OK"));
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(b.fp.dialogs.boxes[0].text, QStringLiteral("Your message is successfully sent!"));
    EXPECT_EQ(b.fp.dialogs.boxes[0].style, vbOKOnly);
}

// ------------------------------------------------------------ a real server

struct RapportReel : ::testing::Test {
    FakePlatform fp;
    LinuxNetwork reseau;
    Platform plateforme{fp.shell, fp.counters, fp.system, fp.mixer,  fp.registry,
                        reseau,   fp.files,    fp.sound,  fp.dialogs};
    std::unique_ptr<Programme> prog = std::make_unique<Programme>(plateforme);
};

// A server that reads the form: the body is one field "user" holding the rest
// of the report, the query one field "info" holding all of it; what the user
// typed adds no field to either.
TEST_F(RapportReel, AFormReaderFindsTheReportWhole) {
    ServeurPython serveur(QStringLiteral("http_hostile.py"));
    ASSERT_TRUE(serveur.pret());
    fp.registry.put(QStringLiteral("tarvik"), QStringLiteral("adresseServeur"), serveur.base());
    fp.files.user = QStringLiteral("jean dupont");
    frmOption& o = prog->frmOption();
    const QString message = QStringLiteral("R&D #1: 50% + 2 = \"ça va\"&info=x\ttab");
    o.txtMessage->setText(message);
    cliquer(*o.btnSend);
    EXPECT_EQ(o.txtInfo->Caption(), QStringLiteral("OK"));
    ASSERT_EQ(fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(fp.dialogs.boxes[0].text, QStringLiteral("Your message is successfully sent!"));
    QFile f(serveur.racine() + QStringLiteral("/forms.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lignes = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    const QString rapport = QStringLiteral("user=jean dupont_computer=PC_version=TK V%1.%2.%3_FU=%4_NBU=2_MSG=[]")
                                .arg(Programme::version_major())
                                .arg(Programme::version_minor())
                                .arg(Programme::version_revision())
                                .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yy"))) +
                            message;
    // Body fields, "--", query fields, "==".
    EXPECT_EQ(lignes, (QStringList{rapport, QStringLiteral("--"), QStringLiteral("info=") + rapport,
                                   QStringLiteral("=="), QString()}));
}

} // namespace
