// The form engine: twips geometry, control arrays, picture pixels, labels,
// input controls that run their handlers, timers that never re-enter, and
// forms that load again after an unload.
#include "diag/erreur.h"
#include "forms/controles.h"
#include "forms/forme.h"
#include "platform/linux/window_pixels.h"
#include "erreur_attendue.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace tk;

namespace {
// Counts what the widgets it watches paint into their window: their paint
// events, and the parts a picture box writes into the window's image itself.
// Gathers the regions.
struct CompteurPeintures : QObject {
    int peintures = 0;
    int envois = 0; // of them, the parts a box wrote itself
    QRegion peint;
    std::vector<const QWidget*> suivis;
    CompteurPeintures() {
        actifs().push_back(this);
        PictureBox::observateur_envois() = [](const QWidget* boite, const QRegion& partie) {
            for (CompteurPeintures* c : actifs())
                if (std::find(c->suivis.begin(), c->suivis.end(), boite) != c->suivis.end()) {
                    c->compter(partie);
                    ++c->envois;
                }
        };
    }
    ~CompteurPeintures() override {
        actifs().erase(std::find(actifs().begin(), actifs().end(), this));
        if (actifs().empty()) PictureBox::observateur_envois() = nullptr;
    }
    void suivre(QWidget* w) {
        w->installEventFilter(this);
        suivis.push_back(w);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) compter(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
    void compter(const QRegion& r) {
        ++peintures;
        peint += r;
    }
    static std::vector<CompteurPeintures*>& actifs() {
        static std::vector<CompteurPeintures*> v;
        return v;
    }
};

// Lets events run until `fait` holds, at most 5 seconds; says whether it held.
// (QTest's QTRY macros return from the enclosing function on a time-out
// without telling the test framework, so a test would pass without checking.)
bool attendre(const std::function<bool()>& fait) {
    QElapsedTimer t;
    t.start();
    while (!fait()) {
        if (t.elapsed() > 5000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

// A meter-sized picture box (100 x 20 pixels, in pixels) in a window, with
// its paint events counted.
struct CompteurEnFenetre {
    CompteurPeintures compteur; // outlives the widgets it watches
    QWidget fenetre;
    PictureBox b{&fenetre, "picCompteur"};
    CompteurEnFenetre() {
        fenetre.resize(200, 40);
        b.setScaleMode(PictureBox::vbPixels);
        b.Move(0, 0, 1500, 300);
        b.setVisible(true);
        compteur.suivre(b.widget());
    }
};

// A picture box of 200 x 30 pixels at (10, 10) in a window of its own, on
// show, with its paints counted; and what the screen shows of that window.
struct BoiteAffichee {
    CompteurPeintures compteur; // outlives the widgets it watches
    QWidget fenetre;
    PictureBox b{&fenetre, "picCompteur"};
    explicit BoiteAffichee(QSize taille) {
        fenetre.resize(taille);
        b.Move(150, 150, 3000, 450);
        b.setVisible(true);
        compteur.suivre(b.widget());
        fenetre.show();
    }
    QImage ecran() const {
        return fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }
};
} // namespace

TEST(Controles, GeometryKeepsTwipsExactlyAndSizesWidgetsInPixels) {
    QWidget parent;
    PictureBox p(&parent, "p");
    p.Move(47.5, 30, 615, 240);
    EXPECT_FLOAT_EQ(p.Left(), 47.5f);
    EXPECT_EQ(p.widget()->geometry(), QRect(3, 2, 41, 16)); // 3.1666 -> 3, 2, 41, 16
    EXPECT_EQ(numero_erreur([&] { p.setWidth(-15); }), 380);
    EXPECT_FLOAT_EQ(p.Width(), 615.f); // a refused width leaves the old one
}

TEST(Controles, ControlArraysLoadHiddenCopiesAndReportMissingMembers) {
    QWidget parent;
    GroupeControles<Label> g("lblNomDisc");
    auto premier = std::make_unique<Label>(&parent, "lblNomDisc");
    premier->Move(410, 60, 500, 195);
    premier->setCaption("C:SYSTEM");
    int clics = -1;
    premier->Click = [&](int i) { clics = i; };
    g.definir_premier(std::move(premier));

    g.Load(2);
    EXPECT_FALSE(g(2).Visible());
    EXPECT_FLOAT_EQ(g(2).Left(), 410.f);
    EXPECT_EQ(g(2).Caption(), "C:SYSTEM");
    EXPECT_EQ(g(2).Index(), 2);
    g(2).setVisible(true);
    QTest::mouseClick(g(2).widget(), Qt::LeftButton);
    EXPECT_EQ(clics, 2); // handlers follow the copy, with its own index

    EXPECT_EQ(g.Count(), 2);
    EXPECT_EQ(g.UBound(), 2);
    EXPECT_EQ(numero_erreur([&] { g(1); }), 340); // a gap is a missing member
    EXPECT_EQ(numero_erreur([&] { g(7).Caption(); }), 340);
    EXPECT_EQ(numero_erreur([&] { g.Load(2); }), 360);   // already loaded
    EXPECT_EQ(numero_erreur([&] { g.Unload(0); }), 362); // member 0 stays
    EXPECT_EQ(numero_erreur([&] { g.Unload(5); }), 340);
    g.Unload(2);
    EXPECT_EQ(g.Count(), 1);
    EXPECT_EQ(g.UBound(), 0);
}

TEST(Controles, PictureBoxPixelsRoundTripInTwipsAndPixels) {
    QWidget parent;
    PictureBox p(&parent, "picCompteur");
    p.Move(0, 0, 600, 300); // 40 x 20 pixels
    p.setBackColor(RGB(0, 0, 0));
    p.PSet(150, 45, RGB(12, 34, 56));
    EXPECT_EQ(p.Point(150, 45), RGB(12, 34, 56));
    EXPECT_EQ(p.Point(164, 59), RGB(12, 34, 56)); // same pixel (10, 3)
    EXPECT_EQ(p.Point(165, 45), RGB(0, 0, 0));
    EXPECT_EQ(p.CurrentX, 150);
    EXPECT_EQ(p.Point(6000, 0), static_cast<Couleur>(-1)); // outside

    p.setScaleMode(PictureBox::vbPixels);
    p.PSet(39, 19, RGB(255, 0, 0));
    EXPECT_EQ(p.Point(39, 19), RGB(255, 0, 0));
    p.Line(0, 0, 3, 2, RGB(0, 255, 0), PictureBox::BoitePleine);
    for (int x = 0; x <= 3; ++x)
        for (int y = 0; y <= 2; ++y) EXPECT_EQ(p.Point(x, y), RGB(0, 255, 0)) << x << "," << y;
    EXPECT_EQ(p.Point(4, 0), RGB(0, 0, 0));
    p.Cls();
    EXPECT_EQ(p.Point(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(p.CurrentX, 0);
}

TEST(Controles, SelfSizingLabelFollowsItsText) {
    QWidget parent;
    Label l(&parent, "lblTotalDisc");
    l.setAutoSize(true);
    l.setCaption("1 Go");
    const float court = l.Width();
    l.setCaption("1234,56 Go");
    EXPECT_GT(l.Width(), court);
    EXPECT_GT(l.Height(), 0.f);
}

TEST(Controles, AssignedValuesRunTheirHandlersOnlyOnChange) {
    QWidget parent;
    CheckBox c(&parent, "CheckHelp");
    int clics = 0;
    c.Click = [&](int) { ++clics; };
    c.setValue(1);
    c.setValue(1);
    EXPECT_EQ(clics, 1);
    c.setValue(0);
    EXPECT_EQ(clics, 2);

    UpDown u(&parent, "UpDownVerif");
    u.setMin(50);
    u.setMax(3000);
    int changes = 0;
    u.Change = [&] { ++changes; };
    u.setValue(750);
    EXPECT_EQ(u.Value(), 750);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(numero_erreur([&] { u.setValue(4000); }), 380);

    ListView lv(&parent, "LV");
    int coches = 0;
    lv.ItemCheck = [&](int) { ++coches; };
    lv.Add("C", {"Fixe", "100", "SYSTEM"}, true);
    lv.setChecked(1, false);
    EXPECT_EQ(coches, 0); // filling by code never runs it
    EXPECT_FALSE(lv.Checked(1));
    EXPECT_EQ(lv.SubItem(1, 3), "SYSTEM");
}

TEST(Controles, TimerTickNeverReentersEvenWhenItLetsEventsRun) {
    Timer t("TimerGetValues");
    int en_cours = 0, max_en_cours = 0, ticks = 0;
    t.Tick = [&] {
        ++en_cours;
        max_en_cours = std::max(max_en_cours, en_cours);
        ++ticks;
        QElapsedTimer e;
        e.start();
        while (e.elapsed() < 40) DoEvents(); // longer than the interval
        --en_cours;
    };
    t.setInterval(5);
    t.setEnabled(true);
    QEventLoop boucle;
    QTimer::singleShot(200, &boucle, &QEventLoop::quit);
    boucle.exec();
    t.setEnabled(false);
    EXPECT_EQ(max_en_cours, 1);
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, 6); // each tick delayed the next one
}

namespace {
class FormeTest : public Forme {
public:
    FormeTest() : Forme("frmTest") {}
    int chargements = 0;
    std::vector<int> modes;
    std::unique_ptr<Label> lbl;
    int annuler = 0;

protected:
    void creer_controles(QWidget* w) override { creer(lbl, w, "lbl", 0, 0, 600, 195); }
    void Form_Load() override { ++chargements; }
    void Form_QueryUnload(int& cancel, int mode) override {
        modes.push_back(mode);
        cancel = annuler;
    }
};
} // namespace

TEST(Formes, UnloadTellsWhoClosedAndLoadRunsTheLoadHandlerAgain) {
    FormeTest f;
    f.Load();
    f.Load();
    EXPECT_EQ(f.chargements, 1);
    f.fenetre()->close(); // the user's close button
    EXPECT_FALSE(f.charge());
    EXPECT_EQ(f.modes, std::vector<int>{vbFormControlMenu});
    EXPECT_EQ(f.lbl, nullptr);

    f.Show(); // touched again: loaded again
    EXPECT_EQ(f.chargements, 2);
    f.annuler = 1;
    EXPECT_FALSE(f.Unload(vbFormCode));
    EXPECT_TRUE(f.charge());
    f.annuler = 0;
    EXPECT_TRUE(f.Unload(vbFormCode));
    EXPECT_EQ(f.modes.back(), vbFormCode);
}

TEST(Controles, BoxesIncludeBothCornersInEitherOrder) {
    QWidget parent;
    PictureBox p(&parent, "picDisc");
    p.setScaleMode(PictureBox::vbPixels);
    p.Move(0, 0, 150, 150); // 10 x 10 pixels
    p.setBackColor(RGB(0, 0, 0));
    p.Line(6, 5, 2, 1, RGB(255, 255, 255), PictureBox::Boite); // corners right to left
    EXPECT_EQ(p.Point(2, 1), RGB(255, 255, 255));
    EXPECT_EQ(p.Point(6, 5), RGB(255, 255, 255));
    EXPECT_EQ(p.Point(6, 3), RGB(255, 255, 255));
    EXPECT_EQ(p.Point(4, 3), RGB(0, 0, 0)); // an outline only
    EXPECT_EQ(p.Point(7, 5), RGB(0, 0, 0));
    p.Line(8, 8, 7, 7, RGB(0, 0, 255), PictureBox::BoitePleine);
    EXPECT_EQ(p.Point(7, 7), RGB(0, 0, 255));
    EXPECT_EQ(p.Point(8, 8), RGB(0, 0, 255));
}

TEST(Controles, ToolTipsShowTextThatLooksLikeMarkupAsItIs) {
    QWidget parent;
    Label l(&parent, "lblMail");
    const QString reponse = "ERROR:-ERR <b>locked</b> <img src=x>";
    l.setToolTipText(reponse);
    EXPECT_EQ(l.ToolTipText(), reponse);
    EXPECT_FALSE(l.widget()->toolTip().contains("<b>"));
    EXPECT_TRUE(l.widget()->toolTip().contains("&lt;b&gt;locked"));
    l.setToolTipText("2 message (1,1 ko)");
    EXPECT_EQ(l.widget()->toolTip(), "2 message (1,1 ko)");
}

namespace {
// A caption written straight with the painter, top of the cell at (x, y):
// what a picture box's Print must leave, whatever it keeps between calls.
QImage texte_attendu(QSize taille, QColor fond, const QFont& police, QColor couleur, int x, int y, const QString& t) {
    QImage img(taille, QImage::Format_RGB32);
    img.fill(fond);
    QPainter p(&img);
    p.setFont(police);
    p.setPen(couleur);
    p.drawText(x, y + p.fontMetrics().ascent(), t);
    return img;
}
} // namespace

TEST(Controles, PrintDrawsEachTextAsThePainterWouldAcrossTextAndFontChanges) {
    QWidget parent;
    PictureBox p(&parent, "picCompteur");
    p.setScaleMode(PictureBox::vbPixels);
    p.Move(0, 0, 100 * 15, 19 * 15);
    p.setBackColor(RGB(190, 190, 190));
    const QStringList textes{"12 %", "0 ko/s", "1.5 Mo/s", "12 %", "3 Go used", "é ü Ø",  "中 → ∞",
                             "7",    "12 %",   "0 ko/s",   "99 %", "1 ko/s",    "2 ko/s", "12 %"};
    const QFont petite = police(Police::SmallFonts, 6.75);
    const QFont grande = police(Police::SmallFonts, 9, true);
    int n = 0;
    for (const QFont& f : {petite, grande, petite}) {
        p.setFont(f);
        for (const QString& t : textes) {
            SCOPED_TRACE(t.toStdString() + " #" + std::to_string(n));
            const bool blanc = n++ % 2 == 0;
            p.Cls();
            p.CurrentX = 3 + n % 5;
            p.CurrentY = n % 3;
            const int x = static_cast<int>(p.CurrentX), y = static_cast<int>(p.CurrentY);
            p.setForeColor(blanc ? RGB(255, 255, 255) : RGB(0, 0, 0));
            p.Print(t);
            EXPECT_EQ(p.image(), texte_attendu(p.image().size(), QColor(190, 190, 190), f,
                                               blanc ? Qt::white : Qt::black, x, y, t));
            EXPECT_EQ(p.CurrentY, y + QFontMetrics(f).height()); // next line
        }
    }
}

TEST(Controles, UnchangedCaptionPictureOrPlaceRepaintsNothing) {
    QWidget fenetre;
    fenetre.resize(200, 40);
    Label l(&fenetre, "lblEspaceLibre");
    l.setBackStyleTransparent(true);
    l.Move(0, 0, 900, 195);
    l.setCaption("120 Go");
    Image i(&fenetre, "picTypeDisc");
    QPixmap icone(16, 16);
    icone.fill(Qt::red);
    i.Move(1200, 0, 240, 240);
    i.setPicture(icone);
    PictureBox b(&fenetre, "picDisc");
    b.Move(1800, 0, 600, 240);
    for (Controle* c : std::initializer_list<Controle*>{&l, &i, &b}) c->setVisible(true);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));

    CompteurPeintures compteur;
    for (QWidget* w : {static_cast<QWidget*>(&fenetre), l.widget(), i.widget(), b.widget()}) compteur.suivre(w);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    compteur.peintures = 0;

    l.setCaption("120 Go");
    i.setPicture(icone);
    b.setTop(0);
    b.setLeft(1800);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(compteur.peintures, 0);

    // A new text still shows.
    l.setCaption("119 Go");
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    EXPECT_EQ(static_cast<QLabel*>(l.widget())->text(), "119 Go");
}

// A picture box that nothing was drawn on holds no pixels until something is
// drawn: through moves, re-sizes and colour changes it must show and read
// exactly as a box whose pixels were there from the start.
TEST(Controles, AnUndrawnBoxShowsAndDrawsAsOneWithItsPixelsMadeAtOnce) {
    QWidget fenetre;
    fenetre.resize(120, 60);
    PictureBox tot(&fenetre, "picTot"), tard(&fenetre, "picTard");
    tot.Point(0, 0); // its pixels are made here
    for (PictureBox* b : {&tot, &tard}) {
        b->setScaleMode(PictureBox::vbPixels);
        b->Move(0, 0, 450, 300);
        b->setBackColor(RGB(10, 20, 30));
        b->Move(0, 0, 900, 450); // 60 x 30 pixels
        b->setVisible(true);
    }
    EXPECT_EQ(tard.ScaleWidth(), 60);
    EXPECT_EQ(tard.ScaleHeight(), 30);
    EXPECT_EQ(tard.widget()->grab().toImage(), tot.widget()->grab().toImage());
    const QImage vue = tard.widget()->grab().toImage();
    EXPECT_EQ(vue.size(), QSize(60, 30));
    EXPECT_EQ(vue.pixelColor(59, 29), QColor(10, 20, 30));

    for (PictureBox* b : {&tot, &tard}) {
        b->setBackColor(RGB(200, 100, 0));
        b->Line(2, 3, 40, 20, RGB(255, 255, 255), PictureBox::Ligne);
        b->Move(0, 0, 1200, 600); // grows after the drawing
        b->PSet(70, 35, RGB(0, 0, 255));
    }
    EXPECT_EQ(tard.Point(5, 25), RGB(200, 100, 0));
    EXPECT_EQ(tard.Point(70, 35), RGB(0, 0, 255));
    EXPECT_EQ(tard.image(), tot.image());
    EXPECT_EQ(tard.widget()->grab().toImage(), tot.widget()->grab().toImage());
}

// A meter draws several times a tick; the window paints it once for all of
// them, and every later drawing shows again, whatever happened to the box in
// between (hidden while drawn, drawn before its window was first shown).
TEST(Controles, EachRoundOfDrawingIsPaintedOnceAndTheNextOneShowsToo) {
    CompteurEnFenetre m;
    QWidget& fenetre = m.fenetre;
    PictureBox& b = m.b;
    CompteurPeintures& compteur = m.compteur;
    b.Cls(); // before the window has a surface to paint on
    b.PSet(1, 1, RGB(255, 0, 0));
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));

