// The volume widget: dragging, clicking the track, the mute button and the
// refresh from the mixer.
#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "volume/mdlVolume.h"

#include "evenements_reels.h"

#include <gtest/gtest.h>

namespace tk {
namespace {
using namespace tk::test;

// Track from 3000 to 4575 twips; the knob (165 wide) moves from 3000 to 4410.
constexpr double PISTE = 3000, MAX_GAUCHE = 4410;

struct Widget : ::testing::Test {
    TestBench b;
    frmMain* f = nullptr;
    mdlVolume* v = nullptr;
    FakeMixer& m = b.fp.mixer;

    void SetUp() override {
        f = &b.p().frmMain();
        v = &b.p().volume();
        ASSERT_TRUE(v->ouvrir_mixer(0));
        f->picFondSon->Move(PISTE, 200, 1575, 75);
        f->picSliderSon->Move(PISTE, 80, 165, 315);
    }
    void glisser(double gauche, float x, int bouton = vbLeftButton) {
        f->picSliderSon->setLeft(gauche);
        f->picSliderSon->MouseMove(-1, bouton, 0, x, 100);
    }
    int64_t volume() { return m.line(MixerLine::Speakers).value; }
    QString texte() { return f->lblSon->Caption(); }
};

TEST_F(Widget, glisser_le_bouton) {
    glisser(4400, 190);
    EXPECT_TRUE(v->reglage_son_en_cours);
    EXPECT_EQ(f->picSliderSon->Left(), MAX_GAUCHE);
    EXPECT_EQ(texte(), QStringLiteral("100 %"));
    EXPECT_EQ(volume(), 65500);
    glisser(3010, -150);
    EXPECT_EQ(f->picSliderSon->Left(), PISTE);
    EXPECT_EQ(texte(), QStringLiteral("0 %"));
    glisser(3600, 82 + 105); // 705 of 1410 twips
    EXPECT_EQ(texte(), QStringLiteral("50 %"));

    // A report far from the knob counts as its middle: no move.
    const size_t writes = m.writes.size();
    for (float x : {201.0f, -201.0f}) glisser(3500, x);
    EXPECT_EQ(f->picSliderSon->Left(), 3500);
    EXPECT_EQ(m.writes.size(), writes);

    f->picSliderSon->MouseUp(-1, vbLeftButton, 0, 80, 100);
    EXPECT_FALSE(v->reglage_son_en_cours);
    EXPECT_EQ(b.fp.sound.beeps, 1);

    // Without the left button alone nothing happens.
    glisser(3500, 150, 0);
    glisser(3500, 150, vbLeftButton | vbRightButton);
    EXPECT_FALSE(v->reglage_son_en_cours);
    EXPECT_EQ(f->picSliderSon->Left(), 3500);
}

TEST_F(Widget, clic_sur_la_piste) {
    v->reglage_son_en_cours = true;
    f->picFondSon->MouseUp(-1, vbLeftButton, 0, 1575, 30);
    EXPECT_EQ(f->picSliderSon->Left(), MAX_GAUCHE);
    EXPECT_EQ(texte(), QStringLiteral("100 %"));
    EXPECT_EQ(volume(), 65500);
    EXPECT_FALSE(v->reglage_son_en_cours);
    EXPECT_EQ(b.fp.sound.beeps, 1);
    // The knob is centred on the click.
    f->picFondSon->MouseUp(-1, vbRightButton, 0, 787.5, 30);
    EXPECT_EQ(f->picSliderSon->Left(), 3705);
    EXPECT_EQ(texte(), QStringLiteral("50 %"));
}

TEST_F(Widget, bouton_muet_et_muet_venu_d_ailleurs) {
    v->recuperation_info_volume();
    EXPECT_FALSE(f->picSon(0).Visible());
    cliquer(f->picSon(1));
    EXPECT_TRUE(f->picSon(0).Visible());
    EXPECT_TRUE(m.line(MixerLine::Speakers).muted);
    cliquer(f->picSon(0));
    EXPECT_FALSE(m.line(MixerLine::Speakers).muted);

    m.line(MixerLine::Speakers).muted = true;
    v->recuperation_info_volume();
    EXPECT_TRUE(f->picSon(0).Visible());
}

TEST_F(Widget, rafraichissement_depuis_le_mixer) {
    m.line(MixerLine::Speakers).value = 655 * 40;
    v->recuperation_info_volume();
    EXPECT_EQ(texte(), QStringLiteral("40 %"));
    EXPECT_DOUBLE_EQ(f->picSliderSon->Left(), PISTE + 0.4 * 1410);
    // Unchanged and away from 0: left alone.
    f->lblSon->setCaption(QStringLiteral("x"));
    v->recuperation_info_volume();
    EXPECT_EQ(texte(), QStringLiteral("x"));
    // While the knob is dragged the refresh keeps off.
    m.line(MixerLine::Speakers).value = 655 * 70;
    v->reglage_son_en_cours = true;
    v->recuperation_info_volume();
    EXPECT_EQ(texte(), QStringLiteral("x"));

    // At 0 % the knob and text are rewritten every time.
    v->reglage_son_en_cours = false;
    m.line(MixerLine::Speakers).value = 0;
    for (int k = 0; k < 2; ++k) {
        f->lblSon->setCaption(QStringLiteral("x"));
        v->recuperation_info_volume();
        EXPECT_EQ(texte(), QStringLiteral("0 %"));
        EXPECT_EQ(f->picSliderSon->Left(), PISTE);
    }
}

TEST_F(Widget, premier_rafraichissement_remplace_le_balayage_de_demarrage) {
    // The start-up sweep leaves the knob near 11 %; a real volume of 0 replaces it.
    f->picSliderSon->setLeft(PISTE + 0.11 * 1410);
    f->lblSon->setCaption(QStringLiteral("11 %"));
    v->recuperation_info_volume();
    EXPECT_EQ(f->picSliderSon->Left(), PISTE);
    EXPECT_EQ(texte(), QStringLiteral("0 %"));
}

} // namespace
} // namespace tk
