// Skins of the bar and the alarm choice.
#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "options/frmOption.h"

#include <QImage>
#include <QTemporaryDir>
#include "evenements_reels.h"

#include <gtest/gtest.h>

using namespace tk;
using namespace tk::test;

namespace {

struct Skins : ::testing::Test {
    TestBench b;
    QTemporaryDir dossier;
    frmOption& o() { return b.p().frmOption(); }
    frmMain& m() { return b.p().frmMain(); }
    // The user picks an item of the list; a path (the stored choice) is
    // applied by code, as the load and every resize of the bar do.
    void choisir_skin(const QString& texte) {
        for (int i = 0; i < o().ComboSkin->ListCount(); ++i)
            if (o().ComboSkin->List(i) == texte) return choose(*o().ComboSkin, texte);
        o().ComboSkin->setText(texte);
        o().ComboSkin_Click();
    }
    QString image(const char* nom, QSize taille, QColor couleur) {
        QImage i(taille, QImage::Format_RGB32);
        i.fill(couleur);
        const QString chemin = dossier.filePath(QString::fromLatin1(nom));
        EXPECT_TRUE(i.save(chemin));
        return chemin;
    }
};

TEST_F(Skins, WindowsSkinThenTarvikSkin) {
    choisir_skin(QStringLiteral("Windows skin"));
    EXPECT_FALSE(m().picFond->Visible());
    EXPECT_TRUE(m().picFond->Picture().isNull());
    EXPECT_EQ(m().BackColor(), vbSysteme(COLOR_ACTIVECAPTION));

    m().setHeight(450);
    choisir_skin(QStringLiteral("Tarvik skin"));
    EXPECT_TRUE(m().picFond->Visible());
    EXPECT_EQ(m().picFond->Height(), 450);
    EXPECT_EQ(m().picFond->Picture().size(), m().picSkin->Picture().size());
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    EXPECT_TRUE(b.fp.dialogs.fileRequests.empty());
}

TEST_F(Skins, CancelledChoiceLeavesNoSkinAndTheBackground) {
    const QPixmap avant = m().picFond->Picture();
    o().ComboSkin->setToolTipText(QStringLiteral("avant"));
    choisir_skin(QStringLiteral("Select a new skin"));
    ASSERT_EQ(b.fp.dialogs.fileRequests.size(), 1u);
    const QString filtre = b.fp.dialogs.fileRequests[0].filter;
    EXPECT_TRUE(filtre.startsWith(QStringLiteral("Fichiers image (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp")));
    EXPECT_TRUE(filtre.contains(QStringLiteral("*.JPG")));
    EXPECT_EQ(o().ComboSkin->Text(), QStringLiteral("No skin"));
    EXPECT_EQ(m().picFond->Picture().cacheKey(), avant.cacheKey());
    EXPECT_EQ(o().ComboSkin->ToolTipText(), QStringLiteral("avant"));
    // Re-applying "No skin" (a new size, a new drive row, the next start) asks nothing.
    o().ComboSkin_Click();
    EXPECT_EQ(b.fp.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(o().ComboSkin->Text(), QStringLiteral("No skin"));
}

TEST_F(Skins, ChosenPictureIsLoadedAndReappliedWithoutTheDialog) {
    const QString fichier = image("fond.bmp", QSize(30, 12), Qt::red);
    b.fp.dialogs.choose(fichier);
    choisir_skin(QStringLiteral("Select a new skin"));
    EXPECT_EQ(o().ComboSkin->Text(), fichier);
    EXPECT_EQ(m().picFond->Picture().size(), QSize(30, 12));
    EXPECT_EQ(o().ComboSkin->ToolTipText(), fichier);

    // The stored path is loaded as it is, again and again.
    m().picFond->setPicture(QPixmap());
    o().ComboSkin_Click();
    o().ComboSkin_Click();
    EXPECT_EQ(b.fp.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(m().picFond->Picture().size(), QSize(30, 12));

    // OK stores the path and the next load shows it.
    cliquer(*o().btnOK);
    EXPECT_EQ(b.fp.registry.value(QStringLiteral("tarvik"), QStringLiteral("skin")), fichier);
}

TEST_F(Skins, UnreadablePictureIsLoggedAndChangesNothing) {
    const QPixmap avant = m().picFond->Picture();
    choisir_skin(dossier.filePath(QStringLiteral("parti.jpg")));
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(b.fp.dialogs.boxes[0].text.contains(QStringLiteral("Routine:ComboSkin_Click")));
    EXPECT_TRUE(b.fp.dialogs.fileRequests.empty());
    EXPECT_EQ(m().picFond->Picture().cacheKey(), avant.cacheKey());
    EXPECT_TRUE(b.fp.files.files.contains(b.fp.files.inFolder(QStringLiteral("err.log"))));
}

TEST_F(Skins, TransparentModePaintsTheTopBandOfTheWallpaper) {
    // A wallpaper twice the screen's size: its top band, as high as the bar
    // is in proportion to the screen, is green on the left and yellow on the
    // right; below it, blue.
    const int W = static_cast<int>(Ecran::Width() / 15), H = static_cast<int>(Ecran::Height() / 15);
    const int barre = static_cast<int>(m().Height() / 15);
    QImage papier(2 * W, 2 * H, QImage::Format_RGB32);
    papier.fill(Qt::blue);
    for (int y = 0; y < 2 * barre; ++y)
        for (int x = 0; x < 2 * W; ++x) papier.setPixel(x, y, x < W ? qRgb(0, 255, 0) : qRgb(255, 255, 0));
    const QString chemin = dossier.filePath(QStringLiteral("papier.png"));
    ASSERT_TRUE(papier.save(chemin));
    b.fp.registry.putValue(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop"),
                           QStringLiteral("Wallpaper"), chemin);

    choisir_skin(QStringLiteral("Mode transparent"));
    EXPECT_FALSE(m().picFond->Visible());
    EXPECT_TRUE(m().picFond->Picture().isNull());
    EXPECT_TRUE(m().Pic->Picture().isNull());
    EXPECT_EQ(m().Pic->Width(), 0); // the hidden box gave its wallpaper-sized surface back
    const QImage& dessin = m().fenetre()->calque;
    ASSERT_FALSE(dessin.isNull());
    EXPECT_EQ(QColor(dessin.pixel(W / 4, barre / 2)), QColor(0, 255, 0));
    EXPECT_EQ(QColor(dessin.pixel(3 * W / 4, barre / 2)), QColor(255, 255, 0));
    EXPECT_EQ(QColor(dessin.pixel(W / 4, barre - 2)), QColor(0, 255, 0));
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());

    // Back to a skin: the painted band goes with "Windows skin".
    choisir_skin(QStringLiteral("Windows skin"));
    EXPECT_TRUE(m().fenetre()->calque.isNull());
}

TEST_F(Skins, TransparentModeWithoutWallpaperLeavesTheWindowColour) {
    choisir_skin(QStringLiteral("Mode transparent"));
    EXPECT_FALSE(m().picFond->Visible());
    EXPECT_TRUE(m().fenetre()->calque.isNull());
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
}

// ------------------------------------------------------------ alarm

struct Alarme : Skins {
    void choisir_alarme(int index) { choose(*o().ComboAlarme, o().ComboAlarme->List(index)); }
};

TEST_F(Alarme, NoSoundSaysSoAndBeepBeepsOnce) {
    o().ComboAlarme->setToolTipText(QStringLiteral("x"));
    choisir_alarme(0);
    ASSERT_EQ(b.fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(b.fp.dialogs.boxes[0].text, QStringLiteral("no sound selected !"));
    EXPECT_EQ(b.fp.dialogs.boxes[0].style, vbOKOnly);
    EXPECT_EQ(o().ComboAlarme->ToolTipText(), QString()); // the dialog's last file: none yet
    cliquer(*o().btnPlaySound);
    EXPECT_EQ(b.fp.dialogs.boxes.size(), 2u);
    EXPECT_EQ(b.fp.sound.beeps, 0);
    choisir_alarme(1);
    cliquer(*o().btnPlaySound);
    EXPECT_EQ(b.fp.sound.beeps, 2);
    EXPECT_TRUE(b.fp.sound.played.isEmpty());
}

TEST_F(Alarme, CancellingEitherDialogLeavesNoSound) {
    choisir_alarme(2);
    EXPECT_EQ(o().ComboAlarme->Text(), QStringLiteral("No sound"));
    o().ComboAlarme->setText(QStringLiteral("Select file to play"));
    cliquer(*o().btnPlaySound);
    EXPECT_EQ(o().ComboAlarme->Text(), QStringLiteral("No sound"));
    ASSERT_EQ(b.fp.dialogs.fileRequests.size(), 2u);
    EXPECT_TRUE(
        b.fp.dialogs.fileRequests[0].filter.startsWith(QStringLiteral("Fichiers son (*.mp3;*.wav)|*.mp3;*.wav")));
    EXPECT_TRUE(
        b.fp.dialogs.fileRequests[1].filter.startsWith(QStringLiteral("Audio files (*.mp3;*.wav)|*.mp3;*.wav")));
    EXPECT_TRUE(b.fp.dialogs.fileRequests[1].filter.contains(QStringLiteral("*.WAV")));
    EXPECT_TRUE(b.fp.sound.played.isEmpty());
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
}

TEST_F(Alarme, ChosenFilePlaysAtOnceAndAgainOnThePlayButton) {
    b.fp.dialogs.choose(QStringLiteral("/home/u/Ding.WAV"));
    choisir_alarme(2);
    EXPECT_EQ(o().ComboAlarme->Text(), QStringLiteral("/home/u/Ding.WAV"));
    EXPECT_EQ(b.fp.sound.played, QStringList{QStringLiteral("/home/u/Ding.WAV")});
    EXPECT_EQ(o().ComboAlarme->ToolTipText(), QStringLiteral("/home/u/Ding.WAV"));
    cliquer(*o().btnPlaySound);
    EXPECT_EQ(b.fp.sound.played.size(), 2);
    // A file that cannot be played gives no message.
    b.fp.sound.playResult = false;
    cliquer(*o().btnPlaySound);
    EXPECT_TRUE(b.fp.dialogs.boxes.empty());
    cliquer(*o().btnOK);
    EXPECT_EQ(b.fp.registry.value(QStringLiteral("tarvik"), QStringLiteral("mail4")),
              QStringLiteral("/home/u/Ding.WAV"));
}

} // namespace