    auto tour = [&](Couleur c) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        compteur.peintures = 0;
        b.Cls();
        b.Line(0, 10, 99, 10, c, PictureBox::Ligne);
        b.PSet(5, 5, c);
        b.Print(QStringLiteral("12 %"));
        EXPECT_TRUE(attendre([&] { return compteur.peintures > 0; }));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(compteur.peintures, 1);
    };
    for (int i = 0; i < 3; ++i) tour(RGB(0, 0, 40 * i));

    // Drawn while hidden: shown again, then every drawing shows.
    b.setVisible(false);
    b.PSet(2, 2, RGB(0, 255, 0));
    b.setVisible(true);
    tour(RGB(0, 200, 0));
    tour(RGB(0, 100, 0));

    // Drawn while updates are off.
    b.widget()->setUpdatesEnabled(false);
    b.PSet(3, 3, RGB(0, 0, 255));
    b.widget()->setUpdatesEnabled(true);
    tour(RGB(10, 10, 10));
    EXPECT_EQ(b.Point(5, 5), RGB(10, 10, 10));
}

// A timer's tick is a round: what it drew is painted once, after it, and the
// window shows it. A tick that waits in a loop of its own (a dialog) does not
// hold back what is drawn meanwhile outside it (a button under the pointer).
TEST(Controles, WhatATickDrawsIsPaintedOnceAndADialogInsideATickHoldsNothingBack) {
    CompteurEnFenetre m;
    QWidget& fenetre = m.fenetre;
    PictureBox& b = m.b;
    CompteurPeintures& compteur = m.compteur;
    b.Cls();
    b.PSet(0, 0, RGB(0, 0, 0)); // pixels to show whole at the first paint
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));

    Timer t("TimerGetValues");
    int ticks = 0;
    int peintures_pendant_le_tick = -1;
    t.Tick = [&] {
        ++ticks;
        b.Cls();
        b.Line(0, ticks, 99, ticks, RGB(0, 0, 200), PictureBox::Ligne);
        b.Print(QStringLiteral("12 %"));
        QCoreApplication::sendPostedEvents();
        peintures_pendant_le_tick = compteur.peintures;
        t.setEnabled(false);
    };
    compteur.peintures = 0;
    t.setInterval(10);
    t.setEnabled(true);
    ASSERT_TRUE(attendre([&] { return ticks == 1 && compteur.peintures > 0; }));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(peintures_pendant_le_tick, 0) << "nothing is painted before the tick ends";
    EXPECT_EQ(compteur.peintures, 1);
    EXPECT_TRUE(attendre([&] {
        const QImage ecran =
            fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return ecran.pixel(50, 1) == b.image().pixel(50, 1) && b.image().pixel(50, 1) == qRgb(0, 0, 200);
    }));

    // The tick opens a loop of its own; a drawing made from outside any tick
    // while it waits is painted before the loop ends.
    PictureBox bouton{&fenetre, "picBouton"};
    bouton.setScaleMode(PictureBox::vbPixels);
    bouton.Move(1500, 0, 300, 300);
    bouton.PSet(0, 0, RGB(0, 0, 0));
    CompteurPeintures compteur_bouton;
    compteur_bouton.suivre(bouton.widget());
    bouton.setVisible(true);
    ASSERT_TRUE(attendre([&] { return compteur_bouton.peintures > 0; }));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    compteur_bouton.peintures = 1;
    bool montre_pendant_la_boite = false;
    t.Tick = [&] {
        t.setEnabled(false);
        QEventLoop boite;
        QTimer::singleShot(0, &fenetre, [&] { bouton.PSet(3, 3, RGB(255, 0, 0)); });
        QTimer fin;
        QObject::connect(&fin, &QTimer::timeout, &boite, [&] {
            if (compteur_bouton.peintures > 1) {
                montre_pendant_la_boite = true;
                boite.quit();
            }
        });
        fin.start(5);
        QTimer::singleShot(5000, &boite, &QEventLoop::quit);
        boite.exec();
    };
    t.setEnabled(true);
    ASSERT_TRUE(attendre([&] { return !t.en_cours() && !t.Enabled(); }));
    EXPECT_TRUE(montre_pendant_la_boite);
}

