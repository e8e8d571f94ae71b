// Real mouse and key events on the engine's widgets: one click handler run
// per click or key, mouse events kept by the control under the pointer,
// tool-tips over a window that is not active, what a form creates destroyed
// in reverse order, geometry that refuses what is not a number.
#include "forms/controles.h"
#include "forms/forme.h"
#include "erreur_attendue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QToolTip>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tk;

namespace {

// A window with its children laid out and shown (offscreen).
struct Fenetre {
    QWidget w;
    Fenetre() { w.resize(400, 300); }
    void montrer() {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
};

} // namespace

TEST(Evenements, CommandButtonRunsClickOncePerClickSpaceOrReturn) {
    Fenetre f;
    CommandButton b(&f.w, "btnMaj", "Verifier MAJ disponibles");
    b.Move(120, 120, 2400, 375);
    int clics = 0;
    b.Click = [&](int) { ++clics; };
    f.montrer();
    QTest::mouseClick(b.widget(), Qt::LeftButton);
    EXPECT_EQ(clics, 1);
    QTest::keyClick(b.widget(), Qt::Key_Space);
    EXPECT_EQ(clics, 2);
    QTest::keyClick(b.widget(), Qt::Key_Return);
    EXPECT_EQ(clics, 3);
    QTest::mouseClick(b.widget(), Qt::RightButton); // not a click
    EXPECT_EQ(clics, 3);
}

TEST(Evenements, CheckBoxRunsClickOnceAndTheHandlerSeesTheNewValue) {
    Fenetre f;
    CheckBox c(&f.w, "CheckHelp", "Afficher les info-bulles");
    c.Move(120, 120, 4320, 285);
    std::vector<int> vus;
    c.Click = [&](int) { vus.push_back(c.Value()); };
    f.montrer();
    QTest::mouseClick(c.widget(), Qt::LeftButton, {}, QPoint(6, c.widget()->height() / 2));
    EXPECT_EQ(vus, std::vector<int>{1});
    QTest::keyClick(c.widget(), Qt::Key_Space);
    EXPECT_EQ(vus, (std::vector<int>{1, 0}));
    // Assigned by code: the handler runs when the value changes, and only then.
    c.setValue(1);
    c.setValue(1);
    EXPECT_EQ(vus, (std::vector<int>{1, 0, 1}));
    EXPECT_TRUE(static_cast<QCheckBox*>(c.widget())->isChecked());
}

TEST(Evenements, TabStripChangesByMouseArrowsAndCtrlTabRunClickOnce) {
    Fenetre f;
    TabStrip t(&f.w, "TabStrip1");
    t.Move(240, 180, 4800, 420);
    for (const char* o : {"Update", "Options", "Mail", "HDD", "About..."}) t.AddTab(o);
    std::vector<int> vus;
    t.Click = [&](int) { vus.push_back(t.SelectedItem()); };
    f.montrer();
    auto* bar = static_cast<QTabBar*>(t.widget());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(vus, std::vector<int>{3});
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(vus, (std::vector<int>{3, 4}));
    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier); // wraps to the first
    QTest::keyClick(bar, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(vus, (std::vector<int>{3, 4, 5, 1, 5}));
    t.setSelectedItem(2); // by code: one run too
    EXPECT_EQ(vus.back(), 2);
    EXPECT_EQ(vus.size(), 6u);
}

TEST(Evenements, ComboBoxChoiceByMouseOrKeyboardRunsClickOnce) {
    Fenetre f;
    ComboBox c(&f.w, "ComboProcessus");
    c.Move(2160, 120, 1500, 315);
    for (const char* t : {"Haut", "Normal", "Bas"}) c.AddItem(t);
    c.setText("Normal");
    QStringList vus;
    c.Click = [&](int) { vus.push_back(c.Text()); };
    f.montrer();
    auto* combo = static_cast<QComboBox*>(c.widget());
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(vus, QStringList{"Bas"});

    // Opening the list is no choice; picking an item in it is one.
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* liste = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return liste->isVisible(); }));
    EXPECT_EQ(vus.size(), 1);
    // The list ignores a release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    const QRect r = liste->visualRect(combo->model()->index(0, 0));
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !liste->isVisible(); }));
    EXPECT_EQ(vus, (QStringList{"Bas", "Haut"}));
}

