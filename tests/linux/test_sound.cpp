// WAV reading, and playing through the private sound server when it runs.
#include "platform/linux/linux_sound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tk;

namespace {

QByteArray le32(uint32_t v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le16(uint16_t v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray c = QByteArray(id, 4) + le32(static_cast<uint32_t>(body.size())) + body;
    if (body.size() & 1) c += '\0';
    return c;
}
QByteArray fmt(uint16_t format, int channels, int rate, int bits) {
    const int align = channels * bits / 8;
    return le16(format) + le16(uint16_t(channels)) + le32(uint32_t(rate)) + le32(uint32_t(rate * align)) +
           le16(uint16_t(align)) + le16(uint16_t(bits));
}
QByteArray riff(const QByteArray& chunks) { return "RIFF" + le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }
QByteArray tone(int frames, int channels, int bits) {
    QByteArray s;
    for (int i = 0; i < frames * channels; ++i)
        s += bits == 8 ? QByteArray(1, char(128 + (i % 40) - 20)) : le16(uint16_t((i % 80 - 40) * 300));
    return s;
}

} // namespace

TEST(Wav, ReadsPlainPcmAndSkipsOtherChunks) {
    WavPcm w;
    const QByteArray stereo = tone(100, 2, 16);
    ASSERT_TRUE(parseWav(riff(chunk("fmt ", fmt(1, 2, 44100, 16)) + chunk("data", stereo)), w));
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.rate, 44100);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.samples, stereo);

    // An odd-sized chunk before the data is padded to an even size.
    const QByteArray mono = tone(51, 1, 8);
    ASSERT_TRUE(parseWav(riff(chunk("fmt ", fmt(1, 1, 8000, 8)) + chunk("LIST", "abc") + chunk("data", mono)), w));
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 8);
    EXPECT_EQ(w.samples, mono);

    // Extensible format whose sub-format is PCM.
    QByteArray ext = fmt(0xFFFE, 2, 22050, 16) + le16(22) + le16(16) + le32(3) + le16(1) +
                     QByteArray::fromHex("000000001000800000aa00389b71");
    ASSERT_TRUE(parseWav(riff(chunk("fmt ", ext) + chunk("data", stereo)), w));
    EXPECT_EQ(w.rate, 22050);
}

TEST(Wav, DataCutShortPlaysTheWholeFramesThatAreThere) {
    QByteArray image = riff(chunk("fmt ", fmt(1, 2, 8000, 16)) + chunk("data", tone(10, 2, 16)));
    image.chop(6); // one and a half frames missing
    WavPcm w;
    ASSERT_TRUE(parseWav(image, w));
    EXPECT_EQ(w.samples.size(), 8 * 4);
}

TEST(Wav, RefusesWhatItCannotPlay) {
    const QByteArray data = chunk("data", tone(10, 1, 16));
    WavPcm w;
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(3, 1, 8000, 32)) + data), w)) << "float";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 1, 8000, 24)) + data), w)) << "24-bit";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 6, 8000, 16)) + data), w)) << "six channels";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 1, 0, 16)) + data), w)) << "no rate";
    EXPECT_FALSE(parseWav(riff(data + chunk("fmt ", fmt(1, 1, 8000, 16))), w)) << "data before format";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 1, 8000, 16)) + chunk("data", "")), w)) << "no samples";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 1, 8000, 16)).left(20)), w)) << "format cut short";
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", fmt(1, 1, 8000, 16))), w)) << "no data chunk";
    EXPECT_FALSE(parseWav("RIFX" + riff("").mid(4), w));
    EXPECT_FALSE(parseWav("", w));
    QByteArray ext = fmt(0xFFFE, 1, 8000, 16) + le16(22) + le16(16) + le32(4) + le16(3) + QByteArray(14, 0);
    EXPECT_FALSE(parseWav(riff(chunk("fmt ", ext) + data), w)) << "extensible float";
}

TEST(Wav, PlayingANonWavOrAMissingFileFailsQuietly) {
    QTemporaryDir dir;
    QFile f(dir.filePath("texte.wav"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a sound at all");
    f.close();
    LinuxSound son;
    EXPECT_FALSE(son.playSync(f.fileName()));
    EXPECT_FALSE(son.playSync(dir.filePath("absent.wav")));
}

TEST(SoundLive, PlaysAWavToItsEnd) {
    if (qgetenv("TARVIK_TEST_SERVICES") != "1")
        GTEST_SKIP() << "needs the private test services (tests/integration/services.sh)";
    QProcess pactl;
    pactl.start("pactl", {"info"});
    if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0) GTEST_SKIP() << "no sound server (pactl info fails)";
    QTemporaryDir dir;
    QFile f(dir.filePath("bip.wav"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(riff(chunk("fmt ", fmt(1, 2, 22050, 16)) + chunk("data", tone(22050 / 4, 2, 16)))); // 0.25 s
    f.close();
    LinuxSound son;
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(son.playSync(f.fileName()));
    EXPECT_GE(t.elapsed(), 200) << "returned before the sound was played";
    son.beep(); // must not disturb anything
}
