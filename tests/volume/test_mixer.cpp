// Mixer access: the slot table, the percent scaling and a missing mixer.
#include "fakes/fake_platform.h"
#include "volume/mdlVolume.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

int64_t ecrit(FakeMixer& m) { return m.writes.empty() ? -1 : m.writes.back().value; }

TEST(Mixer, ouverture_remplit_les_controles) {
    TestBench b;
    b.fp.mixer.line(MixerLine::Synthesizer).present = false;
    b.fp.mixer.line(MixerLine::CD).hasMute = false;
    mdlVolume& v = b.p().volume();
    ASSERT_TRUE(v.ouvrir_mixer(0));

    EXPECT_EQ(v.ControlesMixer[0].dwControlType, MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_EQ(v.ControlesMixer[7].dwControlType, MIXERCONTROL_CONTROLTYPE_MUTE);
    // A missing line leaves both its slots empty, a missing mute only its own.
    for (int k : {3, 10, 11, 14, 20}) EXPECT_EQ(v.ControlesMixer[k].dwControlID, 0u) << k;
    EXPECT_NE(v.ControlesMixer[4].dwControlID, 0u);
    EXPECT_EQ(v.lire_volume(3), 0);
    EXPECT_FALSE(v.regler_volume(3, 50));
    // Slot k + 7 is the mute of the line of slot k: the wave output here.
    ASSERT_TRUE(v.regler_muet(12, true));
    EXPECT_TRUE(b.fp.mixer.line(MixerLine::Wave).muted);
    EXPECT_FALSE(b.fp.mixer.line(MixerLine::Speakers).muted);
}

TEST(Mixer, echelle_en_pourcent) {
    TestBench b;
    FakeMixer& m = b.fp.mixer;
    mdlVolume& v = b.p().volume();
    ASSERT_TRUE(v.ouvrir_mixer(0));

    v.regler_volume(0, 50);
    EXPECT_EQ(ecrit(m), 32750);
    EXPECT_EQ(v.lire_volume(0), 50);
    v.regler_volume(0, 100);
    EXPECT_EQ(ecrit(m), 65500);
    EXPECT_EQ(v.lire_volume(0), 100);
    v.regler_volume(0, -5);
    EXPECT_EQ(ecrit(m), 0);
    v.regler_volume(0, 120);
    EXPECT_EQ(ecrit(m), 65535);
    v.regler_volume(0, 2'000'000'000); // no overflow on the way to the clamp
    EXPECT_EQ(ecrit(m), 65535);
    for (int p = 0; p <= 100; ++p) {
        v.regler_volume(0, p);
        ASSERT_EQ(v.lire_volume(0), p);
    }
}

TEST(Mixer, petite_plage_et_muet) {
    TestBench b;
    FakeMixer& m = b.fp.mixer;
    m.line(MixerLine::Microphone).minimum = 2;
    m.line(MixerLine::Microphone).maximum = 100;
    mdlVolume& v = b.p().volume();
    ASSERT_TRUE(v.ouvrir_mixer(0));

    v.regler_volume(2, 37);
    EXPECT_EQ(ecrit(m), 37);
    EXPECT_EQ(v.lire_volume(2), 37);
    v.regler_volume(2, 0);
    EXPECT_EQ(ecrit(m), 2);

    v.regler_muet(7, true);
    EXPECT_EQ(ecrit(m), 1);
    EXPECT_TRUE(v.lire_muet(7));
    v.regler_muet(7, false);
    EXPECT_EQ(ecrit(m), 0);
    EXPECT_FALSE(v.lire_muet(7));
}

TEST(Mixer, sans_peripherique_tout_lit_zero) {
    TestBench b;
    FakeMixer& m = b.fp.mixer;
    m.line(MixerLine::Speakers).value = 40000;
    m.line(MixerLine::Speakers).muted = true;
    mdlVolume& v = b.p().volume();
    EXPECT_FALSE(v.ouvrir_mixer(1));
    EXPECT_FALSE(v.ouvrir_mixer(-1));
    EXPECT_EQ(m.opens, 0);
    EXPECT_EQ(v.lire_volume(0), 0);
    EXPECT_FALSE(v.lire_muet(7));
    EXPECT_FALSE(v.regler_volume(0, 50));
    EXPECT_TRUE(m.writes.empty());
    EXPECT_THROW(v.lire_volume(21), ErreurVB);
}

} // namespace
} // namespace tk
