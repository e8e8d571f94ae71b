// Drawing of the meters: each meter is a scrolling graph, newest sample at
// the right edge, two pixels (30 twips) per sample, the area under the curve
// filled and the current value written over the top. Every call stores one
// sample in the meter's history and redraws the whole graph from it.
#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <map>
#include <vector>
#include <cmath>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("mdlPdh");

PictureBox& exiger(PictureBox* s) {
    if (!s) lever(ERR_OBJET_NON_DEFINI);
    return *s;
}

// The plain style's colours: the system's inactive and active title-bar colours.
Couleur couleur_systeme(uint32_t index) { return depuis_qcolor(en_qcolor(vbSysteme(index))); }

// The pixel that holds a position (as the picture box's drawing maps it),
// kept within a range the painter handles.
int en_pixel(double v, double echelle) {
    const double p = std::floor(v / echelle + 1e-9);
    return static_cast<int>(std::clamp(p, -1e6, 1e6));
}

// A height brought within the 16-bit range: a rate far above the current
// scale draws off the top of the meter instead of overflowing.
double borne_16(double v) { return std::clamp(v, -32768.0, 32767.0); }

// The pixels the painter sets for a one-pixel line two pixels wide, from
// (0, 0) to (2, dy): learnt once per dy by drawing that line on a scratch
// image, so that a curve segment can be written straight into a meter and
// come out exactly as the painter would draw it. A line drawn at whole
// pixel positions sets the same pixels wherever it lies, as long as none of
// them falls outside the surface (clipping is left to the painter).
struct MotifSegment {
    std::vector<QPoint> points;
    int gauche = 0, droite = 0, haut = 0, bas = 0; // extent of the points
};

const MotifSegment& motif_segment(int dy) {
    static std::map<int, MotifSegment> motifs;
    auto it = motifs.find(dy);
    if (it != motifs.end()) return it->second;
    constexpr int marge = 3;
    const int y0 = marge + std::max(0, -dy);
    QImage brouillon(2 + 1 + 2 * marge, std::abs(dy) + 1 + 2 * marge, QImage::Format_RGB32);
    brouillon.fill(Qt::black);
    {
        QPainter g(&brouillon);
        g.setRenderHint(QPainter::Antialiasing, false);
        g.setPen(QPen(Qt::white, 0));
        g.drawLine(marge, y0, marge + 2, y0 + dy);
    }
    MotifSegment m;
    for (int y = 0; y < brouillon.height(); ++y)
        for (int x = 0; x < brouillon.width(); ++x)
            if (brouillon.pixel(x, y) != QColor(Qt::black).rgb()) m.points.emplace_back(x - marge, y - y0);
    for (const QPoint& p : m.points) {
        m.gauche = std::min(m.gauche, p.x());
        m.droite = std::max(m.droite, p.x());
        m.haut = std::min(m.haut, p.y());
        m.bas = std::max(m.bas, p.y());
    }
    return motifs.emplace(dy, std::move(m)).first->second;
}

constexpr Couleur BLANC = RGB(255, 255, 255);
constexpr Couleur NOIR = RGB(0, 0, 0);
constexpr Couleur COULEUR_QUADRILLAGE = RGB(200, 200, 255);

} // namespace

void mdlPdh::signaler(const QString& quoi, const PictureBox* s) {
    if (espion) espion(TraceDessin{quoi, s, 0, 0, 0, 0, 0, {}});
}

void mdlPdh::trait(PictureBox& s, double x1, double y1, double x2, double y2, Couleur c) {
    if (espion) espion(TraceDessin{QStringLiteral("Line"), &s, x1, y1, x2, y2, c, {}});
    s.Line(x1, y1, x2, y2, c);
}