namespace {
class FormeSouris : public Forme {
public:
    FormeSouris() : Forme("frmTest") {
        largeur_conception_ = 4500;
        hauteur_conception_ = 1500;
    }
    // Declared before the controls, so both outlive them: a control destroyed
    // with this form still finds the list, and one that Qt deletes later
    // finds its connection gone with the guard.
    std::vector<QString> detruits;
    QObject garde;
    std::unique_ptr<Image> picIcone;
    std::unique_ptr<Label> lblMail;
    GroupeControles<PictureBox> picCompteur{"picCompteur"};
    std::unique_ptr<Timer> timer;
    int survols = 0;
    void survol_controle() override { ++survols; }

protected:
    void creer_controles(QWidget* w) override {
        creer(picIcone, w, "picIcone", 0, 0, 240, 240);
        creer(picCompteur, w, 600, 0, 600, 285);
        picCompteur.Load(1);
        picCompteur(1).setVisible(true);
        creer(timer, "timerAide", 3000);
        creer(lblMail, w, "lblMail", 1500, 0, 300, 195);
        picIcone->widget()->setObjectName("picIcone");
        picCompteur(0).widget()->setObjectName("picCompteur0");
        picCompteur(1).widget()->setObjectName("picCompteur1");
        lblMail->widget()->setObjectName("lblMail");
        for (QWidget* x : {picIcone->widget(), picCompteur(0).widget(), picCompteur(1).widget(), lblMail->widget()})
            QObject::connect(x, &QObject::destroyed, &garde, [this, n = x->objectName()] { detruits.push_back(n); });
    }
};
} // namespace

TEST(Evenements, AControlKeepsItsMouseEventsTheWindowGetsTheUncoveredArea) {
    FormeSouris f;
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.fenetre()));
    std::vector<int> fenetre_haut, icone_haut;
    f.MouseUp = [&](int, int b, int, float, float) { fenetre_haut.push_back(b); };
    f.picIcone->MouseUp = [&](int, int b, int, float, float) { icone_haut.push_back(b); };
    int clics_icone = 0;
    f.picIcone->Click = [&](int) { ++clics_icone; };

    QTest::mouseClick(f.picIcone->widget(), Qt::RightButton);
    EXPECT_EQ(icone_haut, std::vector<int>{vbRightButton});
    EXPECT_TRUE(fenetre_haut.empty()); // the window under the icon sees nothing
    QTest::mouseClick(f.picIcone->widget(), Qt::LeftButton);
    EXPECT_EQ(clics_icone, 1);
    EXPECT_TRUE(fenetre_haut.empty());

    // The uncovered window area: the window's own handler, with the shift state and twips.
    float x = 0, y = 0;
    int shift = 0;
    f.MouseUp = [&](int, int b, int s, float px, float py) {
        fenetre_haut.push_back(b);
        shift = s;
        x = px;
        y = py;
    };
    QTest::mouseClick(f.fenetre(), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(200, 50));
    EXPECT_EQ(fenetre_haut, std::vector<int>{vbRightButton});
    EXPECT_EQ(shift, 3);
    EXPECT_FLOAT_EQ(x, 3000.f);
    EXPECT_FLOAT_EQ(y, 750.f);

    // A move over any control is also told to the form (the hidden bar's strip).
    QTest::mouseMove(f.picCompteur(1).widget(), QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.survols > 0; }));
}

TEST(Evenements, ToolTipsShowOverAWindowThatDoesNotHaveTheFocus) {
    FormeSouris f;
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.fenetre()));
    QWidget autre;
    autre.setGeometry(600, 400, 200, 100);
    autre.show();
    QApplication::setActiveWindow(&autre);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
    ASSERT_FALSE(f.fenetre()->isActiveWindow());

    f.lblMail->setCaption("2");
    f.lblMail->setToolTipText("2 message (1,1 ko)");
    QTest::mouseMove(f.lblMail->widget(), QPoint(5, 5));
    QTest::mouseMove(f.lblMail->widget(), QPoint(6, 6));
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), "2 message (1,1 ko)");
    QToolTip::hideText();
}

