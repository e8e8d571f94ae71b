// Docking per bar mode against the recording shell, the mode cycle, the
// slides of hidden mode and their auto-hide check, and the placement of the
// meters and of the other controls of the bar.
#include "app/frmMain.h"
#include "bar/mdlAppBar.h"
#include "diag/numerique.h"
#include "fakes/fake_platform.h"

#include "evenements_reels.h"

#include <gtest/gtest.h>

using namespace tk;
using namespace tk::test;

namespace {

// A program on the fake platform (1280 x 800 screen) with its bar window
// loaded; the first drive row's write meter ends at 3765 twips, so that the
// mail indicator starts at 3765 + 150.
struct Barre {
    TestBench b;
    frmMain& f;
    mdlAppBar& a;
    explicit Barre(int16_t mode = 2, int largeur = 1280) : f(b.p().frmMain()), a(b.p().appbar()) {
        b.fp.shell.width = largeur;
        b.p().modeBarre = mode;
        f.picDebitDiskE(0).setLeft(3000);
    }
    // Docked in full mode, then switched to hidden mode (as the buttons do).
    void masquee() {
        b.p().modeBarre = 2;
        a.calcul_taille_fenetre();
        b.p().modeBarre = 0;
        a.calcul_taille_fenetre();
    }
    void lignes(int n) {
        for (int k = 1; k < n; ++k) f.picDisc.Load(k);
    }
    void compteurs(int n) {
        for (int k = f.picCompteur.Count(); k < n; ++k) {
            f.picCompteur.Load(k);
            f.lblCompteur.Load(k);
            f.picIcone.Load(k);
        }
    }
    std::vector<int> ys() const {
        std::vector<int> v;
        for (auto& p : b.fp.shell.positions) v.push_back(p.y);
        return v;
    }
};

using M = std::vector<AppBarMessage>;

} // namespace

TEST(Docking, FullBarWithOneDriveRowRegistersTwentyPixelsInOrder) {
    Barre t(2);
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(t.b.fp.shell.messages(), (M{ABM_REMOVE, ABM_NEW, ABM_QUERYPOS, ABM_SETPOS}));
    const APPBARDATA& d = t.b.p().donnees_barre;
    EXPECT_EQ(d.cbSize, 36);
    EXPECT_EQ(d.hWnd, t.f.hWnd());
    EXPECT_EQ(d.uCallbackMessage, 0x200);
    EXPECT_EQ(d.uEdge, ABE_TOP);
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 20);
    ASSERT_FALSE(t.b.fp.shell.positions.empty());
    const FakeShell::PosCall& p = t.b.fp.shell.positions.back();
    EXPECT_EQ(p.window, t.f.hWnd());
    EXPECT_EQ(p.insertAfter, InsertAfter::HWND_TOP);
    EXPECT_EQ((std::vector<int>{p.x, p.y, p.cx, p.cy}), (std::vector<int>{0, 0, 1280, 20}));
    EXPECT_EQ(p.flags, uint32_t(SWP_NOACTIVATE));
    EXPECT_EQ(t.f.Height(), 300);
    EXPECT_EQ(t.f.Width(), 1280 * 15);
    EXPECT_EQ(t.f.Top(), 0);
    EXPECT_EQ(t.b.p().decalage_compteurs, 0);
    EXPECT_EQ(t.f.picTailleBarre(0).ToolTipText(), "Small bar");
    EXPECT_EQ(t.f.picTailleBarre(1).ToolTipText(), "Full bar");
    EXPECT_FALSE(t.a.barre_deplacee());
    EXPECT_TRUE(t.b.fp.dialogs.boxes.empty());
}

TEST(Docking, FullBarWithTwoRowsTakesThirtyEightPixelsAndOffsetsTheMeters) {
    Barre t(2);
    t.lignes(2);
    ASSERT_EQ(t.f.picCompteur(0).Height(), 285); // the meter's design height
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(t.f.Height(), 570);
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 38);
    EXPECT_EQ(t.b.fp.shell.positions.back().cy, 38);
    EXPECT_EQ(t.b.p().decalage_compteurs, 112); // (570 - 60 - 285) \ 2
    // Docking again starts from the meter height of the first layout (475).
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(t.b.p().decalage_compteurs, 17); // (570 - 60 - 475) \ 2
}

