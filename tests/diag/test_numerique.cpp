// The numeric conventions: halves to even, checked conversions, integer division.
#include "diag/erreur.h"
#include "diag/numerique.h"
#include "erreur_attendue.h"

#include <gtest/gtest.h>

using namespace tk;

TEST(Numerique, ArrondiHalvesToEven) {
    EXPECT_EQ(arrondi(0.5), 0);
    EXPECT_EQ(arrondi(1.5), 2);
    EXPECT_EQ(arrondi(2.5), 2);
    EXPECT_EQ(arrondi(3.5), 4);
    EXPECT_EQ(arrondi(2.51), 3);
    EXPECT_EQ(arrondi(-0.5), 0);
    EXPECT_EQ(arrondi(-1.5), -2);
    EXPECT_EQ(arrondi(-2.5), -2);
    EXPECT_EQ(arrondi(-2.6), -3);
}

TEST(Numerique, CheckedConversions) {
    EXPECT_EQ(CInt(32767.0), 32767);
    EXPECT_EQ(CInt(-32768.0), -32768);
    EXPECT_EQ(CInt(-32768.5), -32768); // halves to even stays in range
    EXPECT_EQ(numero_erreur([] { CInt(32768.0); }), 6);
    EXPECT_EQ(numero_erreur([] { CInt(32767.5); }), 6); // rounds to 32768
    EXPECT_EQ(numero_erreur([] { CInt(-32769.0); }), 6);
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(numero_erreur([] { CLng(2147483648.0); }), 6);
    EXPECT_EQ(numero_erreur([] { CLng(std::nan("")); }), 6);
    EXPECT_EQ(CInt(2.5), 2);
}

TEST(Numerique, TextConversions) {
    EXPECT_EQ(CInt(QString("  42 ")), 42);
    EXPECT_EQ(CInt(QString("4,5")), 4); // comma decimal, then halves to even
    EXPECT_EQ(CLng(QString("750")), 750);
    EXPECT_DOUBLE_EQ(CDbl(QString("-1.25")), -1.25);
    EXPECT_EQ(numero_erreur([] { CInt(QString("abc")); }), 13);
    EXPECT_EQ(numero_erreur([] { CInt(QString("")); }), 13);
    EXPECT_EQ(numero_erreur([] { CInt(QString("   ")); }), 13);
    EXPECT_EQ(numero_erreur([] { CDbl(QString("inf")); }), 13);
    EXPECT_EQ(numero_erreur([] { CDbl(QString("nan")); }), 13);
    EXPECT_EQ(numero_erreur([] { CInt(QString("99999")); }), 6);
    EXPECT_TRUE(CBool(QString(" true ")));
    EXPECT_FALSE(CBool(QString("FALSE")));
    EXPECT_TRUE(CBool(QString("-1")));
    EXPECT_FALSE(CBool(QString("0")));
    EXPECT_EQ(numero_erreur([] { CBool(QString("Vrai")); }), 13);
    EXPECT_EQ(numero_erreur([] { CBool(QString("")); }), 13);
}

TEST(Numerique, IntegerDivision) {
    EXPECT_EQ(div_entiere(7.5, 2), 4); // 8 \ 2
    EXPECT_EQ(div_entiere(6.5, 2), 3); // 6 \ 2
    EXPECT_EQ(div_entiere(7, 2.5), 3); // 7 \ 2
    EXPECT_EQ(div_entiere(-7, 2), -3); // toward zero
    EXPECT_EQ(div_entiere(7, -2), -3);
    EXPECT_EQ(numero_erreur([] { div_entiere(1, 0); }), 11);
    EXPECT_EQ(numero_erreur([] { div_entiere(1, 0.4); }), 11); // divisor rounds to 0
    EXPECT_EQ(numero_erreur([] { div_entiere(1, 0.5); }), 11); // halves to even: 0
    EXPECT_EQ(numero_erreur([] { div_entiere(-2147483648.0, -1); }), 6);
    EXPECT_EQ(numero_erreur([] { diviser(1, 0); }), 11);
    EXPECT_DOUBLE_EQ(diviser(1, 4), 0.25);

    // The same rules beyond 32 bits, exact where a double quotient is not.
    EXPECT_EQ(div_entiere_large(7.5, 2), 4);
    EXPECT_EQ(div_entiere_large(-7, 2), -3);
    EXPECT_EQ(div_entiere_large(-2147483648.0, -1), 2147483648.0);
    EXPECT_EQ(div_entiere_large(2999999999.5, 10), 300000000); // 3000000000 \ 10
    EXPECT_EQ(div_entiere_large(9007199254740989.0, 10), 900719925474098.0);
    EXPECT_EQ(numero_erreur([] { div_entiere_large(1, 0.5); }), 11);
}

TEST(Numerique, WholePartAndText) {
    EXPECT_EQ(partie_entiere(-1.5), -2);
    EXPECT_EQ(partie_entiere(1.5), 1);
    EXPECT_EQ(partie_entiere(-2.0), -2);
    EXPECT_EQ(texte_nombre(3), "3");
    EXPECT_EQ(texte_nombre(0.5), "0.5");
    EXPECT_EQ(texte_nombre(-12.25), "-12.25");
}