// Plain style: from the right edge leftwards, one column per sample pair
// (n - 1, n): two fill lines and the curve segment. Positions map to pixels
// as the picture box's own line does. The fill lines are vertical and go
// straight into the pixels (both end rows included, as the painter draws a
// one-pixel line); the curve segments are collected and drawn afterwards in
// one call, or written straight in as the painter would draw them when they
// lie inside the meter. That gives the same picture as drawing column by column: a
// column's fills lie left of every pixel of the curves drawn before them, so
// they never cover a curve, while every curve still covers the fills below it.
void mdlPdh::colonnes_simples(PictureBox& s, Piege& t, int n, const Hauteur& y1f, const Hauteur& y2f) {
    const double H = s.Height();
    const Couleur fond = couleur_systeme(COLOR_INACTIVECAPTION);
    const Couleur courbe = couleur_systeme(COLOR_ACTIVECAPTION);
    const double echelle = s.ScaleMode() == PictureBox::vbPixels ? 1.0 : TWIPS_PAR_PIXEL;
    QImage& img = s.image();
    const bool direct = img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32;
    const QColor qfond = en_qcolor(fond);
    const QRgb pfond = qfond.rgb();
    const QRgb pcourbe = en_qcolor(courbe).rgb();
    uchar* const bits = direct ? img.bits() : nullptr;
    const qsizetype bpl = img.bytesPerLine();
    const int w = img.width(), h = img.height();
    auto verticale = [&](double x, double ya, double yb) {
        if (espion) espion(TraceDessin{QStringLiteral("Line"), &s, x, ya, x, yb, fond, {}});
        const int px = en_pixel(x, echelle);
        if (px < 0 || px >= w) return;
        int haut = en_pixel(ya, echelle), bas = en_pixel(yb, echelle);
        if (haut > bas) std::swap(haut, bas);
        haut = std::max(haut, 0);
        bas = std::min(bas, h - 1);
        for (int r = haut; r <= bas; ++r) {
            if (direct) reinterpret_cast<QRgb*>(bits + r * bpl)[px] = pfond;
            else img.setPixel(px, r, pfond);
        }
    };
    segments_.clear();
    // With one height for both ends, a sample's height is that of the left
    // end of the column before (to the right): worked out once.
    const bool meme_hauteur = &y1f == &y2f;
    bool reportee = false;
    double hauteur_reportee = 0;
    for (double x = arrondi(s.Width()); x >= 0; x -= 30, --n) {
        const bool connue = reportee;
        reportee = false;
        t([&] {
            const double y1 = y1f(n - 1);
            const double y2 = meme_hauteur && connue ? hauteur_reportee : y2f(n);
            hauteur_reportee = y1;
            reportee = true;
            verticale(x - 45, H, y1 - 30);
            verticale(x - 30, H, (y1 + y2) / 2 - 45);
            if (espion) espion(TraceDessin{QStringLiteral("Line"), &s, x - 45, y1 - 30, x - 15, y2 - 30, courbe, {}});
            const QLine l(en_pixel(x - 45, echelle), en_pixel(y1 - 30, echelle), en_pixel(x - 15, echelle),
                          en_pixel(y2 - 30, echelle));
            if (direct && l.dx() == 2 && std::abs(l.dy()) <= 256) {
                const MotifSegment& m = motif_segment(l.dy());
                if (l.x1() + m.gauche >= 0 && l.x1() + m.droite < w && l.y1() + m.haut >= 0 && l.y1() + m.bas < h) {
                    for (const QPoint& p : m.points)
                        reinterpret_cast<QRgb*>(bits + (l.y1() + p.y()) * bpl)[l.x1() + p.x()] = pcourbe;
                    return;
                }
            }
            segments_.push_back(l);
        });
    }
    if (segments_.empty()) return;
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(QPen(en_qcolor(courbe), 0));
    g.drawLines(segments_.data(), static_cast<int>(segments_.size()));
}

// Smoothed style: from the left, one anti-aliased segment per column from
// pixel (px + a) to (px + b), filled below down to the bottom margin.
void mdlPdh::colonnes_lissees(PictureBox& s, Piege& t, int n, double x, double x_fin, int a, int b, bool borne,
                              const Hauteur& y1f, const Hauteur& y2f) {
    modAntiAlias& aa = prog.antialias();
    int16_t hp = 0;
    if (!t([&] { hp = CInt(partie_entiere(s.Height() / 15)); })) return;
    for (; x <= x_fin; x += 30) {
        t([&] {
            const double px = partie_entiere(x / 15);
            const double py1 = partie_entiere(y1f(n - 1) / 15);
            const double py2 = partie_entiere(y2f(n) / 15);
            const double xa = px + a, ya = py1 - 2, xb = px + b, yb = py2 - 2;
            if (espion) espion(TraceDessin{QStringLiteral("ligne_lissee"), &s, xa, ya, xb, yb, aa.couleur_trait, {}});
            aa.ligne_lissee(s, static_cast<float>(xa), static_cast<float>(ya), static_cast<float>(xb),
                            static_cast<float>(yb), aa.couleur_trait, hp);
        });
        n = borne ? std::min(n + 1, 201) : n + 1;
    }
}

