// The ALSA mixer: the 0..65535 presentation of any range, and, with the
// private sound server of the integration services, the real "Master" line.
#include "platform/linux/linux_mixer.h"
#include "platform/linux/linux_sound.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

using namespace tk;

namespace {

struct Range {
    int64_t min, max;
};

} // namespace

TEST(MixerScale, BothEndsMapExactlyWhateverTheRange) {
    for (Range r :
         {Range{0, 87}, Range{0, 65536}, Range{-10, 10}, Range{0, 1}, Range{-6400, 0}, Range{3, 2147483647}}) {
        SCOPED_TRACE(testing::Message() << r.min << ".." << r.max);
        EXPECT_EQ(rawToPresented(r.min, r.min, r.max), 0);
        EXPECT_EQ(rawToPresented(r.max, r.min, r.max), 65535);
        EXPECT_EQ(presentedToRaw(0, r.min, r.max), r.min);
        EXPECT_EQ(presentedToRaw(65535, r.min, r.max), r.max);
    }
}

TEST(MixerScale, ValuesSurviveTheRoundTrip) {
    // Small ranges: every raw step comes back as itself, in increasing order.
    for (Range r : {Range{0, 87}, Range{-10, 10}, Range{-6400, 0}}) {
        int64_t previous = -1;
        for (int64_t raw = r.min; raw <= r.max; ++raw) {
            const int64_t shown = rawToPresented(raw, r.min, r.max);
            ASSERT_GT(shown, previous) << raw;
            ASSERT_EQ(presentedToRaw(shown, r.min, r.max), raw) << r.min << ".." << r.max;
            previous = shown;
        }
    }
    // Ranges at least as fine as the presentation: every presented value comes back.
    for (Range r : {Range{0, 65536}, Range{0, 65535}, Range{-1000000, 1000000}})
        for (int64_t v = 0; v <= 65535; ++v)
            ASSERT_EQ(rawToPresented(presentedToRaw(v, r.min, r.max), r.min, r.max), v) << v;
}

TEST(MixerScale, AValueSetHereReadsBackUnchangedOnACoarseCard) {
    // The volume widget writes percent x 655; on a 0..31 card most of those
    // share a raw step with a neighbour, and must still read back as written.
    for (Range r : {Range{0, 31}, Range{0, 87}}) {
        LastWrites memoire;
        for (int64_t p = 0; p <= 100; ++p) {
            const int64_t v = p * 655;
            const int64_t raw = presentedToRaw(v, r.min, r.max);
            memoire.remember(MixerLine::Speakers, raw, v);
            ASSERT_EQ(memoire.read(MixerLine::Speakers, raw, r.min, r.max), v) << r.max << " " << p;
        }
    }
    // A step set elsewhere, another line, or a forgotten mixer reads through the scale.
    LastWrites memoire;
    memoire.remember(MixerLine::Speakers, 0, 655);
    EXPECT_EQ(memoire.read(MixerLine::Speakers, 16, 0, 31), rawToPresented(16, 0, 31));
    EXPECT_EQ(memoire.read(MixerLine::Microphone, 0, 0, 31), 0);
    memoire.remember(MixerLine::Speakers, 0, 655);
    memoire.forget();
    EXPECT_EQ(memoire.read(MixerLine::Speakers, 0, 0, 31), 0);
}

TEST(MixerScale, OutOfRangeIsClampedAndAnEmptyRangeIsHarmless) {
    EXPECT_EQ(rawToPresented(100, 0, 87), 65535);
    EXPECT_EQ(rawToPresented(-3, 0, 87), 0);
    EXPECT_EQ(presentedToRaw(-5, 10, 20), 10);
    EXPECT_EQ(presentedToRaw(70000, 10, 20), 20);
    EXPECT_EQ(rawToPresented(5, 3, 3), 0);
    EXPECT_EQ(presentedToRaw(40000, 3, 3), 3);
}

namespace {

QString pactl(const QStringList& args, bool* ok = nullptr) {
    QProcess p;
    p.start("pactl", args);
    const bool done = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok) *ok = done;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

std::vector<int> percents(const QString& texte) {
    std::vector<int> v;
    auto it = QRegularExpression(R"((\d+)%)").globalMatch(texte);
    while (it.hasNext()) v.push_back(it.next().captured(1).toInt());
    return v;
}

bool within(int ms, const std::function<bool()>& condition) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QThread::msleep(5);
    }
    return true;
}

} // namespace

