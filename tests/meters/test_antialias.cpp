// Smoothed drawing: point weights, blending, line walks, fill below the curve.
#include "app/frmMain.h"
#include "diag/erreur.h"
#include "fakes/fake_platform.h"
#include "meters/modAntiAlias.h"

#include <gtest/gtest.h>

using namespace tk;

namespace {

struct Surface16 {
    TestBench b;
    PictureBox* s = nullptr;
    modAntiAlias* aa = nullptr;
    // A black meter 40 x 16 pixels, white curve, green fill.
    Surface16() {
        frmMain& f = b.p().frmMain();
        s = &f.picCompteur(0);
        s->Move(0, 0, 600, 240);
        s->setBackColor(RGB(0, 0, 0));
        s->Cls();
        aa = &b.p().antialias();
        aa->couleur_remplissage = RGB(0, 200, 0);
    }
    Couleur px(int x, int y) const {
        const QRgb p = s->image().pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
    int rouge(int x, int y) const { return qRed(s->image().pixel(x, y)); }
};

constexpr Couleur BLANC = RGB(255, 255, 255);
constexpr Couleur NOIR = RGB(0, 0, 0);
constexpr Couleur VERT = RGB(0, 200, 0);

} // namespace

TEST(AntiAlias, PointSpreadsOverFourPixelsThenFillsBelow) {
    Surface16 t;
    ASSERT_EQ(t.s->image().height(), 16);
    t.aa->point_lisse(*t.s, 10.25f, 4.5f, BLANC, 16);
    // Weights 0.375, 0.125 on row 4; 0.375 (then filled over) and 0.125 on row 5.
    EXPECT_EQ(t.px(10, 4), RGB(96, 96, 96)); // 95.625
    EXPECT_EQ(t.px(11, 4), RGB(32, 32, 32)); // 31.875
    EXPECT_EQ(t.px(11, 5), RGB(32, 32, 32));
    for (int r = 5; r <= 14; ++r) EXPECT_EQ(t.px(10, r), VERT) << r;
    EXPECT_EQ(t.px(10, 15), NOIR); // the bottom margin stays
}

TEST(AntiAlias, BlendRoundsHalvesToEven) {
    const CouleurRGB blanc{255, 255, 255}, noir{0, 0, 0};
    EXPECT_EQ(modAntiAlias::melange_couleurs(blanc, 0.5f, noir, 0.5f), RGB(128, 128, 128)); // 127.5
    const CouleurRGB c{253, 1, 5};
    EXPECT_EQ(modAntiAlias::melange_couleurs(c, 0.5f, noir, 0.5f), RGB(126, 0, 2)); // 126.5, 0.5, 2.5
}

TEST(AntiAlias, SteepLineStepsAlongYAndLeavesItsEndPoint) {
    Surface16 t;
    t.aa->couleur_remplissage = NOIR; // only the points show
    // Slope -3.5: one point on each row 4..10, none on row 3 (the end point).
    t.aa->ligne_lissee(*t.s, 0, 10, 2, 3, BLANC, 100);
    auto rangee = [&](int y) {
        int somme = 0;
        for (int x = 0; x < 6; ++x) somme += t.rouge(x, y);
        return somme;
    };
    EXPECT_EQ(rangee(3), 0);
    EXPECT_EQ(rangee(11), 0);
    for (int y = 4; y <= 10; ++y) EXPECT_NEAR(rangee(y), 255, 1) << y;
}

TEST(AntiAlias, RunawayCoordinateIsRefused) {
    Surface16 t;
    // A coordinate no walk can step through is an overflow, not a hang.
    try {
        t.aa->ligne_lissee(*t.s, 0, 0, 1e9f, 0, BLANC, 16);
        FAIL();
    } catch (const ErreurVB& e) {
        EXPECT_EQ(e.numero(), ERR_DEPASSEMENT);
    }
}
