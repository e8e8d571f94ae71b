// The classic text helpers and the checked table access.
#include "diag/erreur.h"
#include "diag/numerique.h"
#include "diag/textes.h"
#include "erreur_attendue.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace tk;

TEST(Textes, MidCountsFromOneAndRefusesAStartBelowOne) {
    const QString t = QStringLiteral("+OK 3 messages");
    EXPECT_EQ(mid_vb(t, 1, 3), QStringLiteral("+OK"));
    EXPECT_EQ(mid_vb(t, 5, 1), QStringLiteral("3"));
    EXPECT_EQ(mid_vb(t, 7, 100), QStringLiteral("messages")); // a length past the end stops there
    EXPECT_EQ(mid_vb(t, 40, 2), QString());                   // a start past the end gives nothing
    EXPECT_EQ(mid_vb(t, 3, 0), QString());
    EXPECT_EQ(numero_erreur([&] { mid_vb(t, 0, 2); }), ERR_APPEL_INCORRECT);
    EXPECT_EQ(numero_erreur([&] { mid_vb(t, 2, -1); }), ERR_APPEL_INCORRECT);
}

TEST(Textes, InstrGivesTheOneBasedPositionOrZero) {
    EXPECT_EQ(instr(QStringLiteral("12 messages (340 octets)"), QStringLiteral("mess")), 4);
    EXPECT_EQ(instr(QStringLiteral("mess"), QStringLiteral("mess")), 1);
    EXPECT_EQ(instr(QStringLiteral("12 Messages"), QStringLiteral("mess")), 0); // case counts
    EXPECT_EQ(instr(QString(), QStringLiteral(" ")), 0);
}

TEST(Textes, TextsAreCutAtTheirFirstNul) {
    EXPECT_EQ(sans_nul_final(QStringLiteral("eth0") + QChar(0) + QStringLiteral("garbage")), QStringLiteral("eth0"));
    EXPECT_EQ(sans_nul_final(QStringLiteral("sans nul")), QStringLiteral("sans nul"));
    EXPECT_EQ(sans_nul_final(QString(QChar(0)) + QStringLiteral("x")), QString());
    EXPECT_EQ(sans_nul_final(QString()), QString());
}

TEST(Textes, TableAccessIsCheckedOnBothEnds) {
    std::vector<double> v{1.5, 2.5, 3.5};
    EXPECT_EQ(a_indice(v, 0), 1.5);
    a_indice(v, 2) = 7; // the access gives the element itself
    EXPECT_EQ(v[2], 7);
    EXPECT_EQ(numero_erreur([&] { a_indice(v, -1); }), ERR_INDICE);
    EXPECT_EQ(numero_erreur([&] { a_indice(v, 3); }), ERR_INDICE);
    const std::array<int, 2> a{4, 5};
    EXPECT_EQ(a_indice(a, 1), 5);
    EXPECT_EQ(numero_erreur([&] { a_indice(a, 2); }), ERR_INDICE);
}
