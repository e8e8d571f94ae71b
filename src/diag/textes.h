// The classic text helpers, with the classic 1-based positions, and the text
// the platform hands back from a fixed-size buffer cut at its first NUL.
#pragma once

#include <QString>

namespace tk {

// Mid$(texte, debut, longueur) with a 1-based start: error 5 for a start
// below 1 or a negative length, an empty text past the end.
QString mid_vb(const QString& texte, qsizetype debut, qsizetype longueur);

// InStr: 1-based position of the first occurrence, 0 when absent (case-sensitive).
qsizetype instr(const QString& texte, const QString& cherche);

// The text up to its first NUL character; the whole text when it has none.
QString sans_nul_final(const QString& texte);

} // namespace tk
