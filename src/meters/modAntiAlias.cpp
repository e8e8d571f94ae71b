#include "meters/modAntiAlias.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "diag/numerique.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("modAntiAlias");

// Reading a pixel outside the surface gives the invalid colour (all bits
// set); writing one there does nothing. No clipping is done otherwise.
constexpr Couleur COULEUR_INVALIDE = 0xFFFFFFFFu;

// The meter's pixels, addressed directly: a smoothed curve reads and writes
// thousands of single pixels per tick, and going through the image's
// per-pixel calls costs more than the blending itself. Surfaces in another
// format than 32-bit RGB go through those calls.
class Pixels {
public:
    explicit Pixels(QImage& img)
        : img_(img), w_(img.width()), h_(img.height()),
          direct_(img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32),
          opaque_(img.format() == QImage::Format_RGB32), bits_(direct_ ? img.bits() : nullptr),
          bpl_(img.bytesPerLine()) {}

    bool dedans(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    // Every pixel opaque: writing back the colour read changes nothing.
    bool opaque() const { return opaque_; }

    Couleur lire(int32_t x, int32_t y) const {
        if (!dedans(x, y)) return COULEUR_INVALIDE;
        const QRgb p = direct_ ? ligne(y)[x] : img_.pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }

    void ecrire(int32_t x, int32_t y, Couleur c) {
        if (!dedans(x, y)) return;
        const QRgb p =
            qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
        if (direct_) ligne(y)[x] = p;
        else img_.setPixel(x, y, p);
    }

    // Column x from row debut to row fin, both included, in one colour.
    void colonne(int32_t x, int debut, int fin, Couleur c) {
        if (x < 0 || x >= w_) return;
        debut = std::max(debut, 0);
        fin = std::min(fin, h_ - 1);
        if (!direct_) {
            for (int r = debut; r <= fin; ++r) ecrire(x, r, c);
            return;
        }
        const QRgb p =
            qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
        for (int r = debut; r <= fin; ++r) ligne(r)[x] = p;
    }

private:
    QRgb* ligne(int32_t y) const { return reinterpret_cast<QRgb*>(bits_ + y * bpl_); }
    QImage& img_;
    int w_, h_;
    bool direct_;
    bool opaque_;
    uchar* bits_;
    qsizetype bpl_;
};

// One blended channel, brought to the nearest whole number (halves to even).
// Channels lie between 0 and 255, where the whole part and the fraction of a
// single-precision value are exact; anything else takes the general rounding
// (the rounding mode is set once per line by the caller) and is refused.
inline int canal(uint8_t a, float w1, uint8_t b, float w2) {
    const float v = static_cast<float>(a) * w1 + static_cast<float>(b) * w2;
    if (v >= 0.0f && v < 255.5f) {
        int r = static_cast<int>(v);
        const float reste = v - static_cast<float>(r);
        if (reste > 0.5f || (reste == 0.5f && (r & 1) != 0)) ++r;
        return r;
    }
    const double r = std::nearbyint(static_cast<double>(v));
    if (!(r >= 0 && r <= 255)) lever(ERR_DEPASSEMENT);
    return static_cast<int>(r);
}

// The whole part of a coordinate as a 32-bit number (error 6 beyond).
inline int32_t partie_entiere_32(float v) {
    // Within the range, the whole part by truncation, one less below zero.
    if (v > -2147483648.0f && v < 2147483648.0f) {
        int32_t i = static_cast<int32_t>(v);
        if (static_cast<float>(i) > v) --i;
        return i;
    }
    const double f = std::floor(static_cast<double>(v));
    if (!(f >= -2147483648.0 && f <= 2147483647.0)) lever(ERR_DEPASSEMENT);
    return static_cast<int32_t>(f);
}

// A row number as a 16-bit number (error 6 beyond).
inline int16_t rangee_16(int32_t v) {
    if (v < -32768 || v > 32767) lever(ERR_DEPASSEMENT);
    return static_cast<int16_t>(v);
}

inline Couleur melange(const CouleurRGB& c1, float w1, const CouleurRGB& c2, float w2) {
    return RGB(canal(c1.rouge, w1, c2.rouge, w2), canal(c1.vert, w1, c2.vert, w2), canal(c1.bleu, w1, c2.bleu, w2));
}

void arrondi_au_plus_proche() {
    if (std::fegetround() != FE_TONEAREST) std::fesetround(FE_TONEAREST);
}

// A coordinate the walk can step through one pixel at a time.
void verifier_coordonnee(float v) {
    if (!(std::fabs(v) <= 32767.0f)) lever(ERR_DEPASSEMENT);
}

// One point of a smoothed line, spread over the four pixels around it, and
// the column below it filled down to two pixels above the bottom edge.
void point(Pixels& px, float x, float y, Couleur couleur, Couleur remplissage, int16_t bas) {
    const int32_t X = partie_entiere_32(x);
    const int32_t Y = partie_entiere_32(y);
    const float fx = x - static_cast<float>(X);
    const float fy = y - static_cast<float>(Y);

    CouleurRGB L;
    modAntiAlias::vers_rgb(L, couleur);
    // A point on a whole column (or row) gives the pixels to its right (or
    // below) a weight of exactly 0: the blend gives back the colour that is
    // there, so on an opaque surface they are left alone.
    const bool droite = !(fx == 0.0f && px.opaque());
    const bool dessous = !(fy == 0.0f && px.opaque());
    // The four pixels around the point, read before any is written.
    CouleurRGB p00, p10, p01, p11;
    modAntiAlias::vers_rgb(p00, px.lire(X, Y));
    if (droite) modAntiAlias::vers_rgb(p10, px.lire(X + 1, Y));
    if (dessous) modAntiAlias::vers_rgb(p01, px.lire(X, Y + 1));
    if (droite && dessous) modAntiAlias::vers_rgb(p11, px.lire(X + 1, Y + 1));

    float w = (1 - fy) * (1 - fx);
    px.ecrire(X, Y, melange(L, w, p00, 1 - w));
    if (droite) {
        w = fx * (1 - fy);
        px.ecrire(X + 1, Y, melange(L, w, p10, 1 - w));
    }
    if (dessous) {
        w = (1 - fx) * fy;
        px.ecrire(X, Y + 1, melange(L, w, p01, 1 - w));
    }
    if (droite && dessous) {
        w = fx * fy;
        px.ecrire(X + 1, Y + 1, melange(L, w, p11, 1 - w));
    }

    // The column under the point, down to two pixels above the bottom edge.
    const int16_t debut = rangee_16(Y + 1);
    const int16_t fin = rangee_16(bas - 2);
    px.colonne(X, debut, fin, remplissage);
}

} // namespace

