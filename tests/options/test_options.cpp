// The options dialog: load, OK, pages, the controls that act at once, the
// drive list, the tray icon, the popup menu and "Exit".
#include "app/frmMain.h"
#include "app/mdlMain.h"
#include "drives/mdlDisk.h"
#include "mail/mdlMail.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"

#include <QDate>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include "evenements_reels.h"

#include <QTabBar>
#include <gtest/gtest.h>

using namespace tk;
using namespace tk::test;

namespace {

const QString APPLI = QStringLiteral("tarvik");

struct Options : ::testing::Test {
    TestBench b;
    FakeRegistry& reg() { return b.fp.registry; }
    QString setting(const char* cle) { return reg().value(APPLI, QString::fromLatin1(cle)); }
    void put(const char* cle, const char* valeur) {
        reg().put(APPLI, QString::fromLatin1(cle), QString::fromLatin1(valeur));
    }
    frmOption& f() { return b.p().frmOption(); }
    // The user closes the dialog with its window's close button.
    void fermer() { f().fermeture_utilisateur(); }
    std::vector<int> pages_visibles() {
        std::vector<int> r;
        for (int i = 1; i <= 5; ++i)
            if (f().PictureFond(i).Visible()) r.push_back(i);
        return r;
    }
};

TEST_F(Options, EmptyStoreGivesTheDefaultsAndCountsTheFirstUse) {
    frmOption& o = f();
    for (int k = 0; k <= 2; ++k) EXPECT_EQ(o.txtMail(k).Text(), QString()) << k;
    EXPECT_EQ(o.UpDown1->Value(), 4);
    EXPECT_EQ(o.txtMail(3).Text(), QStringLiteral("4"));
    EXPECT_EQ(o.ComboAlarme->Text(), QStringLiteral("Beep"));
    EXPECT_EQ(o.ComboProcessus->Text(), QStringLiteral("Normal"));
    EXPECT_EQ(o.ComboSkin->Text(), QStringLiteral("Tarvik skin"));
    EXPECT_EQ(o.UpDownVerif->Value(), 750);
    EXPECT_EQ(o.txtVerifDelay->Text(), QStringLiteral("750"));
    EXPECT_EQ(o.checkmajAuto->Value(), 1);
    EXPECT_EQ(o.CheckIcone->Value(), 1);
    EXPECT_EQ(o.CheckHelp->Value(), 1);
    EXPECT_EQ(o.checkStart->Value(), 0);
    EXPECT_EQ(o.CheckSmooth->Value(), 0);
    EXPECT_TRUE(b.p().aide_active);
    EXPECT_FALSE(b.p().lissage);
    EXPECT_EQ(b.p().frmMain().TimerGetValues->Interval(), 750);
    EXPECT_EQ(setting("firstUse"), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_EQ(setting("nbUse"), QStringLiteral("2"));
    // Loading does not touch the start-with-the-session entry when it is off.
    EXPECT_TRUE(reg().operations.empty());
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    EXPECT_TRUE(b.fp.shell.trayShown);
    EXPECT_FALSE(f().hWnd()->windowIcon().isNull());
}

TEST_F(Options, LoadPlacesTheDialogAndShowsTheFirstPage) {
    frmOption& o = f();
    EXPECT_EQ(o.Width(), 5280);
    EXPECT_EQ(o.Height(), 4800);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(QPointF(o.PictureFond(i).Left(), o.PictureFond(i).Top()), QPointF(360, 600));
    EXPECT_EQ(pages_visibles(), std::vector<int>{1});
    EXPECT_EQ(o.Caption(), QStringLiteral("Tarvik V%1.%2.%3 beta")
                               .arg(Programme::version_major())
                               .arg(Programme::version_minor())
                               .arg(Programme::version_revision()));
    EXPECT_EQ(o.Caption(), QStringLiteral("Tarvik ") + o.txtVersion->Caption());
}

TEST_F(Options, StoredSettingsRunTheirHandlers) {
    put("mail0", "pop.example.org");
    put("mail3", "7");
    put("mail4", "/home/u/ding.wav");
    put("Processus", "Bas");
    put("autoStart", "1");
    put("ShowIcone", "0");
    put("Help", "0");
    put("Smooth", "1");
    put("skin", "Mode transparent");
    put("DelayVerif", "1500");
    put("firstUse", "01/02/2020");
    put("nbUse", "41");
    frmOption& o = f();
    EXPECT_EQ(o.txtMail(0).Text(), QStringLiteral("pop.example.org"));
    EXPECT_EQ(o.txtMail(3).Text(), QStringLiteral("7"));
    EXPECT_EQ(o.ComboAlarme->Text(), QStringLiteral("/home/u/ding.wav"));
    EXPECT_EQ(o.ComboProcessus->Text(), QStringLiteral("Bas"));
    EXPECT_EQ(o.ComboSkin->Text(), QStringLiteral("Mode transparent"));
    EXPECT_EQ(o.txtVerifDelay->Text(), QStringLiteral("1500"));
    EXPECT_EQ(b.p().frmMain().TimerGetValues->Interval(), 1500);
    EXPECT_FALSE(b.p().aide_active);
    EXPECT_TRUE(b.p().lissage);
    EXPECT_FALSE(b.fp.shell.trayShown);
    EXPECT_EQ(b.fp.shell.trayAdds, 0);
    // A stored autoStart of 1 writes the entry again.
    ASSERT_EQ(reg().operations.size(), 1u);
    EXPECT_TRUE(reg().operations[0].isWrite);
    EXPECT_EQ(reg().operations[0].name, QStringLiteral("tarvik"));
    EXPECT_EQ(setting("firstUse"), QStringLiteral("01/02/2020"));
    EXPECT_EQ(setting("nbUse"), QStringLiteral("42"));
    // Loading alone leaves the priority to the start-up.
    EXPECT_TRUE(b.fp.files.priorityRequests.empty());
}

TEST_F(Options, ASpinnerValueOutOfRangeIsReportedAndTheLoadGoesOn) {
    put("mail3", "11");
    put("mail4", "No sound");
    frmOption& o = f();
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Routine:Form_Load")));
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Erreur:380")));
    EXPECT_EQ(o.UpDown1->Value(), 4);
    EXPECT_EQ(o.ComboAlarme->Text(), QStringLiteral("No sound"));
    EXPECT_EQ(setting("nbUse"), QStringLiteral("2"));
}

TEST_F(Options, OkHidesAndWritesEveryChoiceInOrder) {
    f().Show();
    f().txtMail(1).setText(QStringLiteral("jean"));
    reg().writes.clear();
    const int rewrites = reg().rewrites;
    cliquer(*f().btnOK);
    EXPECT_EQ(reg().rewrites, rewrites + 1); // one rewrite of the file for the whole store
    EXPECT_FALSE(f().hWnd()->isVisible());
    EXPECT_EQ(reg().writtenKeys(), (QStringList{"majAuto", "mail0", "mail1", "mail2", "mail3", "mail4", "Processus",
                                                "autoStart", "ShowIcone", "Help", "Smooth", "DelayVerif", "Skin"}));
    EXPECT_EQ(setting("mail1"), QStringLiteral("jean"));
    EXPECT_EQ(setting("skin"), QStringLiteral("Tarvik skin"));
    EXPECT_EQ(setting("DelayVerif"), QStringLiteral("750"));
    EXPECT_EQ(setting("ShowIcone"), QStringLiteral("1"));
}

TEST_F(Options, MailDelayTypedInTheBoxActsButOkStoresTheSpinner) {
    frmOption& o = f();
    o.txtMail(0).setText(QStringLiteral("pop.example.org"));
    o.UpDown1->setValue(6);
    EXPECT_EQ(o.txtMail(3).Text(), QStringLiteral("6"));
    o.txtMail(3).setText(QStringLiteral("0"));
    EXPECT_EQ(o.UpDown1->Value(), 6);
    // The mail check reads the box: the very next minute starts a check.
    b.p().frmMain();
    b.p().mail().timerMail_Timer();
    ASSERT_NE(b.fp.network.lastSocket(), nullptr);
    EXPECT_EQ(b.fp.network.lastSocket()->connections, 1);
    cliquer(*o.btnOK);
    EXPECT_EQ(setting("mail3"), QStringLiteral("6"));
}

TEST_F(Options, PriorityActsAtOnceAndARefusedRaiseIsSilent) {
    frmOption& o = f();
    reg().writes.clear();
    choose(*o.ComboProcessus, QStringLiteral("Bas"));
    EXPECT_EQ(b.fp.files.nice, 19);
    EXPECT_TRUE(reg().writes.empty());                 // before any OK
    choose(*o.ComboProcessus, QStringLiteral("Haut")); // an ordinary user may not go back up
    EXPECT_EQ(b.fp.files.priorityRequests, (std::vector<int>{19, -5}));
    EXPECT_EQ(b.fp.files.nice, 19);
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    b.fp.files.privileged = true;
    choose(*o.ComboProcessus, QStringLiteral("Haut")); // the same item again is a choice again
    EXPECT_EQ(b.fp.files.nice, -5);
    o.ComboProcessus->setText(QStringLiteral("Turbo")); // a stored setting, applied by code
    o.ComboProcessus_Click();
    EXPECT_EQ(b.fp.files.priorityRequests.size(), 3u);
}

TEST_F(Options, TabsShowOnlyTheirPageByMouseAndByKeyboard) {
    frmOption& o = f();
    o.Show();
    auto* onglets = static_cast<QTabBar*>(o.TabStrip1->widget());
    QTest::mouseClick(onglets, Qt::LeftButton, {}, onglets->tabRect(2).center());
    EXPECT_EQ(pages_visibles(), std::vector<int>{3});
    QTest::keyClick(onglets, Qt::Key_Right);
    EXPECT_EQ(pages_visibles(), std::vector<int>{4});
    QTest::keyClick(onglets, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages_visibles(), std::vector<int>{5});
    QTest::keyClick(onglets, Qt::Key_Left);
    QTest::keyClick(onglets, Qt::Key_Left);
    EXPECT_EQ(pages_visibles(), std::vector<int>{3});
    o.TabStrip1->setSelectedItem(5); // by code
    EXPECT_EQ(pages_visibles(), std::vector<int>{5});
}

TEST_F(Options, OneClickOnOkStoresTheSettingsOnce) {
    f().Show();
    reg().writes.clear();
    cliquer(*f().btnOK);
    EXPECT_EQ(reg().writtenKeys().count(QStringLiteral("Skin")), 1);
}

TEST_F(Options, StartWithTheSessionFollowsItsBox) {
    f().Show();
    cocher(*f().checkStart); // the user ticks it, then clears it
    cocher(*f().checkStart);
    ASSERT_EQ(reg().operations.size(), 2u);
    EXPECT_TRUE(reg().operations[0].isWrite);
    EXPECT_EQ(reg().operations[0].value, b.fp.files.exePath());
    EXPECT_FALSE(reg().operations[1].isWrite);
    // Set by code (the load does it from the settings): the handler runs on a change only.
    reg().operations.clear();
    f().checkStart->setValue(1);
    f().checkStart->setValue(1);
    f().checkStart->setValue(0);
    ASSERT_EQ(reg().operations.size(), 2u);
    EXPECT_TRUE(reg().operations[0].isWrite);
    EXPECT_EQ(reg().operations[0].value, b.fp.files.exePath());
    EXPECT_FALSE(reg().operations[1].isWrite);
}

// ------------------------------------------------------------ drive list

void remplir_table(mdlDisk& d) {
    const char* lettres[] = {"C", "D", "E", "F", "", ""};
    for (int i = 0; i < 6; ++i) {
        d.disques[i].lettre = QString::fromLatin1(lettres[i]);
        d.disques[i].type_disque = i < 4 ? QStringLiteral("Fixe") : QString();
        d.disques[i].taille_totale = i < 4 ? 1e9 * (i + 1) : 0;
        d.disques[i].nom_volume = i < 4 ? QStringLiteral("vol%1").arg(i) : QString();
        d.disques[i].afficher = i < 4;
    }
    d.etat.indice_max = 5;
}

TEST_F(Options, ADialogLoadedAgainListsTheDrivesWithTheirTicks) {
    f();
    remplir_table(b.p().disk());
    put("disk1", "False");
    fermer();
    ASSERT_EQ(b.p().frmOption_si_charge(), nullptr);
    frmOption& o = f();
    ASSERT_EQ(o.LV->Count(), 6);
    EXPECT_EQ(o.LV->Text(2), QStringLiteral("D"));
    EXPECT_EQ(o.LV->SubItem(2, 1), QStringLiteral("Fixe"));
    EXPECT_EQ(o.LV->SubItem(2, 2), QStringLiteral("2000000000"));
    EXPECT_EQ(o.LV->SubItem(2, 3), QStringLiteral("vol1"));
    EXPECT_TRUE(o.LV->Checked(1));
    EXPECT_FALSE(o.LV->Checked(2));
    EXPECT_TRUE(o.LV->Checked(6));
    EXPECT_EQ(setting("nbUse"), QStringLiteral("3"));
}

// The user unticks and ticks again the fourth drive: its choice is saved and
// the bar's rows follow at once.
TEST_F(Options, TheFourthDriveUntickedAndTickedAgain) {
    for (char c : {'C', 'D', 'E', 'F'}) {
        FakeDrive d;
        d.letter = QLatin1Char(c);
        d.total = 50'000'000'000ull;
        d.freeCaller = d.freeTotal = 20'000'000'000ull;
        b.fp.system.setDrive(d);
    }
    f();
    bool forcer = true;
    b.p().disk().recuperation_info_Disk(forcer);
    frmMain& m = b.p().frmMain();
    auto* arbre = static_cast<QTreeWidget*>(f().LV->widget());
    auto cocher = [&](bool coche) {
        QTreeWidgetItem* item = arbre->topLevelItem(3);
        ASSERT_NE(item, nullptr);
        item->setCheckState(0, coche ? Qt::Checked : Qt::Unchecked); // as the user does
    };
    ASSERT_EQ(m.picDisc.Count(), 4);
    ASSERT_GE(f().LV->Count(), 4);

    cocher(false);
    EXPECT_EQ(setting("disk3"), QStringLiteral("False"));
    EXPECT_FALSE(b.p().disk().disques[3].afficher);
    EXPECT_EQ(m.picDisc.Count(), 3);

    cocher(true);
    EXPECT_EQ(setting("disk3"), QStringLiteral("True"));
    EXPECT_TRUE(b.p().disk().disques[3].afficher);
    EXPECT_EQ(m.picDisc.Count(), 4);
}

// ------------------------------------------------------------ tray icon, menu, exit

TEST_F(Options, TaskBarIconItemRemovesAndRestoresTheIcon) {
    frmOption& o = f();
    ASSERT_TRUE(b.fp.shell.trayShown);
    EXPECT_EQ(b.fp.shell.trayTip, QStringLiteral("Tarvik(running)"));
    EXPECT_FALSE(b.fp.shell.trayIcon.isNull());
    EXPECT_EQ(b.p().donnees_icone.hWnd, o.hWnd());

    o.Menu().declencher(QStringLiteral("mnuHideIcon"));
    EXPECT_EQ(o.CheckIcone->Value(), 0);
    EXPECT_FALSE(b.fp.shell.trayShown);
    o.Menu().declencher(QStringLiteral("mnuHideIcon"));
    EXPECT_EQ(o.CheckIcone->Value(), 1);
    EXPECT_TRUE(b.fp.shell.trayShown);
    EXPECT_EQ(b.fp.shell.trayTip, QStringLiteral("Tarvik(running)"));
    // Toggling from the menu stores nothing by itself.
    EXPECT_FALSE(reg().has(APPLI, QStringLiteral("ShowIcone")));
}

TEST_F(Options, ClosedByTheUserTheDialogKeepsItsIconAndReloadsWithOne) {
    f();
    const int ajouts = b.fp.shell.trayAdds;
    fermer();
    EXPECT_TRUE(b.fp.shell.trayShown);
    EXPECT_EQ(b.fp.shell.trayDeletes, 0);
    EXPECT_EQ(setting("ShowIcone"), QStringLiteral("1")); // stored as OK does
    b.p().frmOption().Menu().declencher(QStringLiteral("mnuOptions"));
    EXPECT_TRUE(f().hWnd()->isVisible());
    EXPECT_TRUE(b.fp.shell.trayShown);
    EXPECT_GT(b.fp.shell.trayAdds, ajouts); // the shell replaces the one icon it shows
    EXPECT_EQ(b.fp.shell.trayDeletes, 0);
    EXPECT_EQ(setting("nbUse"), QStringLiteral("3"));
}

TEST_F(Options, ExitStoresTheOptionsRemovesTheIconAndGivesTheWorkAreaBack) {
    FakeDrive c;
    c.letter = QLatin1Char('C');
    c.total = 50'000'000'000ull;
    c.freeCaller = c.freeTotal = 20'000'000'000ull;
    b.fp.system.setDrive(c);
    mdlMain(b.p()).Main();
    EXPECT_TRUE(b.fp.shell.trayShown);
    EXPECT_GE(b.fp.shell.reservedBottom, 0) << "the bar should be docked after start-up";
    reg().writes.clear();
    const int rewrites = reg().rewrites;
    bool fini = false;
    try {
        b.p().frmOption().Menu().declencher(QStringLiteral("mnuQuitter"));
    } catch (const ProcessEnd&) {
        fini = true;
    }
    EXPECT_TRUE(fini);
    EXPECT_FALSE(b.fp.shell.trayShown);
    EXPECT_EQ(b.fp.shell.reservedBottom, -1);
    EXPECT_EQ(b.p().frmMain_si_charge(), nullptr);
    EXPECT_EQ(b.p().frmOption_si_charge(), nullptr);
    EXPECT_TRUE(reg().writtenKeys().contains(QStringLiteral("Skin")));
    EXPECT_TRUE(reg().writtenKeys().contains(QStringLiteral("ShowIcone")));
    EXPECT_EQ(reg().rewrites, rewrites + 1);
}

} // namespace