void mdlPdh::dessiner_compteur_cpu(int16_t v) {
    Piege t(prog.rapporteur(), QStringLiteral("dessiner_compteur_cpu"), MODULE);
    PictureBox* s = nullptr;
    t([&] { s = &prog.frmMain().picCompteur(0); });
    signaler(QStringLiteral("dessiner_compteur_cpu"), s);

    // A value the byte history cannot hold is refused; the newest entry stays.
    t([&] {
        if (v < 0 || v > 255) lever(ERR_DEPASSEMENT);
        historique_cpu[201] = static_cast<uint8_t>(v);
    });
    for (int i = 0; i <= 200; ++i) historique_cpu[i] = historique_cpu[i + 1];

    if (!t([&] { exiger(s).Cls(); })) return;
    const double H = s->Height();
    const Hauteur y = [&](int n) {
        return static_cast<double>(CInt(H - div_entiere(arrondi(a_indice(historique_cpu, n) * H), 100)));
    };
    if (prog.lissage)
        colonnes_lissees(*s, t, static_cast<int>(arrondi(201 - s->Width() / 30)), 0, s->Width(), -3, -1, false, y, y);
    else colonnes_simples(*s, t, 201, y, y);
    t([&] { ecrire_sur_compteur(s, QString::number(v) + QStringLiteral(" %")); });
}

void mdlPdh::dessiner_compteur_ram(int16_t v) {
    Piege t(prog.rapporteur(), QStringLiteral("dessiner_compteur_ram"), MODULE);
    PictureBox* s = nullptr;
    t([&] { s = &prog.frmMain().picCompteur(1); });
    signaler(QStringLiteral("dessiner_compteur_ram"), s);

    historique_ram[201] = v;
    for (int i = 0; i <= 200; ++i) historique_ram[i] = historique_ram[i + 1];

    if (!t([&] { exiger(s).Cls(); })) return;
    const double H = s->Height();
    const Hauteur y = [&](int n) {
        return static_cast<double>(CInt(H - div_entiere(arrondi(a_indice(historique_ram, n) * H), 100)));
    };
    // The memory meter is always drawn in the plain style.
    colonnes_simples(*s, t, 201, y, y);
    t([&] { ecrire_sur_compteur(s, QString::number(v) + QStringLiteral(" % used")); });
}

void mdlPdh::dessiner_compteur_diskE(double v, PictureBox* surface, int16_t rang) {
    dessiner_disque(v, surface, rang, true);
}

void mdlPdh::dessiner_compteur_diskL(double v, PictureBox* surface, int16_t rang) {
    dessiner_disque(v, surface, rang, false);
}

void mdlPdh::dessiner_disque(double v, PictureBox* surface, int16_t rang, bool ecriture) {
    const QString nom =
        ecriture ? QStringLiteral("dessiner_compteur_diskE") : QStringLiteral("dessiner_compteur_diskL");
    Piege t(prog.rapporteur(), nom, MODULE);
    signaler(nom, surface);
    auto& historiques = ecriture ? historique_ecriture : historique_lecture;

    // The scale is the peak of the 22 samples kept.
    double p = 0;
    t([&] {
        auto& h = a_indice(historiques, rang);
        h[21] = v;
        for (int i = 0; i <= 20; ++i) {
            h[i] = h[i + 1];
            if (h[i] > p) p = h[i];
        }
    });

    if (!t([&] { exiger(surface).Cls(); })) return;
    PictureBox& s = *surface;
    const double H = s.Height();
    // A quiet drive reads flat at the bottom; in the smoothed style the read
    // meter keeps a floor of 5000 bytes per second so that noise stays low.
    if (prog.lissage && !ecriture) {
        if (p < 5000) p = 5000;
    } else if (p == 0) {
        p = 1;
    }
    const Hauteur y = [&](int n) { return arrondi(H - H * a_indice(a_indice(historiques, rang), n) / p); };
    if (prog.lissage) colonnes_lissees(s, t, 1, 1, 571, -1, 1, false, y, y);
    else colonnes_simples(s, t, 21, y, y);
    t([&] { ecrire_sur_compteur(surface, prog.fonctions().Affichage(v, true)); });
}