modAntiAlias::modAntiAlias(Programme& p) : prog(p) {}

void modAntiAlias::brancher(frmMain&) {}

void modAntiAlias::init_couleurs_lissage() {
    Piege t(prog.rapporteur(), QStringLiteral("init_couleurs_lissage"), MODULE);
    // The colours the bar shows for the inactive and active title-bar system colours.
    t([&] { couleur_remplissage = depuis_qcolor(en_qcolor(vbSysteme(COLOR_INACTIVECAPTION))) & 0xFFFFFFu; });
    t([&] { couleur_trait = depuis_qcolor(en_qcolor(vbSysteme(COLOR_ACTIVECAPTION))) & 0xFFFFFFu; });
}

void modAntiAlias::vers_rgb(CouleurRGB& c, Couleur couleur) {
    c.rouge = static_cast<uint8_t>(couleur & 0xFF);
    c.vert = static_cast<uint8_t>((couleur >> 8) & 0xFF);
    c.bleu = static_cast<uint8_t>((couleur >> 16) & 0xFF);
}

Couleur modAntiAlias::melange_couleurs(const CouleurRGB& c1, float w1, const CouleurRGB& c2, float w2) {
    arrondi_au_plus_proche();
    return melange(c1, w1, c2, w2);
}

void modAntiAlias::point_lisse(PictureBox& dc, float x, float y, Couleur couleur, int16_t bas) {
    arrondi_au_plus_proche();
    Pixels px(dc.image());
    point(px, x, y, couleur, couleur_remplissage, bas);
}

void modAntiAlias::ligne_lissee(PictureBox& dc, float x1, float y1, float x2, float y2, Couleur couleur, int16_t bas) {
    // A curve that runs off the meter flattens at its edge.
    if (y2 < 0) y2 = 0;
    if (y1 < 0) y1 = 0;
    if (y2 > bas) y2 = bas;
    if (y1 > bas) y1 = bas;
    for (float v : {x1, y1, x2, y2}) verifier_coordonnee(v);

    const float m = x2 == x1 ? (y2 - y1) / 1.0f : (y2 - y1) / (x2 - x1);
    const float b = y1 - m * x1;

    arrondi_au_plus_proche();
    Pixels px(dc.image());
    const Couleur fond = couleur_remplissage;
    // The end point is never plotted: it is the start of the next segment.
    if (std::fabs(m) <= 1.0f) {
        if (x1 <= x2) {
            for (float x = x1; x <= x2 - 1; x += 1) point(px, x, m * x + b, couleur, fond, bas);
        } else {
            for (float x = x2 + 1; x <= x1; x += 1) point(px, x, m * x + b, couleur, fond, bas);
        }
    } else {
        if (y1 <= y2) {
            for (float y = y1; y <= y2 - 1; y += 1) point(px, (y - b) / m, y, couleur, fond, bas);
        } else {
            for (float y = y2 + 1; y <= y1; y += 1) point(px, (y - b) / m, y, couleur, fond, bas);
        }
    }
}

} // namespace tk
