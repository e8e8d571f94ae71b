// A meter drawn tick after tick keeps its last graph and caption and only
// scrolls them and draws what is new. Whatever happens to the meter in
// between (a resize, a change of style, a rescale, the grid line coming and
// going, a caption that stays or changes), each tick must give exactly the
// picture that drawing everything again from the same history gives. A
// second program starts every tick from a copy of the first one's histories
// and scales and draws with an observer set, which always draws everything.
#include "app/frmMain.h"
#include "app/programme.h"
#include "fakes/fake_platform.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace tk;

namespace {

struct Programme_dessin {
    TestBench b;
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();

    Programme_dessin() {
        for (int k = 2; k <= 3; ++k) f.picCompteur.Load(k);
        mettre_en_forme(3000, 285, 615, 240);
    }
    // The processor and network meters' width and height, the drive meters'.
    void mettre_en_forme(double large, double haut, double large_disque, double haut_disque) {
        f.picCompteur(0).Move(0, 15, large, haut);
        f.picCompteur(1).Move(0, 15, large / 2, haut);
        for (int k = 2; k <= 3; ++k) f.picCompteur(k).Move(0, 15, large, haut);
        f.picDebitDiskE(0).Move(0, 30, large_disque, haut_disque);
        f.picDebitDiskL(0).Move(0, 30, large_disque, haut_disque);
    }
    void style(bool lisse) {
        b.p().lissage = lisse;
        b.p().antialias().init_couleurs_lissage();
    }
    std::vector<PictureBox*> compteurs() {
        return {&f.picCompteur(0), &f.picCompteur(1),   &f.picCompteur(2),
                &f.picCompteur(3), &f.picDebitDiskE(0), &f.picDebitDiskL(0)};
    }
    void tick(int16_t cpu, int16_t ram, double ecriture, double lecture, double recu, double envoye) {
        pdh.dessiner_compteur_cpu(cpu);
        pdh.dessiner_compteur_ram(ram);
        pdh.dessiner_compteur_diskE(ecriture, &f.picDebitDiskE(0), 0);
        pdh.dessiner_compteur_diskL(lecture, &f.picDebitDiskL(0), 0);
        pdh.dessiner_compteur_REZO(recu, &f.picCompteur(2), 0);
        pdh.dessiner_compteur_REZO(envoye, &f.picCompteur(3), 1);
    }
};

// Copies the state the drawing starts from: histories and network scales.
void copier_etat(const mdlPdh& de, mdlPdh& vers) {
    vers.historique_cpu = de.historique_cpu;
    vers.historique_ram = de.historique_ram;
    vers.historique_ecriture = de.historique_ecriture;
    vers.historique_lecture = de.historique_lecture;
    vers.historique_rezo = de.historique_rezo;
    vers.echelle_rezo = de.echelle_rezo;
}

int pixels_differents(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Values that sit still for a while (the caption and the scales stay), then
// move, with full-scale peaks (curves running off the top), zeros, and
// bursts that raise and then drop the drive and network scales.
struct Valeurs {
    int16_t cpu, ram;
    double ecriture, lecture, recu, envoye;
};
Valeurs valeurs(int i) {
    const int phase = i % 60;
    const double onde = 0.5 + 0.5 * std::sin(i * 0.37) * std::cos(i * 0.051);
    // Quiet: nothing changes but the scroll; at the end for long enough that
    // whole graphs go flat.
    if (phase < 15 || i >= 340) return {3, 41, 0, 0, 1200, 900};
    const int16_t cpu = static_cast<int16_t>(i % 17 == 0 ? 100 : i % 13 == 0 ? 0 : std::lround(100 * onde));
    const double salve = i % 23 == 0 ? 30 : 1;
    return {cpu,
            static_cast<int16_t>(40 + cpu / 5),
            i % 7 < 2 ? 0 : std::round(4e6 * onde * salve),
            i % 5 == 0 ? 0 : std::round(2500 * onde),
            std::round(8e5 * onde * salve),
            i % 11 == 0 ? 0 : std::round(6e4 * (1 - onde))};
}

} // namespace

TEST(Defilement, EveryTickEqualsAFullDrawingFromTheSameHistory) {
    Programme_dessin suivi, temoin;
    temoin.pdh.espion = [](const TraceDessin&) {};
    // The program's changes along the run: style, then size, then style again.
    const std::vector<std::pair<int, std::function<void(Programme_dessin&)>>> changements = {
        {0, [](Programme_dessin& p) { p.style(false); }},
        {150, [](Programme_dessin& p) { p.mettre_en_forme(2400, 255, 585, 225); }},
        {230, [](Programme_dessin& p) { p.style(true); }},
        {300, [](Programme_dessin& p) { p.style(false); }},
        {330, [](Programme_dessin& p) { p.mettre_en_forme(3015, 300, 630, 240); }},
    };
    constexpr int TICKS = 470;
    int verifies = 0;
    for (int i = 0; i < TICKS; ++i) {
        for (const auto& [quand, faire] : changements)
            if (quand == i) {
                faire(suivi);
                faire(temoin);
            }
        copier_etat(suivi.pdh, temoin.pdh);
        const Valeurs v = valeurs(i);
        suivi.tick(v.cpu, v.ram, v.ecriture, v.lecture, v.recu, v.envoye);
        temoin.tick(v.cpu, v.ram, v.ecriture, v.lecture, v.recu, v.envoye);
        const auto a = suivi.compteurs(), b = temoin.compteurs();
        for (std::size_t k = 0; k < a.size(); ++k) {
            const int n = pixels_differents(a[k]->image(), b[k]->image());
            ASSERT_EQ(n, 0) << "tick " << i << ", meter " << k << " (" << a[k]->nom().toStdString() << ")";
            ++verifies;
        }
    }
    EXPECT_EQ(verifies, TICKS * 6);
    // Most plain ticks scrolled, and still captions were put back.
    EXPECT_GT(suivi.pdh.defilements(), 1000);
    EXPECT_GT(suivi.pdh.legendes_reprises(), 150);
    EXPECT_EQ(temoin.pdh.defilements(), 0);
    // A drive meter wider than its history (630 twips) fails on its oldest
    // column, the same way in both.
    EXPECT_EQ(suivi.b.fp.dialogs.boxes.size(), temoin.b.fp.dialogs.boxes.size());
}

// A processor at rest reads a few figures in turn. Each of them finds its
// caption kept from the last time it was written, and every tick still gives
// what drawing everything again gives.
TEST(Defilement, CaptionsOfFiguresThatComeBackArePutBack) {
    Programme_dessin suivi, temoin;
    temoin.pdh.espion = [](const TraceDessin&) {};
    suivi.style(false);
    temoin.style(false);
    const int16_t figures[] = {1, 0, 2, 1, 3, 0, 0, 2};
    constexpr int TICKS = 120;
    int reprises_tardives = 0;
    for (int i = 0; i < TICKS; ++i) {
        copier_etat(suivi.pdh, temoin.pdh);
        const int16_t cpu = figures[i % 8];
        const int avant = suivi.pdh.legendes_reprises();
        suivi.pdh.dessiner_compteur_cpu(cpu);
        temoin.pdh.dessiner_compteur_cpu(cpu);
        if (i >= 24) reprises_tardives += suivi.pdh.legendes_reprises() - avant;
        ASSERT_EQ(pixels_differents(suivi.f.picCompteur(0).image(), temoin.f.picCompteur(0).image()), 0)
            << "tick " << i;
    }
    // Once each figure was written twice (the second time teaches what it
    // makes of the colours under it), nearly every caption is put back; with
    // one caption kept, only a figure read twice in a row would be.
    EXPECT_GT(reprises_tardives, (TICKS - 24) * 9 / 10);
}
