// Picture-pattern formatting and the byte-count texts of the bar.
#include "diag/erreur.h"
#include "diag/format.h"
#include "erreur_attendue.h"

#include <gtest/gtest.h>

using namespace tk;

namespace {

const QLocale fr(QLocale::French, QLocale::France);
const QLocale point = QLocale::c();

} // namespace

TEST(Affichage, FrenchExamples) {
    EXPECT_EQ(affichage_texte(0, false, fr), "0 ko");
    EXPECT_EQ(affichage_texte(512, false, fr), "0,5 ko");
    EXPECT_EQ(affichage_texte(1000, false, fr), "1 ko"); // 0.977 on "0.#"
    EXPECT_EQ(affichage_texte(1536, false, fr), "1,5 ko");
    EXPECT_EQ(affichage_texte(1536, true, fr), "2 ko");
    EXPECT_EQ(affichage_texte(2560, true, fr), "2 ko"); // 2.5 to the even 2
    EXPECT_EQ(affichage_texte(3584, true, fr), "4 ko"); // 3.5 to the even 4
    EXPECT_EQ(affichage_texte(2048, false, fr), "2 ko");
    EXPECT_EQ(affichage_texte(1280, false, fr), "1,3 ko"); // 1.25: tie away from zero
    EXPECT_EQ(affichage_texte(1000001, false, fr), "1 Mo");
    EXPECT_EQ(affichage_texte(1500000, false, fr), "1,4 Mo");
    EXPECT_EQ(affichage_texte(5000000000.0, false, fr), "4,66 Go");
    EXPECT_EQ(affichage_texte(5000000000.0, true, fr), "5 Go");
    EXPECT_EQ(affichage_texte(-512, false, fr), "-0,5 ko");
    EXPECT_EQ(affichage_texte(-512, true, fr), "-0,5 ko"); // the "0.#" row is never rounded
    EXPECT_EQ(affichage_texte(1000000, false, fr), "976,6 ko");
    EXPECT_EQ(affichage_texte(1000000000, false, fr), "953,7 Mo");
}

TEST(Affichage, PointLocaleKeepsBarePoint) {
    EXPECT_EQ(affichage_texte(2048, false, point), "2. ko");
    EXPECT_EQ(affichage_texte(512, false, point), "0.5 ko");
    EXPECT_EQ(affichage_texte(1280, false, point), "1.3 ko");
    EXPECT_EQ(affichage_texte(1536, true, point), "2. ko");
    EXPECT_EQ(affichage_texte(5000000000.0, false, point), "4.66 Go");
    EXPECT_EQ(affichage_texte(1000, false, point), "1. ko");
}

TEST(Affichage, OverflowingValueIsError6) {
    EXPECT_EQ(numero_erreur([] { affichage_texte(std::numeric_limits<double>::infinity(), false, fr); }), 6);
    EXPECT_EQ(numero_erreur([] { affichage_texte(std::nan(""), true, fr); }), 6);
}

TEST(FormatNombre, DigitPlaceholders) {
    EXPECT_EQ(format_nombre(0.5, "####.# ko", point), ".5 ko"); // no leading zero with "#"
    EXPECT_EQ(format_nombre(0.5, "0.# ko", point), "0.5 ko");
    EXPECT_EQ(format_nombre(3, "0.00", point), "3.00");
    EXPECT_EQ(format_nombre(3.1, "0.0#", point), "3.1");
    EXPECT_EQ(format_nombre(3.1, "000", point), "003");
    EXPECT_EQ(format_nombre(123456.78, "##.#", point), "123456.8"); // all integer digits kept
    EXPECT_EQ(format_nombre(0.04, "0.#", point), "0.");
    EXPECT_EQ(format_nombre(-0.04, "0.#", point), "0."); // prints as zero: no sign
    EXPECT_EQ(format_nombre(7, "Total: 0 o", point), "Total: 7 o");
}

TEST(FormatNombre, TiesGoAwayFromZeroOnDecimalDigits) {
    EXPECT_EQ(format_nombre(1.25, "0.#", point), "1.3");
    EXPECT_EQ(format_nombre(-1.25, "0.#", point), "-1.3");
    EXPECT_EQ(format_nombre(0.95, "0.#", point), "1."); // binary 0.9499999... still a decimal tie
    EXPECT_EQ(format_nombre(2.675, "0.##", point), "2.68");
    EXPECT_EQ(format_nombre(9.96, "0.#", point), "10.");
    EXPECT_EQ(format_nombre(999.95, "####.# Mo", fr), "1000, Mo");
    EXPECT_EQ(format_nombre(2.5, "0", point), "3");
    EXPECT_EQ(format_nombre(1.24999, "0.#", point), "1.2");
}

TEST(FormatNombre, GroupedWholeNumbers) {
    const QString g = fr.groupSeparator();
    EXPECT_EQ(format_nombre(0, "###,###,###,###", fr), "");
    EXPECT_EQ(format_nombre(999, "###,###,###,###", fr), "999");
    EXPECT_EQ(format_nombre(1000, "###,###,###,###", fr), "1" + g + "000");
    EXPECT_EQ(format_nombre(123456789012.0, "###,###,###,###", fr), "123" + g + "456" + g + "789" + g + "012");
    EXPECT_EQ(format_nombre(1234567, "###,###,###,###", point), "1,234,567");
    EXPECT_EQ(format_nombre(1234567, "###,###,###,###", QLocale(QLocale::English)), "1,234,567");
    EXPECT_EQ(format_nombre(1999.5, "###,###,###,###", point), "2,000");
    // More digits than the pattern has places: all are printed, still grouped.
    EXPECT_EQ(format_nombre(1e16, "###,###,###,###", point), "10,000,000,000,000,000");
}
