// The bar under real mouse events: the popup menu belongs to the background
// and the uncovered window, not to the meters; tool-tips show on a bar that
// never has the focus; the hidden bar's strip brings it back wherever the
// mouse touches it.
#include "app/frmMain.h"
#include "bar/mdlAppBar.h"
#include "fakes/fake_platform.h"
#include "mail/mdlMail.h"
#include "options/frmOption.h"

#include <QMenu>
#include <QToolTip>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace tk;

namespace {

struct BarreSouris : ::testing::Test {
    TestBench b;
    frmMain& f = b.p().frmMain();
    void SetUp() override {
        f.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.fenetre()));
    }
    QMenu* menu() { return b.p().frmOption().Menu().qmenu(); }
    void fermer_menu() {
        menu()->hide();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !menu()->isVisible(); }));
    }
};

TEST_F(BarreSouris, RightClickOnAMeterOrItsIconOpensNoMenuOnTheBackgroundItDoes) {
    for (Controle* c : std::initializer_list<Controle*>{&f.picIcone(1), &f.picCompteur(1), &f.lblCompteur(0)}) {
        c->setVisible(true);
        c->ZOrder();
        QTest::mouseClick(c->widget(), Qt::RightButton, {}, QPoint(2, 2));
        EXPECT_FALSE(menu()->isVisible()) << c->nom().toStdString();
    }
    QTest::mouseClick(f.picFond->widget(), Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu()->isVisible(); }));
    fermer_menu();

    // Without a background picture the window itself is uncovered there.
    f.picFond->setVisible(false);
    QTest::mouseClick(f.fenetre(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(menu()->isVisible()); // a left click does nothing
    QTest::mouseClick(f.fenetre(), Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu()->isVisible(); }));
    fermer_menu();
}

TEST_F(BarreSouris, HoverOverTheMailCountShowsItsToolTipWhileAnotherWindowHasTheFocus) {
    QString reponse = QStringLiteral("+OK 2 1024\r\n");
    b.p().mail().affichage_nombre_mail(reponse);
    QWidget autre;
    autre.setGeometry(600, 400, 200, 100);
    autre.show();
    QApplication::setActiveWindow(&autre);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
    ASSERT_FALSE(f.fenetre()->isActiveWindow());

    f.lblMail(0).Move(6000, 0, 300, 195);
    f.lblMail(0).ZOrder();
    QTest::mouseMove(f.lblMail(0).widget(), QPoint(3, 3));
    QTest::mouseMove(f.lblMail(0).widget(), QPoint(4, 4));
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), f.lblMail(0).ToolTipText());
    EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("2 message (")));
    QToolTip::hideText();
}

TEST_F(BarreSouris, TheHiddenStripComesBackWhenTheMouseTouchesItOverAMeter) {
    f.picDebitDiskE(0).setLeft(3000);
    b.p().modeBarre = 2;
    b.p().appbar().calcul_taille_fenetre();
    b.p().modeBarre = 0;
    b.p().appbar().calcul_taille_fenetre();
    // Slid out of sight: only the bottom pixel row is on the screen.
    b.p().appbar().cacher_la_barre();
    ASSERT_LT(b.fp.shell.positions.back().y, 0);
    b.fp.shell.clearCalls();
    QTest::mouseMove(f.picCompteur(0).widget(), QPoint(5, 5));
    ASSERT_FALSE(b.fp.shell.positions.empty());
    EXPECT_EQ(b.fp.shell.positions.back().y, 0); // slid in
}

} // namespace
