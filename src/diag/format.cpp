#include "diag/format.h"

#include "diag/erreur.h"
#include "diag/numerique.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tk {

namespace {

struct Motif {
    QString avant;        // literal text before the number
    QString apres;        // literal text after it
    int entiersMin = 0;   // integer digits always printed ("0" placeholders)
    bool groupes = false; // digit grouping asked by a "," in the integer part
    bool point = false;
    int decimalesMin = 0; // fraction digits always printed
    int decimalesMax = 0; // fraction digits at most
};

bool est_chiffre_motif(QChar c) { return c == u'#' || c == u'0' || c == u'.'; }

Motif analyser(const QString& m) {
    Motif r;
    int i = 0;
    const int n = static_cast<int>(m.size());
    while (i < n && !est_chiffre_motif(m[i])) r.avant += m[i++];
    bool zeroVu = false;
    for (; i < n; ++i) {
        const QChar c = m[i];
        if (c == u'.') {
            if (r.point) break; // a second point ends the number
            r.point = true;
        } else if (c == u',') {
            if (!r.point) r.groupes = true;
        } else if (c == u'#' || c == u'0') {
            if (r.point) {
                ++r.decimalesMax;
                if (c == u'0') r.decimalesMin = r.decimalesMax;
            } else {
                if (c == u'0') zeroVu = true;
                if (zeroVu) ++r.entiersMin;
            }
        } else {
            break;
        }
    }
    r.apres = m.mid(i);
    return r;
}

// Adds one unit at the last digit of a string of decimal digits.
void incrementer(std::string& chiffres) {
    for (auto it = chiffres.rbegin(); it != chiffres.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    chiffres.insert(chiffres.begin(), '1');
}

} // namespace

QString format_nombre(double v, const QString& motif, const QLocale& locale) {
    if (!std::isfinite(v)) lever(ERR_DEPASSEMENT);
    const Motif m = analyser(motif);

    // |v| to 15 significant digits: d.dddddddddddddde±X.
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.14e", std::fabs(v));
    const std::string texte(tampon);
    const auto posE = texte.find('e');
    std::string mantisse = texte.substr(0, 1) + texte.substr(2, posE - 2);
    const int exposant = std::stoi(texte.substr(posE + 1));
    const int nbMantisse = static_cast<int>(mantisse.size());

    // Integer and fraction digits of the expansion.
    const int posPoint = exposant + 1; // digits of mantisse before the decimal point
    std::string entier, fraction;
    if (posPoint > 0) {
        entier = mantisse.substr(0, static_cast<size_t>(std::min(posPoint, nbMantisse)));
        if (posPoint > nbMantisse) entier.append(static_cast<size_t>(posPoint - nbMantisse), '0');
        if (posPoint < nbMantisse) fraction = mantisse.substr(static_cast<size_t>(posPoint));
    } else {
        fraction = std::string(static_cast<size_t>(-posPoint), '0') + mantisse;
    }

    // Round at the last printed decimal, ties away from zero.
    const int nbDec = m.decimalesMax;
    bool monter = false;
    if (static_cast<int>(fraction.size()) > nbDec) {
        monter = fraction[static_cast<size_t>(nbDec)] >= '5';
        fraction.resize(static_cast<size_t>(nbDec));
    } else {
        fraction.append(static_cast<size_t>(nbDec) - fraction.size(), '0');
    }
    if (monter) {
        std::string tout = entier + fraction;
        incrementer(tout);
        entier = tout.substr(0, tout.size() - fraction.size());
        fraction = tout.substr(tout.size() - fraction.size());
    }

    const auto premier = entier.find_first_not_of('0');
    entier = premier == std::string::npos ? std::string() : entier.substr(premier);
    const bool zero = entier.empty() && fraction.find_first_not_of('0') == std::string::npos;
    while (static_cast<int>(fraction.size()) > m.decimalesMin && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (static_cast<int>(entier.size()) < m.entiersMin)
        entier.insert(0, static_cast<size_t>(m.entiersMin) - entier.size(), '0');

    QString partieEntiere;
    const QString separateur = locale.groupSeparator();
    for (size_t i = 0; i < entier.size(); ++i) {
        if (m.groupes && i > 0 && (entier.size() - i) % 3 == 0) partieEntiere += separateur;
        partieEntiere += QLatin1Char(entier[i]);
    }

    QString r;
    if (v < 0 && !zero) r += QLatin1Char('-');
    r += m.avant;
    r += partieEntiere;
    if (m.point) {
        r += locale.decimalPoint();
        r += QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
    }
    r += m.apres;
    return r;
}

QString affichage_texte(double valeur, bool arrondir, const QLocale& locale) {
    const double v = valeur;
    double s = 0;
    QString motif;
    bool arrondissable = true;
    if (v > 1000000000.0) {
        s = v / 1073741824.0;
        motif = QStringLiteral("####.## Go");
    } else if (v > 1000000.0) {
        s = v / 1048576.0;
        motif = QStringLiteral("####.# Mo");
    } else if (v > 1000.0) {
        s = v / 1024.0;
        motif = QStringLiteral("####.# ko");
    } else if (v == 0.0) {
        return QStringLiteral("0 ko");
    } else {
        s = v / 1024.0;
        motif = QStringLiteral("0.# ko");
        arrondissable = false;
    }
    if (arrondir && arrondissable) s = arrondi(s);
    QString r = format_nombre(s, motif, locale);
    r.replace(QStringLiteral(", "), QStringLiteral(" "));
    return r;
}

} // namespace tk