TEST(Evenements, UnloadDestroysWhatTheFormCreatedInReverseOrder) {
    FormeSouris f;
    f.Load();
    f.picCompteur.Load(2);
    f.picCompteur(2).widget()->setObjectName("picCompteur2");
    QObject::connect(f.picCompteur(2).widget(), &QObject::destroyed, [&] { f.detruits.push_back("picCompteur2"); });
    f.timer->setEnabled(true);
    EXPECT_TRUE(f.Unload());
    EXPECT_EQ(f.detruits,
              (std::vector<QString>{"lblMail", "picCompteur2", "picCompteur1", "picCompteur0", "picIcone"}));
    EXPECT_EQ(f.timer, nullptr);
    EXPECT_EQ(f.picCompteur.Count(), 0);
    f.detruits.clear();
    f.Load(); // loaded again: everything is there again
    EXPECT_NE(f.lblMail, nullptr);
    EXPECT_EQ(f.picCompteur.Count(), 2);
}

TEST(Evenements, GeometryRefusesWhatIsNotAFiniteNumberAndKeepsTheOldValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QWidget parent;
    Label l(&parent, "lblSon");
    l.Move(100, 200, 390, 195);
    for (double v : {nan, inf, -inf}) {
        EXPECT_EQ(numero_erreur([&] { l.setLeft(v); }), 380);
        EXPECT_EQ(numero_erreur([&] { l.setHeight(v); }), 380);
        EXPECT_EQ(numero_erreur([&] { l.Move(0, v, 10, 10); }), 380);
    }
    EXPECT_EQ(numero_erreur([&] { l.Move(0, 0, 10, -1); }), 380);
    EXPECT_EQ((std::vector<float>{l.Left(), l.Top(), l.Width(), l.Height()}), (std::vector<float>{100, 200, 390, 195}));

    FormeSouris f;
    f.Load();
    f.Move(150, 300, 4500, 1500);
    EXPECT_EQ(numero_erreur([&] { f.setTop(nan); }), 380);
    EXPECT_EQ(numero_erreur([&] { f.setWidth(inf); }), 380);
    EXPECT_EQ(numero_erreur([&] { f.Move(inf, 0, 10, 10); }), 380);
    EXPECT_EQ(numero_erreur([&] { f.setHeight(-15); }), 380);
    EXPECT_EQ((std::vector<float>{f.Left(), f.Top(), f.Width(), f.Height()}),
              (std::vector<float>{150, 300, 4500, 1500}));
}

TEST(Evenements, PasswordBoxShowsAStarPerCharacter) {
    Fenetre f;
    TextBox t(&f.w, "txtMail");
    t.Move(1500, 900, 2880, 315);
    t.setPasswordChar(true);
    t.setText("secret");
    f.montrer();
    auto* e = f.w.findChild<QLineEdit*>();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->displayText(), "******");
    EXPECT_EQ(t.Text(), "secret");
}

namespace {
class DialogueFixe : public Forme {
public:
    DialogueFixe() : Forme("frmOption") {
        largeur_conception_ = 5280;
        hauteur_conception_ = 4800;
    }

protected:
    Qt::WindowFlags drapeaux_fenetre() const override { return Qt::Window | Qt::WindowStaysOnTopHint; }
    bool dialogue_fixe() const override { return true; }
    void creer_controles(QWidget*) override {}
};
} // namespace

TEST(Evenements, AFixedDialogHasACloseButtonOnlyAndASizeTheUserCannotChange) {
    DialogueFixe f;
    f.Load();
    const Qt::WindowFlags d = f.fenetre()->windowFlags();
    EXPECT_TRUE(d & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(d & Qt::WindowTitleHint);
    EXPECT_TRUE(d & Qt::CustomizeWindowHint); // only the buttons asked for
    EXPECT_FALSE(d & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(d & Qt::WindowStaysOnTopHint); // the form's own flags are kept
    EXPECT_EQ(f.fenetre()->minimumSize(), QSize(352, 320));
    EXPECT_EQ(f.fenetre()->maximumSize(), QSize(352, 320));
    f.setWidth(4500); // code may still size it
    EXPECT_EQ(f.fenetre()->maximumSize(), QSize(300, 320));
}
