// The numeric conventions every module uses. Never inline these rules:
// - conversion of a real to a whole number rounds halves to the even neighbour;
// - integer division rounds both operands that way, then truncates toward zero;
// - the whole part of a value is the largest whole number not above it;
// - conversions to 16- and 32-bit integers are checked (error 6 on overflow);
// - table access is checked (error 9 outside the table).
#pragma once

#include "diag/erreur.h"

#include <QString>
#include <cstdint>

namespace tk {

// Nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double arrondi(double v);

// Checked conversions with halves-to-even rounding; error 6 when out of range.
int16_t CInt(double v);
int32_t CLng(double v);

// Text to number as the classic conversions read it: leading/trailing blanks
// allowed, a point or the locale's comma as decimal separator; anything else
// (an empty text included) is error 13.
double CDbl(const QString& texte);
int16_t CInt(const QString& texte);
int32_t CLng(const QString& texte);
// Text to boolean: "True" or "False" in any case, or a number (non-zero is
// true), blanks around allowed; anything else is error 13.
bool CBool(const QString& texte);

// Integer division a \ b: both operands rounded (halves to even) to 32-bit
// whole numbers, then the quotient truncated toward zero. Error 11 when the
// rounded divisor is 0, error 6 when an operand does not fit in 32 bits.
int32_t div_entiere(double a, double b);

// The same integer division on whole numbers of any size (byte rates beyond
// 32 bits): both operands rounded halves to even, the quotient truncated
// toward zero, never an overflow. Error 11 when the rounded divisor is 0.
double div_entiere_large(double a, double b);

// Whole part: the largest whole number not above v (Int(-1.5) = -2).
double partie_entiere(double v);

// Checked division: error 11 on a zero divisor.
double diviser(double a, double b);

// Checked table access t(i): error 9 outside the table.
template <class Tableau>
auto& a_indice(Tableau& t, long i) {
    if (i < 0 || i >= static_cast<long>(t.size())) lever(ERR_INDICE);
    return t[static_cast<size_t>(i)];
}

// Shortest decimal text of a number, as the runtime prints it ("3", "0.5", "-12.25").
QString texte_nombre(double v);

} // namespace tk