TEST(Docking, SmallAndHiddenModes) {
    Barre t(1);
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(t.b.fp.shell.messages(), (M{ABM_REMOVE, ABM_NEW, ABM_QUERYPOS, ABM_SETPOS}));
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 21);
    EXPECT_EQ(t.f.Height(), 315);
    EXPECT_EQ(t.b.p().decalage_compteurs, -15);
    EXPECT_EQ(t.f.picTailleBarre(0).ToolTipText(), "Hidden bar");
    EXPECT_EQ(t.f.picTailleBarre(1).ToolTipText(), "Full bar");
    EXPECT_FALSE(t.f.timerHide->Enabled());

    // Hidden: the work area is given back at once; the window stays where it was.
    t.b.fp.shell.clearCalls();
    t.b.p().modeBarre = 0;
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(t.b.fp.shell.messages(), (M{ABM_REMOVE}));
    EXPECT_EQ(t.b.fp.shell.workAreaTop(), 0);
    EXPECT_TRUE(t.b.fp.shell.positions.empty());
    EXPECT_EQ(t.f.Height(), 300);
    EXPECT_EQ(t.f.Top(), 0);
    EXPECT_EQ(t.f.Width(), 1280 * 15);
    EXPECT_EQ(t.b.p().decalage_compteurs, 30);
    EXPECT_TRUE(t.f.timerHide->Enabled());
    EXPECT_EQ(t.f.picTailleBarre(0).ToolTipText(), "Hidden bar");
    EXPECT_EQ(t.f.picTailleBarre(1).ToolTipText(), "Small bar");

    // Closing the window removes the registration whatever the mode.
    t.b.fp.shell.clearCalls();
    t.f.Unload();
    EXPECT_EQ(t.b.fp.shell.messages(), (M{ABM_REMOVE, ABM_REMOVE}));
}

// Under another program's 30-pixel top bar the bar sits below it and reserves
// down to its own bottom (not an inverted 0..20 strip).
TEST(Docking, UnderAnotherTopBarTheBarSitsBelowItAndReservesDownToItsBottom) {
    Barre t(2);
    t.b.fp.shell.otherTopBar = 30;
    t.a.calcul_taille_fenetre();
    const RECT& rc = t.b.p().donnees_barre.rc;
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.bottom, 50);
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 50);
    const FakeShell::PosCall& p = t.b.fp.shell.positions.back();
    EXPECT_EQ(p.y, 30);
    EXPECT_EQ(p.cy, 20);
    EXPECT_EQ(t.f.Top(), 450);
    EXPECT_EQ(t.f.Height(), 300);
    // The drift check compares with the granted top, so a bar docked below
    // another one is not re-docked on every network tick...
    EXPECT_FALSE(t.a.barre_deplacee());
    t.f.geometrie_pixels(0, 36, 1280, 20); // 90 twips lower: within the margin
    EXPECT_FALSE(t.a.barre_deplacee());
    // ...but one pushed down further is.
    t.f.geometrie_pixels(0, 37, 1280, 20);
    EXPECT_TRUE(t.a.barre_deplacee());
}

