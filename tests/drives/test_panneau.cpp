// Drive panel: row placement, column alignment, the usage bar's pixels,
// icons and the click that opens a drive.
#include "drives/test_disques.h"
#include "evenements_reels.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>

using namespace tk;
using namespace tk::test;

TEST(Panneau, RowsAndColumns) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, QStringLiteral("SYSTEM"), 100 * GO, 50 * GO);
    t.lecteur('D', DRIVE_REMOVABLE, {}, 8 * GO, 1 * GO);
    t.lecteur('E', DRIVE_CDROM, {}, 900 * GO, 0);
    t.rafraichir(true);
    frmMain& f = t.f();
    const float m = f.lblNomDisc(0).Width(); // C:SYSTEM is the widest name
    ASSERT_GT(m, f.lblNomDisc(1).Width());
    float r = 0;
    for (int n = 0; n < 3; ++n) {
        const float y = 30 + 270 * n; // 30, 300, 570
        EXPECT_EQ(f.picDisc(n).Top(), y);
        EXPECT_EQ(f.picDebitDiskE(n).Top(), y);
        EXPECT_EQ(f.picTypeDisc(n).Top(), y);
        EXPECT_EQ(f.lblNomDisc(n).Top(), y + 30);
        EXPECT_EQ(f.picDisc(n).Left(), 410 + m + 65); // bars 65 twips after the widest name
        EXPECT_EQ(f.lblTotalDisc(n).Left(), f.picDisc(n).Left() + 1695 + 65);
        EXPECT_EQ(f.lblEspaceOccupe(n).widget()->parentWidget(), f.picDisc(n).widget());
        EXPECT_EQ(f.lblEspaceLibre(n).Left(), 1695 - f.lblEspaceLibre(n).Width() - 75);
        r = std::max(r, f.lblTotalDisc(n).Left() + f.lblTotalDisc(n).Width());
    }
    EXPECT_EQ(f.picDebitDiskL(2).Left(), r + 100);
    EXPECT_EQ(f.picDebitDiskE(2).Left(), r + 100 + 615 + 45);
    EXPECT_EQ(f.lblTotalDisc(0).Caption(), t.b.p().fonctions().Affichage(100.0 * GO, true));
    EXPECT_EQ(f.lblEspaceOccupe(0).Caption(), t.b.p().fonctions().Affichage(50.0 * GO, false));

    // Icons by type, and the drive pointer on every row.
    EXPECT_EQ(f.picTypeDisc(0).Picture().toImage(), f.ImageHARD->Picture().toImage());
    EXPECT_EQ(f.picTypeDisc(1).Picture().toImage(), f.ImageAMOVIBLE->Picture().toImage());
    EXPECT_EQ(f.picTypeDisc(2).Picture().toImage(), f.ImageDISK->Picture().toImage());
    EXPECT_EQ(f.picTypeDisc(2).widget()->cursor().shape(), Qt::BitmapCursor);
}

TEST(Panneau, UsageBarOfAFullAnEmptyAndAQuarterUsedDrive) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 0);
    t.lecteur('D', DRIVE_FIXED, {}, 100 * GO, 100 * GO);
    t.lecteur('E', DRIVE_FIXED, {}, 100 * GO, 75 * GO);
    t.rafraichir(true);
    const Couleur actif = depuis_qcolor(en_qcolor(vbSysteme(COLOR_ACTIVECAPTION)));
    const Couleur inactif = depuis_qcolor(en_qcolor(vbSysteme(COLOR_INACTIVECAPTION)));
    const Couleur blanc = RGB(255, 255, 255);
    ASSERT_NE(actif, inactif);
    ASSERT_EQ(t.f().picDisc(0).image().width(), 113); // 1695 twips

    // Full: used over the whole bar, the free rectangles drawn backwards
    // from the right end over its last pixels.
    EXPECT_EQ(t.px(0, 0, 8), inactif);
    EXPECT_EQ(t.px(0, 100, 8), actif);
    EXPECT_EQ(t.px(0, 110, 0), blanc);
    EXPECT_EQ(t.px(0, 111, 8), inactif);
    // Empty: white frame and free fill all along.
    EXPECT_EQ(t.px(1, 0, 0), blanc);
    for (int x = 0; x <= 109; ++x) ASSERT_EQ(t.px(1, x, 8), inactif) << x;
    EXPECT_EQ(t.px(1, 110, 8), blanc);
    // A quarter: u = 1695 / 4 -> 424 twips; used fill to u - 30, frame at u - 15.
    EXPECT_EQ(t.px(2, 26, 8), actif);
    EXPECT_EQ(t.px(2, 27, 8), inactif);
    EXPECT_EQ(t.px(2, 28, 0), blanc);
    EXPECT_EQ(t.px(2, 60, 8), inactif);
}

