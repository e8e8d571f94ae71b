// Texts fit where they are shown, in the fonts the windows are drawn with at
// 96 dots per inch: the bar's labels and meter captions, the help balloons,
// the options dialog and the update window.
#include "app/frmMain.h"
#include "bar/mdlAppBar.h"
#include "app/mdlFonctions.h"
#include "fakes/fake_platform.h"
#include "help/frmPostit.h"
#include "help/mdlAide.h"
#include "meters/mdlPdh.h"
#include "options/frmOption.h"
#include "update/frmMaj.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <gtest/gtest.h>

using namespace tk;

namespace {

int px(double twips) { return vers_pixels(twips); }

// The space a text takes in a label: one line, or wrapped at the label's width.
QRect etendue(const Label& l, const QString& texte) {
    const QFontMetrics fm(l.Font());
    const auto* q = static_cast<const QLabel*>(l.widget());
    if (q->wordWrap()) return fm.boundingRect(QRect(0, 0, px(l.Width()), 10000), Qt::TextWordWrap, texte);
    QRect r = fm.boundingRect(QRect(0, 0, 10000, 10000), 0, texte);
    r.setWidth(fm.horizontalAdvance(texte));
    r.setHeight(std::max(r.height(), fm.height() * static_cast<int>(texte.count(QLatin1Char('\n')) + 1)));
    return r;
}

void tient(const Label& l, const QString& texte) {
    const QRect e = etendue(l, texte);
    if (qEnvironmentVariableIsSet("TARVIK_MESURES"))
        printf("%-16s %4dx%-4d in %4dx%-4d %s\n", qPrintable(l.nom()), e.width(), e.height(), px(l.Width()),
               px(l.Height()), qPrintable(QString(texte).replace("\r\n", " | ")));
    EXPECT_LE(e.width(), px(l.Width())) << l.nom().toStdString() << ": " << texte.toStdString();
    EXPECT_LE(e.height(), px(l.Height())) << l.nom().toStdString() << ": " << texte.toStdString();
}

void tient(Label& l) { tient(l, l.Caption()); }

// A button's caption with the style's margins; a check box's with its box.
void tient(CommandButton& b) {
    const QFontMetrics fm(b.widget()->font());
    const int marge = 2 * b.widget()->style()->pixelMetric(QStyle::PM_ButtonMargin);
    EXPECT_LE(fm.horizontalAdvance(b.Caption()) + marge, px(b.Width())) << b.Caption().toStdString();
}
void tient(CheckBox& c) {
    const QFontMetrics fm(c.widget()->font());
    QStyle* s = c.widget()->style();
    const int boite = s->pixelMetric(QStyle::PM_IndicatorWidth) + s->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    EXPECT_LE(fm.horizontalAdvance(c.Caption()) + boite, px(c.Width())) << c.Caption().toStdString();
    EXPECT_LE(fm.height(), px(c.Height())) << c.Caption().toStdString();
}

} // namespace

TEST(Textes, TheMappedFacesAreInstalled) {
    // A missing face would silently fall back to a wider one.
    EXPECT_EQ(QFontInfo(police(Police::MSSansSerif, 8.25)).family(), QStringLiteral("DejaVu Sans Condensed"));
    EXPECT_TRUE(
        QFontInfo(police(Police::SmallFonts, 6.75, true)).family().startsWith(QStringLiteral("Nimbus Sans Narrow")));
    EXPECT_EQ(police(Police::MSSansSerif, 8.25).pixelSize(), 11);
    EXPECT_EQ(police(Police::SmallFonts, 6.75).pixelSize(), 9);
    EXPECT_EQ(police(Police::SmallFonts, 6).pixelSize(), 8);
    EXPECT_EQ(QFontMetrics(police(Police::MSSansSerif, 8.25)).height(), 13);
}

TEST(Textes, TheBarsLabelsHoldTheirLongestTexts) {
    TestBench b;
    frmMain& f = b.p().frmMain();
    tient(f.lblEspaceLibre(0), QStringLiteral("79.55 Go"));
    tient(f.lblEspaceLibre(0), QStringLiteral("1023.99 Mo"));
    tient(f.lblEspaceOccupe(0), QStringLiteral("1023.99 Go"));
    tient(*f.lblSon, QStringLiteral("100 %"));
    tient(f.lblMail(0), QStringLiteral("99"));
    for (const char* c : {"CPU", "RAM", "wlan0"}) tient(f.lblCompteur(0), QString::fromLatin1(c));
    // Self-sizing labels are as high as their design height.
    f.lblTotalDisc(0).setCaption(QStringLiteral("1023 Go"));
    EXPECT_LE(f.lblTotalDisc(0).Height(), 195.f);
}

