// The options' store against a process killed at every step of the file
// rewrites it makes: the settings file holds all the old options or all the
// new ones, and the next start removes the temporary file left behind.
// The test runs itself as a child process (the ChildWritesUntilKilled test), which stops
// with SIGKILL at the chosen step of the file layer.
#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"
#include "platform/linux/linux_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace tk;

namespace {

const QString APPLI = QStringLiteral("tarvik");

LinuxRegistry registre(const QString& config) {
    return LinuxRegistry({config, config, {}, {}},
                         [](const QString&, const QStringList&, QByteArray&) { return false; });
}

// The settings the OK button stores, before (as in the file at the start)
// and after (as the child sets the dialog).
struct Valeur {
    const char* cle;
    const char* ancienne;
    const char* nouvelle;
};
const Valeur OPTIONS[] = {
    {"majAuto", "0", "1"},
    {"mail0", "old.example", "pop.example"},
    {"mail1", "ancien", "nouveau"},
    {"mail2", "secret1", "secret2"},
    {"mail3", "3", "7"},
    {"mail4", "No sound", "Beep"},
    {"Processus", "Bas", "Normal"},
    {"autoStart", "0", "0"},
    {"ShowIcone", "0", "1"},
    {"Help", "0", "1"},
    {"Smooth", "1", "0"},
    {"DelayVerif", "1050", "2050"},
    {"Skin", "Windows skin", "Tarvik skin"},
};

} // namespace

// The child: loads the dialog over the settings in $TK_COUPURE_CONFIG, sets
// every option to its new value and presses OK; killed at step
// $TK_COUPURE_ETAPE of the file layer.
TEST(ReglagesCoupure, ChildWritesUntilKilled) {
    const QString config = qEnvironmentVariable("TK_COUPURE_CONFIG");
    if (config.isEmpty()) GTEST_SKIP() << "run by ReglagesCoupure.AKillAtAnyStepLeavesAllOldOrAllNew";
    const int arret = qEnvironmentVariableIntValue("TK_COUPURE_ETAPE");
    LinuxRegistry reg = registre(config);
    int etapes = 0;
    reg.setWriteStepHook([&](const char*) {
        if (++etapes == arret) ::kill(::getpid(), SIGKILL);
    });
    FakePlatform fp;
    Programme prog(
        Platform{fp.shell, fp.counters, fp.system, fp.mixer, reg, fp.network, fp.files, fp.sound, fp.dialogs});
    frmOption& o = prog.frmOption();
    o.Show();
    o.checkmajAuto->setValue(1);
    o.txtMail(0).setText(QStringLiteral("pop.example"));
    o.txtMail(1).setText(QStringLiteral("nouveau"));
    o.txtMail(2).setText(QStringLiteral("secret2"));
    o.UpDown1->setValue(7);
    o.ComboAlarme->setText(QStringLiteral("Beep"));
    o.ComboProcessus->setText(QStringLiteral("Normal"));
    o.CheckIcone->setValue(1);
    o.CheckHelp->setValue(1);
    o.CheckSmooth->setValue(0);
    o.UpDownVerif->setValue(2050);
    o.ComboSkin->setText(QStringLiteral("Tarvik skin"));
    static_cast<QPushButton*>(o.btnOK->widget())->click();
    std::printf("steps %d\n", etapes);
}

TEST(ReglagesCoupure, AKillAtAnyStepLeavesAllOldOrAllNew) {
    if (!qEnvironmentVariable("TK_COUPURE_CONFIG").isEmpty()) GTEST_SKIP();
    int tuees = 0, melanges = 0;
    for (int etape = 1; etape < 200; ++etape) {
        QTemporaryDir dossier;
        const QString config = dossier.path() + QStringLiteral("/config");
        {
            LinuxRegistry r = registre(config);
            r.beginWrites(APPLI);
            for (const Valeur& v : OPTIONS)
                r.saveSetting(APPLI, QStringLiteral("Settings"), QLatin1String(v.cle), QLatin1String(v.ancienne));
            r.saveSetting(APPLI, QStringLiteral("Settings"), QStringLiteral("nbUse"), QStringLiteral("5"));
            r.saveSetting(APPLI, QStringLiteral("Settings"), QStringLiteral("firstUse"), QStringLiteral("01/02/2020"));
            r.endWrites(APPLI);
        }
        QProcess enfant;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TK_COUPURE_CONFIG"), config);
        env.insert(QStringLiteral("TK_COUPURE_ETAPE"), QString::number(etape));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        enfant.setProcessEnvironment(env);
        enfant.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_filter=ReglagesCoupure.ChildWritesUntilKilled")});
        ASSERT_TRUE(enfant.waitForFinished(60000));
        const bool tue = enfant.exitStatus() == QProcess::CrashExit;
        if (!tue) {
            ASSERT_EQ(enfant.exitCode(), 0) << enfant.readAll().constData();
        }

        // The next start reads the settings: the temporary file is gone.
        LinuxRegistry suivant = registre(config);
        int anciennes = 0, nouvelles = 0;
        for (const Valeur& v : OPTIONS) {
            const QString lu = suivant.getSetting(APPLI, QStringLiteral("Settings"), QLatin1String(v.cle), QString());
            anciennes += lu == QLatin1String(v.ancienne);
            nouvelles += lu == QLatin1String(v.nouvelle);
        }
        const int n = static_cast<int>(std::size(OPTIONS));
        const QStringList restes =
            QDir(config + QStringLiteral("/tarvik")).entryList(QDir::Files | QDir::Hidden | QDir::System);
        EXPECT_EQ(restes, QStringList{QStringLiteral("tarvik.ini")}) << "step " << etape;
        if (anciennes != n && nouvelles != n) ++melanges;
        EXPECT_TRUE(anciennes == n || nouvelles == n)
            << "step " << etape << ": " << anciennes << " old and " << nouvelles << " new options";
        // The use count of the load is stored with its date, as one group.
        const QString nb = suivant.getSetting(APPLI, QStringLiteral("Settings"), QStringLiteral("nbUse"), QString());
        EXPECT_TRUE(nb == QLatin1String("5") || nb == QLatin1String("6"))
            << "step " << etape << ": " << nb.toStdString();
        if (!tue) break;
        ++tuees;
    }
    // The store was interrupted at every step of its rewrites, and the child
    // got to its end at last.
    EXPECT_GE(tuees, 6);
    EXPECT_EQ(melanges, 0);
}