// The shell reports a change of the desktop around the bar (another top bar
// came, the monitor changed): a docked bar docks again with the full sequence,
// a hidden one only follows the monitor's width, and none of it happens in the
// middle of a slide (the shell is told to ask again).
TEST(Docking, DesktopChangesDockTheBarAgainButNotDuringASlide) {
    Barre t(2);
    t.a.calcul_taille_fenetre();
    ASSERT_TRUE(t.b.fp.shell.desktopChanged) << "the bar watches the desktop";
    t.b.fp.shell.clearCalls();
    t.b.fp.shell.otherTopBar = 30;
    EXPECT_TRUE(t.b.fp.shell.desktopChanged());
    EXPECT_EQ(t.b.fp.shell.messages(), (M{ABM_REMOVE, ABM_NEW, ABM_QUERYPOS, ABM_SETPOS}));
    EXPECT_EQ(t.b.fp.shell.positions.back().y, 30);
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 50);

    t.b.fp.shell.otherTopBar = 0; // the other bar went
    EXPECT_TRUE(t.b.fp.shell.desktopChanged());
    EXPECT_EQ(t.b.fp.shell.positions.back().y, 0);
    EXPECT_EQ(t.b.fp.shell.reservedBottom, 20);

    // During a slide nothing is sent; the change is taken up later.
    t.b.p().animation_en_cours = true;
    t.b.fp.shell.clearCalls();
    EXPECT_FALSE(t.b.fp.shell.desktopChanged());
    EXPECT_TRUE(t.b.fp.shell.barCalls.empty());
    t.b.p().animation_en_cours = false;

    // Hidden mode: no reservation; the bar keeps its top and takes the new width.
    t.masquee();
    t.a.cacher_la_barre();
    t.b.fp.shell.clearCalls();
    t.b.fp.shell.width = 1024;
    EXPECT_TRUE(t.b.fp.shell.desktopChanged());
    EXPECT_TRUE(t.b.fp.shell.barCalls.empty());
    ASSERT_FALSE(t.b.fp.shell.positions.empty());
    EXPECT_EQ(t.b.fp.shell.positions.back().y, -19);
    EXPECT_EQ(t.b.fp.shell.positions.back().cx, 1024);
    EXPECT_EQ(t.f.Width(), 1024 * 15);
}

TEST(Modes, SizeButtonsCycleAndStoreTheMode) {
    Barre t(2);
    t.f.Show();
    // The user clicks a button; the highlighted picture that the mouse
    // brings up over a button takes the click in its place.
    cliquer(t.f.picTailleBarre(1)); // larger in full: hidden
    EXPECT_EQ(t.b.p().modeBarre, 0);
    EXPECT_EQ(t.b.fp.registry.value("tarvik", "modeBarre"), "0");
    EXPECT_EQ(t.b.fp.shell.workAreaTop(), 0);
    QTest::mouseMove(t.f.picTailleBarre(0).widget(), QPoint(5, 5)); // brings up its highlighted picture
    ASSERT_TRUE(t.f.picTailleBarre(2).Visible());
    cliquer(t.f.picTailleBarre(2)); // smaller (highlighted) in hidden: full
    EXPECT_EQ(t.b.p().modeBarre, 2);
    EXPECT_EQ(t.b.fp.registry.value("tarvik", "modeBarre"), "2");
    EXPECT_EQ(t.b.fp.shell.workAreaTop(), 20);
    cliquer(t.f.picTailleBarre(0)); // smaller in full: small
    EXPECT_EQ(t.b.p().modeBarre, 1);
    EXPECT_EQ(t.b.fp.shell.workAreaTop(), 21);
    // (the buttons overlap: the part of button 1 right of the highlighted picture is its own)
    const QPoint droite(t.f.picTailleBarre(2).widget()->geometry().right() - t.f.picTailleBarre(1).widget()->x() + 2,
                        5);
    QTest::mouseMove(t.f.picTailleBarre(1).widget(), droite);
    ASSERT_TRUE(t.f.picTailleBarre(3).Visible());
    cliquer(t.f.picTailleBarre(3)); // larger in small: full
    EXPECT_EQ(t.b.p().modeBarre, 2);
    EXPECT_EQ(t.b.fp.registry.value("tarvik", "modeBarre"), "2");

    // Highlight: the picture over the button the mouse is on.
    t.f.picTailleBarre(2).setVisible(false);
    t.f.picTailleBarre(3).setVisible(false);
    QTest::mouseMove(t.f.picTailleBarre(0).widget(), QPoint(5, 5));
    EXPECT_TRUE(t.f.picTailleBarre(2).Visible());
    EXPECT_FALSE(t.f.picTailleBarre(3).Visible());
    QTest::mouseMove(t.f.picTailleBarre(1).widget(), droite);
    EXPECT_TRUE(t.f.picTailleBarre(3).Visible());
    EXPECT_FALSE(t.f.picTailleBarre(2).Visible());
}

