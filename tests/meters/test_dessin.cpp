// Meter drawing: columns, captions, disk peak, network scale and reference line.
#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tk;

namespace {

struct Banc_dessin {
    TestBench b;
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();
    std::vector<TraceDessin> traces;
    Banc_dessin() {
        pdh.espion = [this](const TraceDessin& t) { traces.push_back(t); };
    }
    // The steps of one kind (lines: of one colour).
    std::vector<TraceDessin> de(const QString& quoi, Couleur c = 0) const {
        std::vector<TraceDessin> r;
        for (auto& t : traces)
            if (t.quoi == quoi && (quoi != QLatin1String("Line") || t.couleur == c)) r.push_back(t);
        return r;
    }
    std::vector<TraceDessin> lignes(Couleur c) const { return de(QStringLiteral("Line"), c); }
    int erreurs() const { return static_cast<int>(b.fp.dialogs.boxes.size()); }
};

Couleur courbe() { return depuis_qcolor(en_qcolor(vbSysteme(COLOR_ACTIVECAPTION))); }
Couleur remplissage() { return depuis_qcolor(en_qcolor(vbSysteme(COLOR_INACTIVECAPTION))); }

} // namespace

TEST(Dessin, ProcessorMeterOf600TwipsDraws21ColumnsRightmostFlat) {
    Banc_dessin d;
    d.f.picCompteur(0).Move(0, 0, 600, 300);
    for (int v : {10, 20, 30}) d.pdh.dessiner_compteur_cpu(static_cast<int16_t>(v));
    d.traces.clear();
    d.pdh.dessiner_compteur_cpu(30);
    const auto c = d.lignes(courbe());
    ASSERT_EQ(c.size(), 21u);
    EXPECT_EQ(d.lignes(remplissage()).size(), 42u);
    // x = 600, 570 ... 0; the curve segment runs from x - 45 to x - 15.
    for (size_t i = 0; i < c.size(); ++i) EXPECT_DOUBLE_EQ(c[i].x1, 600 - 30.0 * i - 45);
    EXPECT_DOUBLE_EQ(c[0].x2, 600 - 15);
    // 30 % of 300: y = 300 - 90 = 210, drawn 30 twips higher.
    EXPECT_DOUBLE_EQ(c[0].y1, 180);
    EXPECT_DOUBLE_EQ(c[0].y2, 180); // samples 200 and 201 both hold the newest value
    EXPECT_DOUBLE_EQ(c[1].y1, 180);
    EXPECT_DOUBLE_EQ(c[2].y1, 240 - 30); // sample 198 = 20 % -> 240
    // The second fill line reaches one pixel above the segment's middle.
    const auto fills = d.lignes(remplissage());
    EXPECT_DOUBLE_EQ(fills[4].x1, 540 - 45);
    EXPECT_DOUBLE_EQ(fills[5].y2, (240.0 + 210.0) / 2 - 45);
    EXPECT_EQ(d.erreurs(), 0);
}

TEST(Dessin, RatesAboveTwoGigabytesPerSecondStayWhole) {
    Banc_dessin d;
    PictureBox& s = d.f.picDebitDiskL(0);
    const double nvme = 3.5e9; // beyond a signed 32-bit number
    d.pdh.dessiner_compteur_diskL(nvme, &s, 0);
    EXPECT_EQ(d.pdh.historique_lecture[0][21], nvme);
    const auto p = d.de(QStringLiteral("Print"));
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back().texte, d.b.p().fonctions().Affichage(nvme, true));
    // On the first tick the scale is 100: the curve lies far above the meter,
    // which must not overflow the height's 16-bit conversion.
    d.f.picCompteur.Load(2);
    d.pdh.dessiner_compteur_REZO(5e9, &d.f.picCompteur(2), 0);
    EXPECT_EQ(d.pdh.historique_rezo[0][201], 5e9);
    EXPECT_EQ(d.erreurs(), 0) << (d.erreurs() ? d.b.fp.dialogs.boxes[0].text.toStdString() : "");
}