// A round of drawing that leaves every pixel as the window shows it (a graph
// at rest under the same caption) is not repainted; the next change is, once,
// the rows and columns it changed only, and shows. A box drawn while hidden is
// shown whole again.
TEST(Controles, ARoundThatChangesNoPixelIsNotRepainted) {
    CompteurEnFenetre m;
    QWidget& fenetre = m.fenetre;
    PictureBox& b = m.b;
    CompteurPeintures& compteur = m.compteur;
    auto tour = [&](int y) {
        b.Cls();
        b.Line(0, y, 99, y, RGB(0, 0, 200), PictureBox::Ligne);
        b.PSet(20, 0, RGB(255, 255, 255));
        b.Print(QStringLiteral("0 ko"));
    };
    auto laisser_passer = [] {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    };
    auto montre = [&](int x, int y) {
        const QImage ecran =
            fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return ecran.pixel(x, y) == b.image().pixel(x, y);
    };
    tour(10);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    laisser_passer();

    for (int i = 0; i < 3; ++i) {
        compteur.peintures = 0;
        tour(10);
        laisser_passer();
        EXPECT_EQ(compteur.peintures, 0) << "round " << i;
    }
    // A grab paints elsewhere than the window: the next same round is still left.
    EXPECT_EQ(b.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32), b.image());
    compteur.peintures = 0;
    tour(10);
    laisser_passer();
    EXPECT_EQ(compteur.peintures, 0);

    // One pixel more: its row alone is painted, in the block of columns it
    // lies in, once, and the window shows it.
    compteur.peintures = 0;
    compteur.peint = QRegion();
    tour(10);
    b.PSet(50, 15, RGB(255, 0, 0));
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    laisser_passer();
    EXPECT_EQ(compteur.peintures, 1);
    EXPECT_EQ(compteur.peint, QRegion(48, 15, 16, 1)); // the block of columns it lies in
    EXPECT_TRUE(attendre([&] { return montre(50, 15); }));

    // Painted in part (an expose): what the window shows is still known, so
    // the same round is still left, and rows that change are painted alone.
    b.widget()->repaint(QRect(0, 0, 4, 4));
    compteur.peintures = 0;
    tour(10);
    b.PSet(50, 15, RGB(255, 0, 0));
    laisser_passer();
    EXPECT_EQ(compteur.peintures, 0);
    compteur.peint = QRegion();
    tour(10);
    b.PSet(50, 15, RGB(255, 0, 0));
    b.PSet(60, 3, RGB(0, 255, 0));
    b.PSet(61, 4, RGB(0, 255, 0));
    b.PSet(62, 6, RGB(0, 255, 0)); // one row apart: painted with the two above
    b.PSet(63, 19, RGB(0, 255, 0));
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    laisser_passer();
    EXPECT_EQ(compteur.peint, QRegion(48, 3, 16, 4) + QRegion(48, 19, 16, 1));
    EXPECT_TRUE(attendre([&] { return montre(60, 3) && montre(61, 4) && montre(62, 6) && montre(63, 19); }));

    // Drawn while hidden: shown again whole, and what was drawn meanwhile shows.
    b.setVisible(false);
    tour(12);
    b.setVisible(true);
    EXPECT_TRUE(attendre([&] { return montre(5, 12) && montre(5, 10); }));
    compteur.peintures = 0;
    tour(12);
    laisser_passer();
    EXPECT_EQ(compteur.peintures, 0);
    tour(14);
    EXPECT_TRUE(attendre([&] { return montre(5, 14) && montre(5, 12); }));

    // A clear with nothing drawn after it shows, and so does one in a new
    // background colour.
    // (Events run first, so that nothing looks at the pixels before the
    // window is sent the clear.)
    b.Cls();
    laisser_passer();
    EXPECT_TRUE(attendre([&] { return montre(5, 14) && b.image().pixel(5, 14) == b.image().pixel(90, 2); }));
    b.setBackColor(RGB(10, 20, 30));
    EXPECT_TRUE(attendre([&] { return montre(5, 14) && montre(90, 2); }));
    EXPECT_EQ(b.image().pixel(5, 14), qRgb(10, 20, 30));
}

