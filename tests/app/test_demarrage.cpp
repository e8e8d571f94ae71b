// Start-up routing and reading of the stored bar mode, the registry reader,
// the error handler and its log, and shutdown through "Exit".
#include "app/frmMain.h"
#include "app/mdlMain.h"
#include "app/registre.h"
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tk;

TEST(Demarrage, OnlyTheExactRebootArgumentOrTheReplacementNameRoutesToTheReplacement) {
    struct Cas {
        QString ligne, exe;
        bool remplacement;
    };
    for (const Cas& c :
         {Cas{"-reboot", "tarvik", true}, Cas{"-reboot ", "tarvik", false}, Cas{"-REBOOT", "tarvik", false},
          Cas{"", "Tarvik_", true}, Cas{"", "tarvik_x", false}, Cas{"-reboot -x", "tarvik", false}}) {
        TestBench b;
        b.fp.files.commandText = c.ligne;
        b.fp.files.exeName = c.exe;
        mdlMain m(b.p());
        if (c.remplacement) {
            // The replacement ends the process itself; the start never goes on.
            EXPECT_THROW(m.Main(), ProcessEnd) << c.ligne.toStdString() << c.exe.toStdString();
            EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
            EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
            EXPECT_FALSE(b.fp.files.files.contains(b.fp.files.inFolder(QStringLiteral("err.log"))));
        } else {
            m.Main();
            EXPECT_NE(b.p().frmMain_si_charge(), nullptr) << c.ligne.toStdString() << c.exe.toStdString();
        }
    }
}

TEST(Demarrage, OrdinaryStartEnablesTheThreePeriodicTimersOnly) {
    TestBench b;
    mdlMain m(b.p());
    m.Main();
    frmMain& f = b.p().frmMain();
    EXPECT_TRUE(f.TimerGetValues->Enabled());
    EXPECT_TRUE(f.TimerCarteReseau->Enabled());
    EXPECT_TRUE(f.timerMail->Enabled());
    EXPECT_FALSE(f.timerAide->Enabled());
    EXPECT_EQ(f.TimerGetValues->Interval(), 750);
    EXPECT_EQ(f.TimerCarteReseau->Interval(), 30000);
    EXPECT_EQ(f.timerMail->Interval(), 60000);
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr); // loaded for the clean-up, unloaded at the end
    EXPECT_NE(b.p().frmOption_si_charge(), nullptr);
}

// The mixer is opened at step 13: by then the dialog is loaded, the bar is
// docked, its counters are open and it is shown; the timers and the process
// priority come later, and the update window is unloaded only afterwards.
TEST(Demarrage, StepsRunInTheirOrderAroundTheMixerOpening) {
    TestBench b;
    bool vu = false;
    b.fp.mixer.duringOpen = [&] {
        vu = true;
        Programme& p = b.p();
        EXPECT_NE(p.frmOption_si_charge(), nullptr);
        ASSERT_NE(p.frmMain_si_charge(), nullptr);
        frmMain& f = *p.frmMain_si_charge();
        const auto messages = b.fp.shell.messages();
        EXPECT_NE(std::find(messages.begin(), messages.end(), ABM_SETPOS), messages.end());
        EXPECT_GE(b.fp.counters.queriesOpened(), 1);
        ASSERT_NE(f.fenetre(), nullptr);
        EXPECT_TRUE(f.fenetre()->isVisible());
        EXPECT_FALSE(f.TimerGetValues->Enabled());
        EXPECT_FALSE(f.TimerCarteReseau->Enabled());
        EXPECT_TRUE(b.fp.files.priorityRequests.empty());
        EXPECT_NE(p.frmMaj_si_charge(), nullptr);
    };
    mdlMain m(b.p());
    m.Main();
    EXPECT_TRUE(vu);
    EXPECT_EQ(b.fp.mixer.opens, 1);
    EXPECT_EQ(b.fp.files.priorityRequests, std::vector<int>{0}); // "Normal", once, at the end
    EXPECT_TRUE(b.p().frmMain().TimerGetValues->Enabled());
    EXPECT_EQ(b.p().frmMaj_si_charge(), nullptr);
}

TEST(Demarrage, StoredBarModeReadsOneOrTwoAndNothingElseStopsTheStart) {
    for (auto [stocke, attendu] : std::vector<std::pair<QString, int>>{
             {"", 2}, {"abc", 2}, {"99999", 2}, {"3", 2}, {"0", 2}, {"1", 1}, {"2", 2}, {"-1", 2}}) {
        TestBench b;
        b.fp.registry.put("tarvik", "modeBarre", stocke);
        mdlMain m(b.p());
        m.Main();
        EXPECT_EQ(b.p().modeBarre, attendu) << stocke.toStdString();
        EXPECT_TRUE(b.fp.dialogs.boxes.empty()) << stocke.toStdString(); // no error box either
    }
    TestBench vide; // nothing stored: full mode
    mdlMain m(vide.p());
    m.Main();
    EXPECT_EQ(vide.p().modeBarre, 2);
}

