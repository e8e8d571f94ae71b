#include "meters/modAntiAlias.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "diag/numerique.h"

#include <cmath>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("modAntiAlias");

// Reading a pixel outside the surface gives the invalid colour (all bits
// set); writing one there does nothing. No clipping is done otherwise.
constexpr Couleur COULEUR_INVALIDE = 0xFFFFFFFFu;

Couleur lire_pixel(const QImage& img, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return COULEUR_INVALIDE;
    const QRgb p = img.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

void ecrire_pixel(QImage& img, int32_t x, int32_t y, Couleur c) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
    img.setPixel(x, y, qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                            static_cast<int>((c >> 16) & 0xFF)));
}

// A coordinate the walk can step through one pixel at a time.
void verifier_coordonnee(float v) {
    if (!(std::fabs(v) <= 32767.0f)) lever(ERR_DEPASSEMENT);
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
    auto canal = [&](uint8_t a, uint8_t b) {
        const float v = static_cast<float>(a) * w1 + static_cast<float>(b) * w2;
        const double r = arrondi(v);
        if (!(r >= 0 && r <= 255)) lever(ERR_DEPASSEMENT);
        return static_cast<int>(r);
    };
    return RGB(canal(c1.rouge, c2.rouge), canal(c1.vert, c2.vert), canal(c1.bleu, c2.bleu));
}

void modAntiAlias::point_lisse(PictureBox& dc, float x, float y, Couleur couleur, int16_t bas) {
    QImage& img = dc.image();
    const int32_t X = CLng(partie_entiere(x));
    const int32_t Y = CLng(partie_entiere(y));
    const float fx = x - static_cast<float>(X);
    const float fy = y - static_cast<float>(Y);

    CouleurRGB L;
    vers_rgb(L, couleur);
    // The four pixels around the point, read before any is written.
    CouleurRGB p00, p10, p01, p11;
    vers_rgb(p00, lire_pixel(img, X, Y));
    vers_rgb(p10, lire_pixel(img, X + 1, Y));
    vers_rgb(p01, lire_pixel(img, X, Y + 1));
    vers_rgb(p11, lire_pixel(img, X + 1, Y + 1));

    float w = (1 - fy) * (1 - fx);
    ecrire_pixel(img, X, Y, melange_couleurs(L, w, p00, 1 - w));
    w = fx * (1 - fy);
    ecrire_pixel(img, X + 1, Y, melange_couleurs(L, w, p10, 1 - w));
    w = (1 - fx) * fy;
    ecrire_pixel(img, X, Y + 1, melange_couleurs(L, w, p01, 1 - w));
    w = fx * fy;
    ecrire_pixel(img, X + 1, Y + 1, melange_couleurs(L, w, p11, 1 - w));

    // The column under the point, down to two pixels above the bottom edge.
    const int16_t debut = CInt(static_cast<double>(Y) + 1);
    const int16_t fin = CInt(static_cast<double>(bas) - 2);
    for (int r = debut; r <= fin; ++r) ecrire_pixel(img, X, r, couleur_remplissage);
}

void modAntiAlias::ligne_lissee(PictureBox& dc, float x1, float y1, float x2, float y2, Couleur couleur,
                                int16_t bas) {
    // A curve that runs off the meter flattens at its edge.
    if (y2 < 0) y2 = 0;
    if (y1 < 0) y1 = 0;
    if (y2 > bas) y2 = bas;
    if (y1 > bas) y1 = bas;
    for (float v : {x1, y1, x2, y2}) verifier_coordonnee(v);

    const float m = x2 == x1 ? (y2 - y1) / 1.0f : (y2 - y1) / (x2 - x1);
    const float b = y1 - m * x1;

    // The end point is never plotted: it is the start of the next segment.
    if (std::fabs(m) <= 1.0f) {
        if (x1 <= x2) {
            for (float x = x1; x <= x2 - 1; x += 1) point_lisse(dc, x, m * x + b, couleur, bas);
        } else {
            for (float x = x2 + 1; x <= x1; x += 1) point_lisse(dc, x, m * x + b, couleur, bas);
        }
    } else {
        if (y1 <= y2) {
            for (float y = y1; y <= y2 - 1; y += 1) point_lisse(dc, (y - b) / m, y, couleur, bas);
        } else {
            for (float y = y2 + 1; y <= y1; y += 1) point_lisse(dc, (y - b) / m, y, couleur, bas);
        }
    }
}

} // namespace tk