TEST(Slides, TwentyOnePixelBarGoesUpThreePixelsAStepAndLeavesOneRow) {
    Barre t;
    t.masquee();
    t.f.setHeight(315);
    t.b.fp.shell.clearCalls();
    t.b.fp.files.sleeps.clear();
    t.a.cacher_la_barre();
    EXPECT_EQ(t.ys(), (std::vector<int>{-1, -4, -7, -10, -13, -16, -19, -20}));
    EXPECT_EQ(t.b.fp.files.sleeps, std::vector<int>(7, 10));
    for (size_t i = 0; i < t.b.fp.shell.positions.size(); ++i) {
        const FakeShell::PosCall& p = t.b.fp.shell.positions[i];
        EXPECT_EQ(p.cy, 21);
        EXPECT_EQ(p.cx, 1280);
        EXPECT_EQ(p.insertAfter,
                  i + 1 < t.b.fp.shell.positions.size() ? InsertAfter::HWND_TOP : InsertAfter::HWND_TOPMOST);
    }
    EXPECT_EQ(t.b.p().donnees_barre.rc.top, -20);
    EXPECT_EQ(t.f.Top(), -300);
    EXPECT_FALSE(t.f.timerHide->Enabled());
    EXPECT_FALSE(t.b.p().animation_en_cours);
    EXPECT_TRUE(t.b.fp.shell.barCalls.empty()); // slides never touch the registration
}

TEST(Slides, FiftySixPixelBarComesDownTwoPixelsAStepAndWatchesTheMouse) {
    Barre t;
    t.lignes(3); // 3 x 270 + 30 = 840 twips = 56 pixels
    t.masquee();
    EXPECT_EQ(t.f.Height(), 840);
    // On screen already: nothing moves and the check is not restarted.
    t.f.timerHide->setEnabled(false);
    t.b.fp.shell.clearCalls();
    t.a.montrer_la_barre();
    EXPECT_TRUE(t.b.fp.shell.positions.empty());
    EXPECT_FALSE(t.f.timerHide->Enabled());

    t.a.cacher_la_barre();
    EXPECT_EQ(t.ys().back(), -55);
    t.b.fp.shell.clearCalls();
    t.a.montrer_la_barre();
    std::vector<int> attendu;
    for (int y = -56; y <= -2; y += 2) attendu.push_back(y);
    attendu.push_back(0);
    EXPECT_EQ(t.ys(), attendu);
    const FakeShell::PosCall& fin = t.b.fp.shell.positions.back();
    EXPECT_EQ(fin.insertAfter, InsertAfter::HWND_TOPMOST);
    EXPECT_EQ(fin.flags, uint32_t(SWP_SHOWWINDOW));
    EXPECT_EQ(fin.cy, 56);
    EXPECT_EQ(t.f.Top(), 0);
    EXPECT_TRUE(t.f.timerHide->Enabled());
}

TEST(Slides, ASlideAskedForDuringASlideIsDropped) {
    Barre t;
    t.masquee();
    int appels = 0;
    // Mouse moves and ticks run inside a slide while it lets events run.
    t.b.fp.files.duringSleep = [&](int) {
        ++appels;
        t.f.MouseMove(-1, 0, 0, 10, 10); // the strip touched: slide in (mode 0)
        t.a.cacher_la_barre();
        t.a.montrer_la_barre();
    };
    t.b.fp.shell.clearCalls();
    t.a.cacher_la_barre();
    EXPECT_EQ(appels, 7);
    EXPECT_EQ(t.ys(), (std::vector<int>{-1, -4, -7, -10, -13, -16, -19, -19}));
    EXPECT_FALSE(t.b.p().animation_en_cours);
    t.b.fp.files.duringSleep = nullptr;
    t.b.fp.shell.clearCalls();
    t.f.MouseMove(-1, 0, 0, 10, 10); // after the slide, the next one runs
    EXPECT_EQ(t.ys().back(), 0);
}