// These change the sound server's volume, so they run only among the private
// services (tests/integration/services.sh), never against a person's session.
class MixerLive : public testing::Test {
protected:
    void SetUp() override {
        if (qgetenv("TARVIK_TEST_SERVICES") != "1")
            GTEST_SKIP() << "needs the private test services (tests/integration/services.sh)";
        bool ok = false;
        pactl({"info"}, &ok);
        if (!ok) GTEST_SKIP() << "no sound server (pactl info fails)";
        pactl({"set-sink-mute", "@DEFAULT_SINK@", "0"});
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "100%"});
    }
};

TEST_F(MixerLive, ThirtyPercentSetHereShowsInTheSoundServer) {
    LinuxMixer m;
    ASSERT_EQ(m.deviceCount(), 1);
    ASSERT_TRUE(m.open(0));
    ASSERT_TRUE(m.hasLine(MixerLine::Speakers));
    int64_t mn = -1, mx = -1;
    ASSERT_TRUE(m.volumeRange(MixerLine::Speakers, mn, mx));
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 65535);

    const int64_t trente = std::llround(0.30 * 65535);
    ASSERT_TRUE(m.writeVolume(MixerLine::Speakers, trente));
    const QString volume = pactl({"get-sink-volume", "@DEFAULT_SINK@"});
    const auto p = percents(volume);
    ASSERT_FALSE(p.empty()) << volume.toStdString();
    for (int v : p) EXPECT_EQ(v, 30) << volume.toStdString();

    int64_t relu = -1;
    ASSERT_TRUE(m.readVolume(MixerLine::Speakers, relu));
    EXPECT_NEAR(relu, trente, 1);

    ASSERT_TRUE(m.writeMute(MixerLine::Speakers, true));
    EXPECT_TRUE(pactl({"get-sink-mute", "@DEFAULT_SINK@"}).contains("yes"));
    ASSERT_TRUE(m.writeMute(MixerLine::Speakers, false));
    EXPECT_TRUE(pactl({"get-sink-mute", "@DEFAULT_SINK@"}).contains("no"));
}

TEST_F(MixerLive, ChangesMadeElsewhereShowAtTheNextRead) {
    LinuxMixer m;
    ASSERT_TRUE(m.open(0));
    bool muet = true;
    ASSERT_TRUE(m.readMute(MixerLine::Speakers, muet));
    EXPECT_FALSE(muet);

    pactl({"set-sink-mute", "@DEFAULT_SINK@", "1"});
    // The server tells the mixer asynchronously; a read takes whatever has arrived.
    EXPECT_TRUE(within(1000, [&] { return m.readMute(MixerLine::Speakers, muet) && muet; }));

    pactl({"set-sink-volume", "@DEFAULT_SINK@", "50%"});
    int64_t v = -1;
    EXPECT_TRUE(within(1000, [&] { return m.readVolume(MixerLine::Speakers, v) && std::abs(v - 32768) <= 2; })) << v;
    pactl({"set-sink-mute", "@DEFAULT_SINK@", "0"});
}

TEST_F(MixerLive, WithoutASoundServerNothingOpensAndNothingIsPrinted) {
    const QByteArray avant = qgetenv("PULSE_SERVER");
    QTemporaryDir vide;
    qputenv("PULSE_SERVER", ("unix:" + vide.path() + "/nothing-here").toLocal8Bit());
    testing::internal::CaptureStderr();
    {
        LinuxMixer m;
        EXPECT_EQ(m.deviceCount(), 0);
        EXPECT_FALSE(m.open(0));
        int64_t v = 0;
        bool muet = false;
        for (int tick = 0; tick < 3; ++tick) {
            EXPECT_FALSE(m.readVolume(MixerLine::Speakers, v));
            EXPECT_FALSE(m.readMute(MixerLine::Speakers, muet));
        }
        EXPECT_FALSE(m.writeVolume(MixerLine::Speakers, 1000));
        EXPECT_FALSE(m.hasLine(MixerLine::Speakers));
    }
    const std::string imprime = testing::internal::GetCapturedStderr();
    qputenv("PULSE_SERVER", avant);
    EXPECT_EQ(imprime, "");
}
