#include "diag/numerique.h"

#include "diag/erreur.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace tk {

double arrondi(double v) {
    // nearbyint follows the current rounding mode, which is round-to-nearest-even
    // unless someone changed it; std::fegetround guards against that.
    if (std::fegetround() != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    return std::nearbyint(v);
}

namespace {
template <class T>
T convertir(double v) {
    if (std::isnan(v)) lever(ERR_DEPASSEMENT);
    const double r = arrondi(v);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        lever(ERR_DEPASSEMENT);
    return static_cast<T>(r);
}
} // namespace

int16_t CInt(double v) { return convertir<int16_t>(v); }
int32_t CLng(double v) { return convertir<int32_t>(v); }

double CDbl(const QString& texte) {
    QString t = texte.trimmed();
    if (t.isEmpty()) lever(ERR_TYPE);
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok) {
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        v = t.toDouble(&ok);
    }
    if (!ok || !std::isfinite(v)) lever(ERR_TYPE); // "inf" and "nan" are no numbers here
    return v;
}

int16_t CInt(const QString& texte) { return CInt(CDbl(texte)); }
int32_t CLng(const QString& texte) { return CLng(CDbl(texte)); }

bool CBool(const QString& texte) {
    const QString t = texte.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    return CDbl(t) != 0;
}

int32_t div_entiere(double a, double b) {
    const int64_t na = CLng(a);
    const int64_t nb = CLng(b);
    if (nb == 0) lever(ERR_DIVISION_ZERO);
    const int64_t q = na / nb;                                           // C++ truncates toward zero
    if (q > std::numeric_limits<int32_t>::max()) lever(ERR_DEPASSEMENT); // INT_MIN / -1
    return static_cast<int32_t>(q);
}

double div_entiere_large(double a, double b) {
    const double na = arrondi(a), nb = arrondi(b);
    if (nb == 0) lever(ERR_DIVISION_ZERO);
    // Exact in 64-bit integers; beyond them the quotient of doubles is as
    // close as the operands themselves are.
    constexpr double limite = 9.2e18;
    if (std::fabs(na) < limite && std::fabs(nb) < limite)
        return static_cast<double>(static_cast<int64_t>(na) / static_cast<int64_t>(nb));
    return std::trunc(na / nb);
}

double partie_entiere(double v) { return std::floor(v); }

double diviser(double a, double b) {
    if (b == 0.0) lever(ERR_DIVISION_ZERO);
    return a / b;
}

QString texte_nombre(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15) return QString::number(static_cast<long long>(v));
    return QString::number(v, 'g', 15);
}

} // namespace tk