// The caption is written at the top of the meter: every inked pixel of it,
// the topmost row included, is inside the meter, and the text is not cut.
TEST(Textes, MeterCaptionsStandInsideTheirMeters) {
    TestBench b;
    frmMain& f = b.p().frmMain();
    mdlPdh& pdh = b.p().pdh();
    struct Cas {
        PictureBox* p;
        std::function<void()> dessiner;
        QString texte;
    };
    f.picCompteur(0).Move(0, 15, 600, 285);
    f.picCompteur(1).Move(0, 15, 900, 285);
    f.picDebitDiskL(0).Move(0, 30, 615, 240);
    const Cas cas[] = {
        {&f.picCompteur(0), [&] { pdh.dessiner_compteur_cpu(100); }, QStringLiteral("100 %")},
        {&f.picCompteur(1), [&] { pdh.dessiner_compteur_ram(100); }, QStringLiteral("100 % used")},
        {&f.picDebitDiskL(0), [&] { pdh.dessiner_compteur_diskL(1023.0 * 1024, &f.picDebitDiskL(0), 0); },
         b.p().fonctions().Affichage(1023.0 * 1024, true)},
    };
    for (const Cas& c : cas) {
        c.dessiner();
        const QImage& img = c.p->image();
        // The caption's rows: above the graph, which a full meter fills from the bottom up
        // (a full meter: only the caption's own colours, white and black, show on top).
        const QFontMetrics fm(c.p->Font());
        const QRect encre = fm.tightBoundingRect(c.texte);
        const int x0 = px((10 - c.texte.length()) * 30 + 15 + (c.texte.contains("used") ? 100 : 0));
        EXPECT_LE(x0 + 1 + encre.right(), img.width() - 1) << c.texte.toStdString() << ": cut at the right";
        // Topmost inked row of the text (apart from the two pixels set as text position).
        const int haut = fm.ascent() + encre.top();
        EXPECT_GE(haut, 1) << c.texte.toStdString() << ": the top row of the meter is the text's top";
        EXPECT_LT(fm.ascent() + encre.bottom(), img.height()) << c.texte.toStdString();
        // And on the surface itself: the rows above that one hold no white but the two set pixels.
        int blancs = 0;
        for (int y = 0; y < haut; ++y)
            for (int x = 0; x < img.width(); ++x) blancs += img.pixel(x, y) == qRgb(255, 255, 255);
        EXPECT_EQ(blancs, 2) << c.texte.toStdString();
    }
}

TEST(Textes, EveryBalloonTextFitsItsBalloon) {
    TestBench b;
    b.p().frmMain();
    mdlAide& aide = b.p().aide();
    b.p().aide_active = true;
    // Figures as long as they get: big memory, a drive with a long name, an
    // interface with long fields, a mail box answer.
    b.p().reponse_boite_mail = QStringLiteral("+OK 12 messages (123456 octets)");
    std::vector<std::pair<int, int>> sujets = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {6, 0}, {8, 0}, {8, 1}};
    for (int16_t mode : {0, 1, 2}) {
        b.p().modeBarre = mode;
        for (auto [sujet, numero] : sujets) {
            aide.afficher_aide(static_cast<int16_t>(sujet), static_cast<int16_t>(numero));
            frmPostit& p = b.p().frmPostit();
            tient(*p.lbl1);
            EXPECT_EQ(static_cast<QLabel*>(p.lbl1->widget())->alignment(), Qt::AlignTop | Qt::AlignLeft);
            EXPECT_EQ(p.lbl1->Font().pixelSize(), 11); // 8.25 pt
            EXPECT_TRUE(p.lbl1->Font().bold());
        }
    }
    // The mailbox with mail waiting, and the memory figures at their longest.
    b.p().frmMain().picMail(1).setVisible(true);
    aide.afficher_aide(3, 0);
    tient(*b.p().frmPostit().lbl1);
    // Up to 64 GB of memory and 99.99 Go of virtual memory: each figure on its line.
    for (auto [physique, virtuelle] : {std::pair{64.0, 99.99}, std::pair{31.99, 23.47}, std::pair{0.5, 0.0}}) {
        b.p().etat_memoire.dwTotalPhys = static_cast<uint64_t>(physique * (1 << 30));
        b.p().etat_memoire.dwAvailPhys = static_cast<uint64_t>(physique * (1 << 30)) - 1;
        b.p().etat_memoire.dwTotalVirtual = static_cast<uint64_t>(virtuelle * (1 << 30));
        b.p().etat_memoire.dwAvailVirtual = static_cast<uint64_t>(virtuelle * (1 << 30));
        aide.afficher_aide(8, 1);
        tient(*b.p().frmPostit().lbl1);
    }
}

TEST(Textes, OptionsAndUpdateWindowsHoldTheirTexts) {
    TestBench b;
    frmOption& o = b.p().frmOption();
    for (Label* l : {o.lblMessage.get(), o.lblProcessus.get(), o.lblSkin.get(), o.lblDelai.get(), o.lblPop.get(),
                     o.lblUser.get(), o.lblPass.get(), o.lblDelaiMail.get(), o.lblDisques.get(), o.lblTitre.get(),
                     o.lblNotice.get(), o.txtVersion.get(), o.Label2.get()})
        tient(*l);
    for (const char* t : {"NOT CONNECTED", "Non connecté...", "Server MAj introuvable !", "Votre version est à jour!",
                          "Mise à jour disponible !", "Sending message...", "OK"})
        tient(*o.txtInfo, QString::fromUtf8(t));
    for (CommandButton* c : {o.btnMaj.get(), o.btnSend.get(), o.btnPlaySound.get(), o.btnOK.get()}) tient(*c);
    for (CheckBox* c :
         {o.CheckSmooth.get(), o.CheckHelp.get(), o.CheckIcone.get(), o.checkStart.get(), o.checkmajAuto.get()})
        tient(*c);

    frmMaj& m = b.p().frmMaj();
    for (const QString& t :
         {frmMaj::texte_question(), frmMaj::texte_echec_telechargement(), QStringLiteral("Verify update components..."),
          QStringLiteral("Downloading... "), QStringLiteral("Suppression ancienne version (essai N°9)"),
          QStringLiteral("Nettoyage des fichiers (essai N°9)"), QStringLiteral("Chargement Tarvik en cours..."),
          QStringLiteral("Redémarrage Tarvik...")})
        tient(*m.txtInfo, t);
    for (const char* t : {"V1.4.2 beta", "V99.99.999"}) tient(m.txtVersion(0), QString::fromLatin1(t));
    for (int i : {0, 1})
        for (const char* t : {"Oui", "Non", "Annuler"}) {
            m.btnAction(i).setCaption(QString::fromLatin1(t));
            tient(m.btnAction(i));
        }
}