// What the window shows of a picture box is its pixels, one for one, under
// whatever stands above it, tick after tick of a graph that moves two pixels
// left under a caption, and after the box was hidden, shown and resized; and
// a grab of the box alone gives the same. The graph's move is announced: the
// box with nothing over it has what it shows moved, and paints only its new
// columns and its caption; the other one paints what changed, as the window
// cannot move what the neighbour covers.
// Qt may paint part of a box into the window on its own (an expose, a
// repaint of a rectangle) between two rounds: what the box drew elsewhere
// still has to reach the window in the next round.
TEST(Controles, APaintOfPartOfABoxLeavesItsOtherChangesToTheNextRound) {
    BoiteAffichee m(QSize(240, 60));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m.fenetre));
    PictureBox& b = m.b;
    CompteurPeintures& compteur = m.compteur;
    auto ecran_egal_a_la_boite = [&] {
        const QImage ecran = m.ecran();
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                if (ecran.pixel(10 + x, 10 + y) != b.image().pixel(x, y)) return false;
        return true;
    };

    b.Line(0, 0, 2985, 435, RGB(0, 0, 200), PictureBox::BoitePleine);
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    QCoreApplication::processEvents();
    ASSERT_TRUE(attendre(ecran_egal_a_la_boite));

    // The left and right halves change; Qt repaints the right half before
    // the round is looked at.
    b.Line(0, 0, 1485, 435, RGB(0, 150, 0), PictureBox::BoitePleine);
    b.Line(1500, 0, 2985, 435, RGB(200, 0, 0), PictureBox::BoitePleine);
    b.widget()->repaint(QRect(100, 0, 100, 30));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(attendre(ecran_egal_a_la_boite)) << "the left half never reached the window";
    EXPECT_EQ(b.image().pixel(5, 5), QColor(0, 150, 0).rgb());
}