TEST(Dessin, CaptionPositions) {
    Banc_dessin d;
    d.pdh.dessiner_compteur_cpu(45);
    auto p = d.de(QStringLiteral("PSet"));
    auto t = d.de(QStringLiteral("Print"));
    ASSERT_EQ(p.size(), 2u);
    EXPECT_DOUBLE_EQ(p[0].x1, 210); // white copy first, one pixel right
    EXPECT_DOUBLE_EQ(p[1].x1, 195);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].texte, QStringLiteral("45 %"));
    EXPECT_EQ(t[0].couleur, RGB(255, 255, 255));
    EXPECT_EQ(t[1].couleur, RGB(0, 0, 0));
    EXPECT_EQ(d.f.picCompteur(0).ForeColor(), RGB(0, 0, 0));

    d.traces.clear();
    d.pdh.dessiner_compteur_ram(45);
    p = d.de(QStringLiteral("PSet"));
    ASSERT_EQ(p.size(), 2u);
    EXPECT_DOUBLE_EQ(p[1].x1, 145);
    EXPECT_EQ(d.de(QStringLiteral("Print")).back().texte, QStringLiteral("45 % used"));
}

TEST(Dessin, NetworkScaleClimbsByTenthsAndSnaps) {
    Banc_dessin d;
    PictureBox& s = d.f.picCompteur(0);
    s.Move(0, 0, 600, 300); // narrower than 960: no peak, the scale aims at 1000
    std::vector<double> suite;
    for (int i = 0; i < 40; ++i) {
        d.pdh.dessiner_compteur_REZO(500, &s, 0);
        suite.push_back(d.pdh.echelle_rezo[0]);
    }
    EXPECT_EQ(suite[0], 100);
    EXPECT_EQ(suite[1], 190);
    EXPECT_EQ(suite[2], 271);
    EXPECT_EQ(suite[3], 343);
    EXPECT_EQ(suite.back(), 1000);
    // It reaches 1000 in one step from within 100 of it, never overshooting.
    for (size_t i = 1; i < suite.size(); ++i) {
        EXPECT_LE(suite[i], 1000);
        if (suite[i] == 1000 && suite[i - 1] != 1000) {
            EXPECT_GT(suite[i - 1], 900);
        }
    }

    d.pdh.echelle_rezo[0] = 5000;
    d.pdh.dessiner_compteur_REZO(500, &s, 0);
    EXPECT_EQ(d.pdh.echelle_rezo[0], 4600);
}

// Loopback and 25G/40G cards pass 2^31 bytes a second: the scale climbs by
// tenths in doubles, without an error at any rate, also from a scale of 0
// (just after the meters were rebuilt) with a burst already in the history.
TEST(Dessin, NetworkScaleClimbsByTenthsBeyond32Bits) {
    Banc_dessin d;
    PictureBox& s = d.f.picCompteur(0);
    s.Move(0, 0, 1500, 375); // d = 151: samples from 182 on make the peak
    std::vector<double> suite;
    for (int i = 0; i < 3; ++i) {
        d.pdh.dessiner_compteur_REZO(3e9, &s, 0);
        suite.push_back(d.pdh.echelle_rezo[0]);
    }
    EXPECT_EQ(suite, (std::vector<double>{3e8, 5.7e8, 8.13e8}));
    EXPECT_EQ(d.erreurs(), 0) << (d.erreurs() ? d.b.fp.dialogs.boxes[0].text.toStdString() : "");

    // Scale 0 after a rebuild, the burst still in the history, the link now idle.
    Banc_dessin e;
    PictureBox& t = e.f.picCompteur(0);
    t.Move(0, 0, 1500, 375);
    for (int i = 185; i <= 201; ++i) e.pdh.historique_rezo[0][i] = 3e9;
    e.pdh.echelle_rezo[0] = 0;
    e.pdh.echelle_rezo[1] = 0;
    for (int tick = 0; tick < 3; ++tick) e.pdh.dessiner_compteur_REZO(0, &t, 0);
    EXPECT_EQ(e.pdh.echelle_rezo[0], 8.13e8);
    EXPECT_EQ(e.erreurs(), 0) << (e.erreurs() ? e.b.fp.dialogs.boxes[0].text.toStdString() : "");
    // The partner meter, still at 0, is marked at the bottom of this one.
    const auto ligne = e.lignes(RGB(200, 200, 255));
    ASSERT_FALSE(ligne.empty());
    EXPECT_DOUBLE_EQ(ligne.back().y1, 375);
}