TEST(Slides, AutoHideKeepsTenPixelsOfToleranceBelowTheBar) {
    Barre t;
    t.masquee(); // 20 pixels high at the top, check running
    ASSERT_TRUE(t.f.timerHide->Enabled());
    t.b.fp.shell.clearCalls();
    t.b.fp.shell.cursor = QPoint(600, 25); // 5 pixels below
    t.f.timerHide->declencher();
    EXPECT_TRUE(t.b.fp.shell.positions.empty());
    EXPECT_TRUE(t.f.timerHide->Enabled());
    t.b.fp.shell.cursor = QPoint(1281, 5); // right of the bar: no tolerance there
    t.f.timerHide->declencher();
    EXPECT_EQ(t.ys().back(), -19);
    t.a.montrer_la_barre();
    t.b.fp.shell.clearCalls();
    t.b.fp.shell.cursor = QPoint(600, 31); // 11 pixels below
    t.f.timerHide->declencher();
    EXPECT_EQ(t.ys().back(), -19);
    EXPECT_FALSE(t.f.timerHide->Enabled());

    // Docked again, a check left running switches itself off without sliding.
    t.b.p().modeBarre = 2;
    t.a.calcul_taille_fenetre();
    t.f.timerHide->setEnabled(true);
    t.b.fp.shell.clearCalls();
    t.f.timerHide->declencher();
    EXPECT_FALSE(t.f.timerHide->Enabled());
    EXPECT_TRUE(t.b.fp.shell.positions.empty());
}

// ---------------------------------------------------------------- layout

namespace {
struct Place {
    double left, top;
};
void attendre(const Controle& c, Place p, const char* nom) {
    EXPECT_EQ(c.Left(), p.left) << nom;
    EXPECT_EQ(c.Top(), p.top) << nom;
}
} // namespace

TEST(Layout, SmallBar) {
    Barre t(1);
    t.a.calcul_taille_fenetre();
    frmMain& f = t.f;
    const double W = 19200;
    attendre(*f.picFond, {0, 0}, "picFond");
    EXPECT_EQ(f.picFond->Width(), W);
    EXPECT_EQ(f.picFond->Height(), 315);
    attendre(f.picMail(0), {3765, 45}, "picMail0");
    attendre(f.picMail(1), {3765, 45}, "picMail1");
    attendre(f.lblMail(0), {3995, -15}, "lblMail0");
    attendre(f.lblMail(1), {4010, 0}, "lblMail1");
    attendre(f.picSon(0), {4315, 30}, "picSon0");
    attendre(*f.lblSon, {4315, 285}, "lblSon");
    attendre(*f.picFondSon, {4805, 120}, "picFondSon"); // (315 - 75) \ 2
    EXPECT_EQ(f.picSliderSon->Top(), 120 + 35 - 157);   // 315 \ 2 = 157
    attendre(f.picTailleBarre(1), {W - 360 + 55, -15}, "taille1");
    attendre(f.picTailleBarre(0), {W - 720 + 225, 0}, "taille0");
    attendre(f.picTailleBarre(3), {W - 360 + 55, -15}, "taille3");
    attendre(f.picTailleBarre(2), {W - 720 + 225, 0}, "taille2");

    // Meters start 300 after the track (6680); two meters: 3000 wide (capped).
    attendre(f.picCompteur(0), {7050, 15}, "compteur0");
    EXPECT_EQ(f.picCompteur(0).Width(), 3000);
    EXPECT_EQ(f.picCompteur(0).Height(), 300);
    attendre(f.picIcone(0), {6680, 15}, "icone0");
    attendre(f.lblCompteur(0), {6450, 285}, "lbl0");
    EXPECT_EQ(f.lblCompteur(0).Width(), 500);
    attendre(f.picCompteur(1), {10280 + 370, 15}, "compteur1");
    attendre(f.picIcone(1), {10280, 15}, "icone1");
}

TEST(Layout, FullBarOneRowWithOneInterface) {
    Barre t(2);
    t.compteurs(4);
    t.a.calcul_taille_fenetre();
    frmMain& f = t.f;
    attendre(f.picMail(0), {3765, 60}, "picMail0");
    attendre(f.lblMail(0), {3995, 0}, "lblMail0");
    attendre(f.lblMail(1), {4010, 15}, "lblMail1");
    attendre(f.picSon(1), {4315, 45}, "picSon1");
    attendre(*f.picFondSon, {4805, 112}, "picFondSon");
    attendre(f.picTailleBarre(1), {19200 - 305, 0}, "taille1");
    attendre(f.picTailleBarre(0), {19200 - 495, 15}, "taille0");

    // (19200 - 6680 - 3 x 700) \ 4 = 2605 wide, 285 high at 15.
    const double lefts[4] = {7050, 10255, 13460, 16165};
    for (int k = 0; k < 4; ++k) {
        attendre(f.picCompteur(k), {lefts[k], 15}, "compteur");
        EXPECT_EQ(f.picCompteur(k).Width(), 2605);
        EXPECT_EQ(f.picCompteur(k).Height(), 285);
        EXPECT_EQ(f.picIcone(k).Visible(), k != 3) << k;
        EXPECT_EQ(f.lblCompteur(k).Visible(), k != 3) << k;
    }
    attendre(f.picIcone(2), {13090, 15}, "icone2");

    // A wider volume label pushes the track, the knob and the meters along.
    f.lblSon->setWidth(990);
    t.a.calcul_taille_fenetre();
    EXPECT_EQ(f.picFondSon->Left(), 4805 + 600);
    EXPECT_EQ(f.picIcone(0).Left(), 6680 + 600);
}

