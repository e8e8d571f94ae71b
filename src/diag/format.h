// Number formatting with the classic picture patterns, and the byte-count
// text shown on the bar (the pure core of Affichage).
#pragma once

#include <QLocale>
#include <QString>

namespace tk {

// Formats `v` with a picture pattern such as "####.## Go", "0.# ko" or
// "###,###,###,###": optional literal text, then a run of the placeholders
//   #  a digit, nothing for a leading zero or a trailing zero of the fraction;
//   0  a digit that is always printed;
//   .  the locale's decimal separator (always printed when present, so a whole
//      value leaves a bare separator: 2 with "####.# ko" gives "2, ko" in French);
//   ,  in the integer part: digit grouping by threes with the locale's group separator;
// then literal text. The integer part always shows all its digits; a value
// whose integer part is 0 prints no integer digit unless a "0" asks for one
// (0 with "###,###,###,###" gives ""). The last printed digit is rounded
// with ties away from zero, decided on the decimal digits of the value
// taken to 15 significant digits (0.95 with "0.#" gives "1."; 1.25 with
// "0.#" gives "1.3"). A negative value is prefixed by "-" unless it prints
// as zero. A comma right before the decimal point does not scale the value.
// Error 6 for an infinite or NaN value.
QString format_nombre(double v, const QString& motif, const QLocale& locale);

// Byte count or rate as "ko", "Mo" or "Go" text: decimal thresholds, binary
// divisors; when `arrondir` the scaled value of the three upper rows is first
// rounded to a whole number (halves to even). ", " is then replaced by " ",
// which removes the bare comma of a whole value. Throws ErreurVB on an
// overflowing value; Affichage traps it.
QString affichage_texte(double valeur, bool arrondir, const QLocale& locale);

} // namespace tk