TEST(Dessin, ReferenceLineMarksThePartnersFullScale) {
    Banc_dessin d;
    PictureBox& s = d.f.picCompteur(0);
    s.Move(0, 0, 1500, 375);
    d.pdh.echelle_rezo[0] = 1000; // received
    d.pdh.echelle_rezo[1] = 4000; // sent
    d.pdh.dessiner_quadrillage(&s, 1);
    auto l = d.lignes(RGB(200, 200, 255));
    ASSERT_EQ(l.size(), 1u);
    EXPECT_DOUBLE_EQ(l[0].y1, 281.25);
    EXPECT_DOUBLE_EQ(l[0].x1, 0);
    EXPECT_DOUBLE_EQ(l[0].x2, 1500);
    d.traces.clear();
    d.pdh.dessiner_quadrillage(&s, 0);
    EXPECT_TRUE(d.lignes(RGB(200, 200, 255)).empty());
}

TEST(Dessin, SmoothedReadMeterSitsAtAFifthWhileWriteFills) {
    Banc_dessin d;
    d.b.p().lissage = true;
    d.b.p().antialias().init_couleurs_lissage();
    const Couleur fond = d.b.p().antialias().couleur_remplissage;
    PictureBox& e = d.f.picDebitDiskE(0);
    PictureBox& l = d.f.picDebitDiskL(0);
    e.Move(0, 0, 615, 240);
    l.Move(0, 0, 615, 240);
    for (int i = 0; i < 22; ++i) {
        d.pdh.dessiner_compteur_diskE(1000, &e, 0);
        d.pdh.dessiner_compteur_diskL(1000, &l, 0);
    }
    // 20 segments each, columns 1, 31 ... 571 twips.
    std::vector<TraceDessin> ecr, lec;
    d.traces.clear();
    d.pdh.dessiner_compteur_diskE(1000, &e, 0);
    d.pdh.dessiner_compteur_diskL(1000, &l, 0);
    for (auto& t : d.de(QStringLiteral("ligne_lissee"))) (t.surface == &e ? ecr : lec).push_back(t);
    ASSERT_EQ(ecr.size(), 20u);
    ASSERT_EQ(lec.size(), 20u);
    EXPECT_DOUBLE_EQ(lec[0].x1, -1);
    EXPECT_DOUBLE_EQ(lec[19].x2, 38 + 1);
    // Read: scale floor 5000, y = 240 - 48 = 192 twips, pixel 12, drawn 2 higher.
    EXPECT_DOUBLE_EQ(lec[5].y1, 10);
    // Write: scale = peak, the curve at the top (clamped to row 0).
    EXPECT_DOUBLE_EQ(ecr[5].y1, -2);
    // Pixels: below the caption rows, the write meter is filled, the read meter not yet.
    auto couleur = [](PictureBox& s, int x, int y) {
        const QRgb p = s.image().pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    };
    EXPECT_EQ(couleur(e, 20, 9), fond);
    EXPECT_EQ(couleur(l, 20, 9), RGB(0, 0, 0));
    for (int y = 11; y <= 14; ++y) {
        EXPECT_EQ(couleur(l, 20, y), fond) << y;
        EXPECT_EQ(couleur(e, 20, y), fond) << y;
    }
    EXPECT_EQ(couleur(l, 20, 15), RGB(0, 0, 0)); // bottom margin
    EXPECT_EQ(d.erreurs(), 0);
}