TEST(Controles, TheWindowShowsAPictureBoxPixelForPixel) {
    QWidget fenetre;
    fenetre.resize(300, 90);
    PictureBox b(&fenetre, "picCompteur"), libre(&fenetre, "picCompteur");
    b.Move(150, 150, 3000, 450);     // 200 x 30 pixels at (10, 10)
    libre.Move(150, 750, 3000, 450); // the same at (10, 50), with nothing over it
    b.setVisible(true);
    libre.setVisible(true);
    QWidget dessus(&fenetre); // an opaque neighbour over part of it
    dessus.setAutoFillBackground(true);
    QPalette rouge = dessus.palette();
    rouge.setColor(QPalette::Window, QColor(200, 0, 0));
    dessus.setPalette(rouge);
    dessus.setGeometry(180, 20, 60, 10);
    dessus.show();
    dessus.raise();
    CompteurPeintures compteur, compteur_libre, compteur_b;
    compteur.suivre(b.widget());
    compteur.suivre(libre.widget());
    compteur_libre.suivre(libre.widget());
    compteur_b.suivre(b.widget());
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));

    auto hauteur = [](int n) { return (n * 7919) % 29; }; // the sample at position n of the stream
    for (int tick = 0; tick < 12; ++tick) {
        // A scrolling graph: column x shows sample x + 2 * tick.
        for (PictureBox* m : {&b, &libre}) {
            m->Cls();
            for (int x = 0; x < 200; ++x)
                m->Line(x * 15, 435, x * 15, 15 * hauteur((x + 2 * tick) / 2), RGB(0, 0, 200), PictureBox::Ligne);
            if (tick == 7) m->Line(0, 0, 2985, 435, RGB(0, 150, 0), PictureBox::Ligne); // one that moves nothing
            m->PSet(300, 0, RGB(255, 255, 255));
            m->Print(QStringLiteral("%1 ko/s").arg(tick * 37));
            m->annoncer_defilement(-2);
        }
        compteur.peintures = 0;
        compteur_libre.peint = QRegion();
        compteur_libre.peintures = compteur_libre.envois = 0;
        ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QImage ecran =
            fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        int differents = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x) {
                const QPoint p(10 + x, 10 + y);
                const QRgb attendu = dessus.geometry().contains(p) ? QColor(200, 0, 0).rgb() : b.image().pixel(x, y);
                if (ecran.pixel(p) != attendu) ++differents;
                if (ecran.pixel(10 + x, 50 + y) != libre.image().pixel(x, y)) ++differents;
            }
        EXPECT_EQ(differents, 0) << "tick " << tick;
        if (tick >= 1 && tick != 7 && tick != 8) {
            // The caption's blocks (top left) and the new columns: the middle
            // of the graph below the caption moved without being painted.
            int aire = 0;
            for (const QRect& r : compteur_libre.peint) aire += r.width() * r.height();
            EXPECT_LT(aire, 200 * 30 / 2) << "tick " << tick;
            EXPECT_TRUE((compteur_libre.peint & QRect(112, 16, 64, 14)).isEmpty())
                << "tick " << tick << ": " << compteur_libre.peint.boundingRect().x();
        }
        if (tick >= 1) {
            // The box with nothing over it writes its changes into the window
            // itself, once a round, with no paint event; the covered one never.
            EXPECT_EQ(compteur_libre.envois, 1) << "tick " << tick;
            EXPECT_EQ(compteur_libre.peintures, 1) << "tick " << tick;
        }
    }
    EXPECT_EQ(compteur_b.envois, 0);

    // A window put over it and taken away again: what shows again is what the
    // box wrote into the window, not an older picture.
    {
        QWidget cache;
        cache.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        cache.setGeometry(QRect(fenetre.mapToGlobal(QPoint(0, 0)), fenetre.size()));
        cache.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&cache));
    }
    EXPECT_TRUE(attendre([&] {
        const QImage ecran =
            fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return ecran.copy(10, 50, 200, 30) == libre.image();
    }));
    // The moves stayed inside the box: the window's background beside it (the
    // columns left of it, which a move of the whole box would have covered)
    // is as it was.
    const QImage ecran_apres =
        fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb fond_fenetre = ecran_apres.pixel(2, 85);
    for (int y = 50; y < 80; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(ecran_apres.pixel(x, y), fond_fenetre) << x << "," << y;
    EXPECT_EQ(b.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32), b.image());

    // Hidden and shown again, resized: still what the window shows.
    b.setVisible(false);
    b.PSet(20, 20, RGB(0, 255, 0));
    b.setVisible(true);
    b.Move(150, 150, 2400, 450);
    b.PSet(21, 21, RGB(0, 255, 0));
    compteur.peintures = 0;
    ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; }));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QImage ecran = fenetre.screen()->grabWindow(fenetre.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(ecran.copy(10, 10, 160, 10), b.image().copy(0, 0, 160, 10));
}