void mdlPdh::dessiner_compteur_REZO(double v, PictureBox* surface, int16_t k) {
    Piege t(prog.rapporteur(), QStringLiteral("dessiner_compteur_REZO"), MODULE);
    signaler(QStringLiteral("dessiner_compteur_REZO"), surface);

    // Only the part of the history the meter shows moves: d is its oldest sample.
    int32_t d = 201;
    t([&] { d = 201 - div_entiere(arrondi(exiger(surface).Width()), 30); });
    double p = 0;
    t([&] {
        auto& h = a_indice(historique_rezo, k);
        h[201] = v;
        for (int32_t i = d; i <= 200; ++i) {
            a_indice(h, i) = h[i + 1];
            // The 31 oldest visible samples do not count toward the peak, so
            // that a burst leaving the meter does not keep the scale up.
            if (h[i] > p && i > d + 30) p = h[i];
        }
    });

    if (!t([&] { exiger(surface).Cls(); })) return;
    PictureBox& s = *surface;

    // The scale follows the peak by tenths, and snaps to it when close.
    if (p < 1000) p = 1000;
    t([&] {
        double e = a_indice(echelle_rezo, k);
        if (std::fabs(e - p) < 100) {
            e = p;
        } else {
            if (k == 2) {
                prog.fonctions().trace_debug(QStringLiteral(" dessiner_compteur_REZO"));
                // Pending events may have rebuilt the network meters; a
                // surface that is gone must not be drawn on.
                frmMain* f = prog.frmMain_si_charge();
                if (!f || !f->picCompteur.existe(k + 2) || &f->picCompteur(k + 2) != surface) {
                    surface = nullptr;
                    return;
                }
            }
            // In doubles: rates pass 2^31 bytes a second on fast links.
            e = e + div_entiere_large(p - e, 10);
        }
        echelle_rezo[k] = e;
    });
    if (!surface) return;

    t([&] { dessiner_quadrillage(surface, k); });
    const double H = s.Height();
    const double W = s.Width();
    const Hauteur y1 = [&](int n) {
        return borne_16(H - diviser(H * a_indice(a_indice(historique_rezo, k), n), a_indice(echelle_rezo, k)));
    };
    const Hauteur y2 = [&](int n) { return static_cast<double>(CInt(y1(n))); };
    if (prog.lissage) colonnes_lissees(s, t, static_cast<int>(arrondi(201 - W / 30 + 1)), 0, W, -2, 0, true, y1, y2);
    else colonnes_simples(s, t, 201, y1, y2);
    t([&] { ecrire_sur_compteur(surface, prog.fonctions().Affichage(v, true)); });
}

void mdlPdh::dessiner_quadrillage(PictureBox* surface, int16_t k) {
    Piege t(prog.rapporteur(), QStringLiteral("dessiner_quadrillage"), MODULE);
    signaler(QStringLiteral("dessiner_quadrillage"), surface);
    // Meters come in pairs (received at even k, sent at k + 1). The one with
    // the larger scale marks the full-scale level of its partner.
    t([&] {
        const int j = k % 2 != 0 ? k - 1 : k + 1;
        const double ek = a_indice(echelle_rezo, k);
        const double ej = a_indice(echelle_rezo, j);
        if (ek > ej) {
            PictureBox& s = exiger(surface);
            const double H = s.Height();
            const double y = H - H * ej / ek;
            trait(s, 0, y, s.Width(), y, COULEUR_QUADRILLAGE);
        }
    });
}

void mdlPdh::ecrire_sur_compteur(PictureBox* surface, const QString& texte) {
    Piege t(prog.rapporteur(), QStringLiteral("ecrire_sur_compteur"), MODULE);
    // Right-aligned by character count for a ten-character field; the
    // memory caption is longer and sits further right.
    double x = (10 - texte.length()) * 30 + 15;
    if (texte.contains(QStringLiteral("used"))) x += 100;
    if (!t([&] { exiger(surface); })) return;
    PictureBox& s = *surface;
    auto ecrire = [&](double px, Couleur c) {
        t([&] { s.setForeColor(c); });
        t([&] {
            if (espion) espion(TraceDessin{QStringLiteral("PSet"), &s, px, 0, px, 0, BLANC, {}});
            s.PSet(px, 0, BLANC);
        });
        t([&] {
            if (espion) espion(TraceDessin{QStringLiteral("Print"), &s, s.CurrentX, s.CurrentY, 0, 0, c, texte});
            s.Print(texte);
        });
    };
    // A white copy one pixel to the right, behind the black text.
    ecrire(x + 15, BLANC);
    ecrire(x, NOIR);
}

} // namespace tk