TEST(Layout, FullBarTwoRowsStacksTheButtonsAndCentresTheMeters) {
    Barre t(2);
    t.lignes(2);
    t.compteurs(4);
    t.a.calcul_taille_fenetre();
    frmMain& f = t.f;
    const int16_t dc = t.b.p().decalage_compteurs;
    EXPECT_EQ(dc, 112); // (570 - 60 - 285) \ 2, the meters still at design height
    attendre(f.picMail(0), {3765, dc + 60.0}, "picMail0");
    attendre(*f.picFondSon, {4805, 247}, "picFondSon"); // (570 - 75) \ 2
    EXPECT_EQ(f.picSliderSon->Top(), 247 + 35 - 157);
    attendre(f.picTailleBarre(1), {19200 - 345, 285}, "taille1");
    attendre(f.picTailleBarre(0), {19200 - 345, 285 - 360 + 15}, "taille0");
    attendre(f.picTailleBarre(3), {19200 - 345, 285}, "taille3");
    // (19200 - 6680 - 3 x 675) \ 4 = 2623; 475 high at 47.5 rounded to even.
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(f.picCompteur(k).Width(), 2623);
        EXPECT_EQ(f.picCompteur(k).Height(), 475);
        EXPECT_EQ(f.picCompteur(k).Top(), 48);
    }
    EXPECT_EQ(f.picCompteur(1).Left(), 6680 + 2623 + 600 + 370);
}

// Running positions are 32-bit: on a 3840-pixel screen with four interfaces
// the row passes 32767 twips and every meter still lands in its place.
TEST(Layout, WideScreenPositionsDoNotOverflow) {
    Barre t(2, 3840);
    t.compteurs(10);
    t.a.calcul_taille_fenetre();
    const double lefts[10] = {7050, 10650, 14250, 17350, 20920, 24020, 27590, 30690, 34260, 37360};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(t.f.picCompteur(k).Left(), lefts[k]) << k;
        EXPECT_EQ(t.f.picCompteur(k).Width(), 3000) << k;
    }
    EXPECT_EQ(t.f.picIcone(8).Left(), 33890);
    EXPECT_EQ(t.f.picTailleBarre(1).Left(), 57600 - 305);
    EXPECT_TRUE(t.b.fp.dialogs.boxes.empty());
}

TEST(Layout, NegativeMeterWidthIsLoggedAndPlacementGoesOn) {
    Barre t(2, 400); // 6000 twips: narrower than the left part of the bar
    t.a.calcul_taille_fenetre();
    ASSERT_EQ(t.b.fp.dialogs.boxes.size(), 1u); // shown once per error number
    EXPECT_TRUE(t.b.fp.dialogs.boxes[0].text.contains("placer_le_compteur"));
    EXPECT_TRUE(t.b.fp.dialogs.boxes[0].text.contains("mdlAppBar"));
    EXPECT_TRUE(t.b.fp.dialogs.boxes[0].text.contains("380"));
    // Everything but the widths is placed.
    EXPECT_EQ(t.f.picCompteur(0).Left(), 7050);
    EXPECT_EQ(t.f.picCompteur(0).Top(), 15);
    EXPECT_EQ(t.f.picCompteur(0).Height(), 285);
    EXPECT_EQ(t.f.picIcone(1).Left(), 6680 + t.f.picCompteur(0).Width() + 600);
    EXPECT_EQ(t.f.picTailleBarre(1).Left(), 6000 - 305);
}