// With the platform sending the parts a box wrote into its window straight to
// the X server (as the program does), the server shows the box's pixels one
// for one: tick after tick of a graph moving left under a caption, after a
// window was put over it and taken away (the backing store's own copy of the
// window was kept right, so the expose shows the latest picture), and after
// the box was hidden, shown and resized. Elsewhere than on X the parts go
// through the backing store, and the same holds.
TEST(Controles, PartsSentStraightToTheServerShowTheBoxPixelForPixel) {
    int envois_directs = 0;
    PictureBox::envoi_direct() = [&](QWindow* f, const QImage& image, const std::vector<QRect>& partie) {
        const bool fait = sendWindowPixels(f, image, partie);
        envois_directs += fait;
        return fait;
    };
    struct Remise {
        ~Remise() { PictureBox::envoi_direct() = nullptr; }
    } remise;
    BoiteAffichee m(QSize(300, 50));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m.fenetre));
    PictureBox& b = m.b;
    CompteurPeintures& compteur = m.compteur;
    QWidget& fenetre = m.fenetre;
    const bool sur_x = QGuiApplication::platformName() == QLatin1String("xcb");
    auto ecran = [&] { return m.ecran(); };
    auto montre_la_boite = [&] { return ecran().copy(10, 10, 200, 30) == b.image(); };

    auto hauteur = [](int n) { return (n * 7919) % 29; };
    for (int tick = 0; tick < 8; ++tick) {
        b.Cls();
        for (int x = 0; x < 200; ++x)
            b.Line(x * 15, 435, x * 15, 15 * hauteur((x + 2 * tick) / 2), RGB(0, 0, 200), PictureBox::Ligne);
        b.Print(QStringLiteral("%1 ko/s").arg(tick * 37));
        b.annoncer_defilement(-2);
        compteur.peintures = 0;
        ASSERT_TRUE(attendre([&] { return compteur.peintures > 0; })) << "tick " << tick;
        QCoreApplication::processEvents();
        EXPECT_TRUE(attendre(montre_la_boite)) << "tick " << tick;
    }
    if (sur_x) EXPECT_GE(envois_directs, 7);
    else EXPECT_EQ(envois_directs, 0);

    // One pixel more, sent straight; then a window over it and away again.
    const int avant = envois_directs;
    b.PSet(30, 5, RGB(255, 0, 0));
    ASSERT_TRUE(attendre(montre_la_boite));
    if (sur_x) EXPECT_EQ(envois_directs, avant + 1);
    {
        QWidget cache;
        cache.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        cache.setGeometry(QRect(fenetre.mapToGlobal(QPoint(0, 0)), fenetre.size()));
        cache.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&cache));
    }
    EXPECT_TRUE(attendre(montre_la_boite)) << "an expose showed an older picture";
    // Qt repaints its own widgets over the same copy: the window beside the
    // box is as it was.
    const QImage apres = ecran();
    for (int x = 0; x < 10; ++x) ASSERT_EQ(apres.pixel(x, 20), apres.pixel(2, 45)) << x;

    // Hidden, drawn on, shown again and resized.
    b.setVisible(false);
    b.PSet(20, 20, RGB(0, 255, 0));
    b.setVisible(true);
    b.Move(150, 150, 2400, 450);
    b.PSet(21, 21, RGB(0, 255, 0));
    EXPECT_TRUE(attendre([&] { return ecran().copy(10, 10, 160, 30) == b.image(); }));
}