TEST(Panneau, ClickingAnIconOpensTheDrivesFolderAsOneArgument) {
    BancDisques t;
    t.lecteur('C', DRIVE_FIXED, QStringLiteral("SYS"), 100 * GO, 50 * GO);
    t.lecteur('D', DRIVE_FIXED, QStringLiteral("my data; rm -rf ~"), 100 * GO, 50 * GO);
    t.rafraichir(true);
    cliquer(t.f().picTypeDisc(1)); // new rows carry the handler
    EXPECT_EQ(t.b.fp.files.openedPaths, QStringList{"/media/user/my data; rm -rf ~"});
    EXPECT_TRUE(t.b.fp.files.launches.empty());
}

// A volume label is the user's or a stick maker's text: shown as it is
// written, markup included, never rendered.
TEST(Panneau, ADriveNameWithMarkupShowsLiterally) {
    BancDisques t;
    const QString nom = QStringLiteral("<font color=\"red\"><b>STICK</b></font>");
    t.lecteur('C', DRIVE_REMOVABLE, nom, 8 * GO, 1 * GO);
    t.rafraichir(true);
    Label& l = t.f().lblNomDisc(0);
    EXPECT_EQ(l.Caption(), QStringLiteral("C:") + nom);
    auto* q = static_cast<QLabel*>(l.widget());
    EXPECT_EQ(q->textFormat(), Qt::PlainText);
    q->resize(q->sizeHint());
    const QImage image = q->grab().toImage();
    int rouges = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            rouges += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_EQ(rouges, 0);
    // The text width is that of the whole written text.
    EXPECT_GE(q->sizeHint().width(), QFontMetrics(q->font()).horizontalAdvance(QStringLiteral("C:") + nom) - 2);
}

// Linux's own figures, as df gives them: the blocks reserved for the
// administrator count as free space, not used space, though the user may not
// write to them. 100 Go with 30 Go free of which 5 Go reserved: used 70 Go
// (df's Used), free 25 Go (df's Avail), total 100 Go (df's Size), and the
// usage bar is drawn at 70 %.
TEST(Panneau, ReservedBlocksAreNeitherUsedNorFreeForTheUser) {
    BancDisques t;
    FakeDrive& c = t.lecteur('C', DRIVE_FIXED, {}, 100 * GO, 25 * GO);
    c.freeTotal = 30 * GO;
    t.rafraichir(true);
    const InfoDisque& d = t.d().disques[0];
    EXPECT_EQ(d.espace_occupe, 70.0 * GO);
    EXPECT_EQ(d.espace_libre, 25.0 * GO);
    EXPECT_EQ(d.taille_totale, 100.0 * GO);
    EXPECT_EQ(t.f().lblEspaceOccupe(0).Caption(), t.b.p().fonctions().Affichage(70.0 * GO, false));

    // u = 1695 x 70 / 100 = 1186.5 -> 1186 twips: used fill up to pixel 77, free after 78.
    const Couleur actif = depuis_qcolor(en_qcolor(vbSysteme(COLOR_ACTIVECAPTION)));
    const Couleur inactif = depuis_qcolor(en_qcolor(vbSysteme(COLOR_INACTIVECAPTION)));
    EXPECT_EQ(t.px(0, 76, 8), actif);
    EXPECT_EQ(t.px(0, 80, 8), inactif); // at 75 % (total less the user's free) it would still be used
}