TEST(Demarrage, ProductNameDecidesTheCounterSpelling) {
    TestBench b;
    b.fp.registry.putValue(RegistryRoot::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                           "productname", QString("Debian Vista") + QChar(u'\0') + "x");
    mdlMain m(b.p());
    m.Main();
    EXPECT_TRUE(b.p().est_vista);
    EXPECT_EQ(lire_registre(b.p(), RegistryRoot::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                            "productname"),
              "Debian Vista"); // cut before the NUL
    EXPECT_EQ(lire_registre(b.p(), RegistryRoot::HKEY_CURRENT_USER, "Nowhere", "x"), "");
}

TEST(ErreurAffichee, SameNumberIsShownAndLoggedOnceUntilAnotherOneWasShown) {
    TestBench b;
    mdlFonctions& f = b.p().fonctions();
    b.fp.dialogs.defaultReply = vbCancel;
    f.afficher_erreur("Dépassement de capacité", 6, "lire_compteurs", "mdlPdh");
    f.afficher_erreur("Dépassement de capacité", 6, "lire_compteurs", "mdlPdh");
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(
        b.fp.dialogs.boxes[0].text,
        "Une erreur est survenue dans le le logiciel!\r\nDéscriptif:\r\nModule:mdlPdh\r\n"
        "Routine:lire_compteurs\r\nErreur:6 Dépassement de capacité\r\nVoulez vous envoyer ce rapport d'erreur ?");
    EXPECT_EQ(b.fp.dialogs.boxes[0].title, "Tarvik");
    EXPECT_EQ(b.fp.dialogs.boxes[0].style, vbOKCancel | vbCritical);

    f.afficher_erreur("Division par zéro", 11, "x", "y");
    f.afficher_erreur("Dépassement de capacité", 6, "lire_compteurs", "mdlPdh");
    EXPECT_EQ(b.fp.dialogs.boxes.size(), 3u);

    const QString log = QString::fromUtf8(b.fp.files.files.value("/opt/tarvik/err.log"));
    const QStringList lignes = log.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lignes.size(), 3); // Cancel still logs
    EXPECT_TRUE(lignes[0].endsWith(" mdlPdh lire_compteurs 6 Dépassement de capacité")) << lignes[0].toStdString();
    EXPECT_TRUE(QDateTime::fromString(lignes[0].left(19), "dd/MM/yyyy HH:mm:ss").isValid());
    EXPECT_TRUE(b.fp.network.requests.empty()); // Cancel sends nothing
}

TEST(ErreurAffichee, TrappedStatementsReportTheirProcedureAndGoOn) {
    TestBench b;
    b.fp.dialogs.defaultReply = vbCancel;
    Piege t(b.p().rapporteur(), "placer_le_compteur", "mdlAppBar");
    bool suite = false;
    t([&] { lever(ERR_VALEUR_PROPRIETE); });
    t([&] { suite = true; });
    EXPECT_TRUE(suite);
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains("Routine:placer_le_compteur"));
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains("Erreur:380 Valeur de propriété non valide"));
}

TEST(Arret, ExitRemovesTheIconUnloadsTheBarStoresOptionsAndEnds) {
    TestBench b;
    mdlMain m(b.p());
    m.Main();
    b.fp.shell.barCalls.clear();
    const int suppressions = b.fp.shell.trayDeletes;
    try {
        b.p().frmOption().mnuQuitter_Click();
        FAIL() << "the process did not end";
    } catch (const ProcessEnd& fin) {
        EXPECT_EQ(fin.code, 0);
    }
    EXPECT_GE(b.fp.shell.trayDeletes, suppressions + 1);
    EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
}

// A termination request only ends the event loop; what "Exit" unloads is
// unloaded afterwards, once, even when a slide was running when it came.
TEST(Arret, AfterATerminationRequestTheProgramIsUnloadedOnce) {
    TestBench b;
    mdlMain m(b.p());
    m.Main();
    ASSERT_GE(b.fp.shell.reservedBottom, 0);
    b.p().animation_en_cours = true; // a slide was letting events run
    const int suppressions = b.fp.shell.trayDeletes;
    m.fin_du_programme();
    EXPECT_GE(b.fp.shell.trayDeletes, suppressions + 1);
    EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
    EXPECT_EQ(b.fp.shell.reservedBottom, -1) << "the work area is given back";
    EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
    EXPECT_EQ(b.fp.registry.value("tarvik", "DelayVerif"), "750") << "the options are stored";

    const size_t appels = b.fp.shell.barCalls.size();
    const int apres = b.fp.shell.trayDeletes;
    m.fin_du_programme(); // once only: nothing is loaded again
    EXPECT_EQ(b.fp.shell.barCalls.size(), appels);
    EXPECT_EQ(b.fp.shell.trayDeletes, apres);
    EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
}
