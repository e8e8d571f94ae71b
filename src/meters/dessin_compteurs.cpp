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
#include <cstring>
#include <tuple>
#include <utility>
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

// The pixels the painter sets for a line two pixels wide that it clips at an
// edge of a w x h surface (a curve at the left end of a meter, or one off its
// top or bottom): learnt once per line and surface size by drawing that very
// line on a scratch surface of the same size, which makes the same cuts.
// None is learnt far outside the surface, and no more than a bounded number
// (the caller draws the rest with the painter).
const std::vector<QPoint>* motif_coupe(const QLine& l, int w, int h) {
    constexpr std::size_t MOTIFS_COUPES = 1024;
    static std::map<std::tuple<int, int, int, int, int>, std::vector<QPoint>> motifs;
    if (l.dx() != 2 || std::abs(l.dy()) > 256 || l.x1() < -8 || l.x1() > w + 8 || l.y1() < -256 || l.y1() > h + 256)
        return nullptr;
    const auto cle = std::make_tuple(l.dy(), l.x1(), l.y1(), w, h);
    auto it = motifs.find(cle);
    if (it != motifs.end()) return &it->second;
    if (motifs.size() >= MOTIFS_COUPES) return nullptr;
    QImage brouillon(w, h, QImage::Format_RGB32);
    brouillon.fill(Qt::black);
    {
        QPainter g(&brouillon);
        g.setRenderHint(QPainter::Antialiasing, false);
        g.setPen(QPen(Qt::white, 0));
        g.drawLine(l);
    }
    std::vector<QPoint> points;
    const int x0 = std::max(0, l.x1() - 1), x1 = std::min(w - 1, l.x2() + 1);
    for (int y = 0; y < h; ++y)
        for (int x = x0; x <= x1; ++x)
            if (brouillon.pixel(x, y) != QColor(Qt::black).rgb()) points.emplace_back(x, y);
    return &motifs.emplace(cle, std::move(points)).first->second;
}

// A kept background whose rows are each of one colour is all of `couleur`
// (the first pixel of each row tells).
bool fond_de_couleur(const QImage& fond, QRgb couleur) {
    const uchar* bits = fond.constBits();
    const qsizetype bpl = fond.bytesPerLine();
    const int h = fond.height();
    for (int r = 0; r < h; ++r)
        if (reinterpret_cast<const QRgb*>(bits + r * bpl)[0] != couleur) return false;
    return true;
}

// Two surfaces of the same size and 32-bit format hold the same pixels.
bool memes_pixels(const QImage& a, const QImage& b) {
    if (a.bytesPerLine() == b.bytesPerLine())
        return std::memcmp(a.constBits(), b.constBits(), static_cast<size_t>(a.sizeInBytes())) == 0;
    for (int r = 0; r < a.height(); ++r)
        if (std::memcmp(a.constScanLine(r), b.constScanLine(r), static_cast<size_t>(a.width()) * 4) != 0) return false;
    return true;
}

constexpr Couleur BLANC = RGB(255, 255, 255);
constexpr Couleur NOIR = RGB(0, 0, 0);
constexpr Couleur COULEUR_QUADRILLAGE = RGB(200, 200, 255);

// What is kept of meter s between ticks, in one of the caches: made when
// missing (a new entry also drops the entries of meters that are gone); an
// entry that now belongs to another control than before is marked stale, and
// the second value says so.
template <class Entree>
std::pair<Entree*, bool> entree_de(std::unordered_map<const PictureBox*, Entree>& cache, const PictureBox& s) {
    const auto [place, nouvelle] = cache.try_emplace(&s);
    Entree* e = &place->second;
    if (nouvelle)
        for (auto it = cache.begin(); it != cache.end();) {
            if (it->second.controle.isNull() && &it->second != e) it = cache.erase(it);
            else ++it;
        }
    const bool autre = e->controle != s.widget();
    if (autre) {
        e->controle = s.widget();
        e->valide = false;
    }
    return {e, autre};
}

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
// one-pixel line); the curve segments are written straight in as the painter
// would draw them when they lie inside the meter, or collected and drawn
// afterwards in one call. Column i (0 at the right) fills pixel columns
// L - 2i and L - 2i + 1 and its curve spans L - 2i to L - 2i + 2: fills never
// overlap each other and no fill lies under a curve drawn before it, so the
// picture is the background, then every fill, then every curve on top,
// whatever the order they are drawn in.
//
// That is what lets a tick scroll the picture instead of drawing it again:
// when the history only moved by one sample, column i now shows what column
// i - 1 showed, two pixels further left. The previous graph (without its
// caption) is kept; the new picture is that graph moved left by two pixels
// over the same background, with the newest column and the curve of the one
// beside it drawn over the right-hand strip. Anything else (another size,
// background, colour, a rescale that changes the heights, an error in a
// column, a surface in another format, an observer of the drawing steps)
// draws the whole graph again.
void mdlPdh::colonnes_simples(PictureBox& s, Piege& t, int n, const Hauteur& y1f, const Hauteur& y2f,
                              const std::vector<double>& echantillons, double cle) {
    const double H = s.Height();
    const Couleur fond = couleur_systeme(COLOR_INACTIVECAPTION);
    const Couleur courbe = couleur_systeme(COLOR_ACTIVECAPTION);
    const double echelle = s.ScaleMode() == PictureBox::vbPixels ? 1.0 : TWIPS_PAR_PIXEL;
    // A clear still pending (the meter was just cleared) is left to this
    // drawing: a scrolled graph covers most pixels anyway and needs the
    // background only on its right-hand strip, a full drawing clears first.
    QRgb couleur_effacee = 0;
    const bool efface = !espion && s.effacement_en_attente(couleur_effacee);
    QImage& img = efface ? s.pixels_sans_effacement() : s.image();
    const bool direct = img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32;
    const QRgb pfond = en_qcolor(fond).rgb();
    const QRgb pcourbe = en_qcolor(courbe).rgb();
    uchar* const bits = direct ? img.bits() : nullptr;
    const qsizetype bpl = img.bytesPerLine();
    const int w = img.width(), h = img.height();
    const double X0 = arrondi(s.Width());

    const int n0 = n;
    int nb = 0;
    for (double x = X0; x >= 0; x -= 30) ++nb;

    // The graph can be kept between ticks in the twips scale on a 32-bit
    // surface, with columns two pixels apart whose leftmost one ends before
    // the third pixel (so that nothing it drew scrolls into view).
    const int L = en_pixel(X0 - 45, echelle);
    const bool gardable = !espion && direct && echelle == TWIPS_PAR_PIXEL && nb >= 4 &&
                          en_pixel(X0 - 15, echelle) == L + 2 && L >= 2 && L + 2 < w &&
                          en_pixel(X0 - 30.0 * (nb - 1) - 15, echelle) < 2;
    GrapheSimple* g = nullptr;
    if (gardable) {
        g = entree_de(graphes_, s).first;
    } else {
        graphes_.erase(&s);
    }

    // The heights of every column, right to left, each worked out under the
    // trap as it always was (an error skips that column only). With one
    // height for both ends, a sample's height is that of the left end of the
    // column to its right, when that one was worked out.
    hauteurs_.assign(static_cast<std::size_t>(nb), ColonneSimple{});
    const bool meme_hauteur = &y1f == &y2f;
    auto calculer = [&](int i) {
        ColonneSimple& c = hauteurs_[i];
        const ColonneSimple* droite = i > 0 ? &hauteurs_[i - 1] : nullptr;
        const int m = n0 - i;
        c.dessinee = t([&] {
            c.y1 = y1f(m - 1);
            c.y2 = meme_hauteur && droite && droite->dessinee ? droite->y1 : y2f(m);
        });
    };
    // The same history moved by one sample, on the same scale: column i
    // shows the samples column i - 1 showed, so only the two newest columns
    // and the oldest one (whose older sample may not have moved) are worked
    // out. Should one of them fail, the others are worked out as well, as
    // a drawing from scratch does.
    bool meme_echelle = g && g->valide && g->cle == cle && g->largeur == X0 && g->hauteur == H &&
                        static_cast<int>(g->colonnes.size()) == nb && g->echantillons.size() == echantillons.size() &&
                        n0 - nb + 1 >= 0 && n0 - 1 < static_cast<int>(echantillons.size());
    // The samples of the columns taken over moved by exactly one place.
    for (int j = n0 - nb + 1; meme_echelle && j <= n0 - 2; ++j)
        meme_echelle = echantillons[j] == g->echantillons[j + 1];
    if (meme_echelle) {
        calculer(0);
        calculer(1);
        for (int i = 2; i < nb - 1; ++i) hauteurs_[i] = g->colonnes[i - 1];
        calculer(nb - 1);
        if (!hauteurs_[0].dessinee || !hauteurs_[1].dessinee || !hauteurs_[nb - 1].dessinee)
            for (int i = 2; i < nb - 1; ++i) calculer(i);
    } else {
        for (int i = 0; i < nb; ++i) calculer(i);
    }

    bool motifs_sages = true; // every curve written stayed within its three pixel columns
    // A fill line; `limite` leaves out the pixel columns from there on.
    auto verticale = [&](double x, double ya, double yb, int limite) {
        if (espion) espion(TraceDessin{QStringLiteral("Line"), &s, x, ya, x, yb, fond, {}});
        const int px = en_pixel(x, echelle);
        if (px < 0 || px >= limite) return;
        int haut = en_pixel(ya, echelle), bas = en_pixel(yb, echelle);
        if (haut > bas) std::swap(haut, bas);
        haut = std::max(haut, 0);
        bas = std::min(bas, h - 1);
        for (int r = haut; r <= bas; ++r) {
            if (direct) reinterpret_cast<QRgb*>(bits + r * bpl)[px] = pfond;
            else img.setPixel(px, r, pfond);
        }
    };
    auto remplir = [&](double x, const ColonneSimple& c, int limite) {
        verticale(x - 45, H, c.y1 - 30, limite);
        verticale(x - 30, H, (c.y1 + c.y2) / 2 - 45, limite);
    };
    auto tracer = [&](double x, const ColonneSimple& c) {
        if (espion) espion(TraceDessin{QStringLiteral("Line"), &s, x - 45, c.y1 - 30, x - 15, c.y2 - 30, courbe, {}});
        const QLine l(en_pixel(x - 45, echelle), en_pixel(c.y1 - 30, echelle), en_pixel(x - 15, echelle),
                      en_pixel(c.y2 - 30, echelle));
        if (direct && l.dx() == 2 && std::abs(l.dy()) <= 256) {
            const MotifSegment& m = motif_segment(l.dy());
            if (l.x1() + m.gauche >= 0 && l.x1() + m.droite < w && l.y1() + m.haut >= 0 && l.y1() + m.bas < h) {
                if (m.gauche < 0 || m.droite > 2) motifs_sages = false;
                for (const QPoint& p : m.points)
                    reinterpret_cast<QRgb*>(bits + (l.y1() + p.y()) * bpl)[l.x1() + p.x()] = pcourbe;
                return;
            }
            // Cut at an edge: the pixels the painter would set there.
            if (const std::vector<QPoint>* coupe = motif_coupe(l, w, h)) {
                for (const QPoint& p : *coupe) {
                    if (p.x() < l.x1() || p.x() > l.x1() + 2) motifs_sages = false;
                    reinterpret_cast<QRgb*>(bits + p.y() * bpl)[p.x()] = pcourbe;
                }
                return;
            }
        }
        segments_.push_back(l);
    };
    auto peindre_segments = [&] {
        if (segments_.empty()) return;
        QPainter g(&img);
        g.setRenderHint(QPainter::Antialiasing, false);
        g.setPen(QPen(en_qcolor(courbe), 0));
        g.drawLines(segments_.data(), static_cast<int>(segments_.size()));
    };
    segments_.clear();

    // The newest sample stands at both ends of the rightmost column, so the
    // columns right of k are new (k is at least 1) while every column from k
    // leftwards shows what the one to its right showed on the last tick.
    // The oldest column is drawn again at the left edge whatever it shows.
    bool defile = false;
    int k = nb - 1;
    if (g && g->valide && g->fond.size() == img.size() && g->fond.format() == img.format() && g->largeur == X0 &&
        g->hauteur == H && g->pfond == pfond && g->pcourbe == pcourbe && static_cast<int>(g->colonnes.size()) == nb &&
        std::all_of(hauteurs_.begin(), hauteurs_.end(), [](const ColonneSimple& c) { return c.dessinee; })) {
        while (k > 1) {
            const ColonneSimple& a = hauteurs_[k - 1];
            const ColonneSimple& b = g->colonnes[k - 2];
            if (a.y1 != b.y1 || a.y2 != b.y2) break;
            --k;
        }
        // Some column moved, and the surface holds the same background as
        // the kept graph.
        defile = k < nb - 1 && L - 2 * (k - 1) >= 1 &&
                 (efface ? g->fond_uni && fond_de_couleur(g->fond, couleur_effacee) : memes_pixels(img, g->fond));
    }

    // Every column as it was (a flat graph at rest): the kept graph is the
    // picture, as it stands.
    bool inchange = defile;
    for (int i = 0; i < nb && inchange; ++i)
        inchange = hauteurs_[i].y1 == g->colonnes[i].y1 && hauteurs_[i].y2 == g->colonnes[i].y2;

    if (inchange) {
        const uchar* garde = g->graphe.constBits();
        const qsizetype bpl_garde = g->graphe.bytesPerLine();
        for (int r = 0; r < h; ++r) std::memcpy(bits + r * bpl, garde + r * bpl_garde, static_cast<size_t>(w) * 4);
        ++defilements_;
    } else if (defile) {
        // The kept graph, two pixels to the left; the strip from the left edge
        // of column k - 1 onwards keeps the background and gets the new
        // columns and the right end of the curve of column k beside them.
        // At the left edge the curves start outside the meter, where the
        // painter clips them: that does not give the pixels of the same curve
        // moved, so the two leftmost pixel columns are drawn again too, from
        // the columns that reach them (their fills kept to those two).
        const int a = L - 2 * (k - 1);
        const int bord = std::min(2, a);
        const int premiere_a_gauche = L / 2; // the first column with L - 2i <= 1
        // Those columns unchanged where they stand (a flat curve) leave the two
        // pixel columns as they were, when the new strip on the right is far
        // enough not to reach them.
        bool gauche_pareille = a >= 4;
        for (int i = premiere_a_gauche; i < nb && gauche_pareille; ++i)
            gauche_pareille = hauteurs_[i].y1 == g->colonnes[i].y1 && hauteurs_[i].y2 == g->colonnes[i].y2;
        const QImage& bord_gauche = gauche_pareille ? g->graphe : g->fond;
        const uchar* garde = g->graphe.constBits();
        const qsizetype bpl_garde = g->graphe.bytesPerLine();
        const uchar* bits_gauche = bord_gauche.constBits();
        const qsizetype bpl_gauche = bord_gauche.bytesPerLine();
        for (int r = 0; r < h; ++r) {
            uchar* ligne = bits + r * bpl;
            std::memcpy(ligne + bord * 4, garde + r * bpl_garde + (bord + 2) * 4, static_cast<size_t>(a - bord) * 4);
            const uchar* gauche = bits_gauche + r * bpl_gauche;
            for (int c = 0; c < bord * 4; ++c) ligne[c] = gauche[c];
            if (efface) {
                QRgb* p = reinterpret_cast<QRgb*>(ligne);
                std::fill(p + std::max(a, 0), p + w, couleur_effacee);
            }
        }
        // The window can move what it shows the same way.
        s.annoncer_defilement(-2);
        for (int i = 0; i < k; ++i) remplir(X0 - 30.0 * i, hauteurs_[i], w);
        if (!gauche_pareille)
            for (int i = premiere_a_gauche; i < nb; ++i) remplir(X0 - 30.0 * i, hauteurs_[i], bord);
        for (int i = 0; i <= k; ++i) tracer(X0 - 30.0 * i, hauteurs_[i]);
        if (!gauche_pareille)
            for (int i = std::max(premiere_a_gauche, k + 1); i < nb; ++i) tracer(X0 - 30.0 * i, hauteurs_[i]);
        peindre_segments();
        ++defilements_;
    } else {
        if (efface) img.fill(QColor::fromRgb(couleur_effacee));
        if (g) {
            // The background is taken, and looked at, only when it changed.
            if (g->fond.size() != img.size() || g->fond.format() != img.format() || !memes_pixels(img, g->fond)) {
                g->fond = img.copy();
                g->fond_uni = true;
                for (int r = 0; r < h && g->fond_uni; ++r) {
                    const QRgb* ligne = reinterpret_cast<const QRgb*>(g->fond.constScanLine(r));
                    g->fond_uni = std::all_of(ligne, ligne + w, [&](QRgb p) { return p == ligne[0]; });
                }
            }
        }
        double x = X0;
        for (const ColonneSimple& c : hauteurs_) {
            if (c.dessinee) {
                remplir(x, c, w);
                tracer(x, c);
            }
            x -= 30;
        }
        peindre_segments();
    }

    if (!g) return;
    // Kept for the next tick: the graph as drawn, its heights, and whether the
    // background scrolls (every row of one colour).
    if (!defile) {
        g->valide = motifs_sages && g->fond_uni &&
                    std::all_of(hauteurs_.begin(), hauteurs_.end(), [](const ColonneSimple& c) { return c.dessinee; });
        g->largeur = X0;
        g->hauteur = H;
        g->pfond = pfond;
        g->pcourbe = pcourbe;
    } else if (!motifs_sages) {
        g->valide = false;
    }
    // (An unchanged graph is kept as it is.)
    if (!inchange) {
        if (g->graphe.size() != img.size() || g->graphe.format() != img.format() ||
            g->graphe.bytesPerLine() != img.bytesPerLine())
            g->graphe = img.copy();
        else {
            // Row by row, like the scroll above.
            uchar* garde = g->graphe.bits();
            for (int r = 0; r < h; ++r) std::memcpy(garde + r * bpl, bits + r * bpl, static_cast<size_t>(w) * 4);
        }
    }
    g->echantillons = echantillons;
    g->cle = cle;
    g->colonnes.swap(hauteurs_);
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
    if (prog.lissage) {
        colonnes_lissees(*s, t, static_cast<int>(arrondi(201 - s->Width() / 30)), 0, s->Width(), -3, -1, false, y, y);
        // On its fixed scale the graph moves one column (two pixels) left a
        // tick, and the window can move what it shows the same way.
        if (s->ScaleMode() != PictureBox::vbPixels) s->annoncer_defilement(-2);
    } else {
        echantillons_.assign(historique_cpu.begin(), historique_cpu.end());
        colonnes_simples(*s, t, 201, y, y, echantillons_, 0);
    }
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
    echantillons_.assign(historique_ram.begin(), historique_ram.end());
    colonnes_simples(*s, t, 201, y, y, echantillons_, 0);
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
    else {
        echantillons_.clear();
        if (rang >= 0 && rang < static_cast<int>(historiques.size()))
            echantillons_.assign(historiques[rang].begin(), historiques[rang].end());
        colonnes_simples(s, t, 21, y, y, echantillons_, p);
    }
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
    else {
        echantillons_.clear();
        if (k >= 0 && k < static_cast<int>(historique_rezo.size()))
            echantillons_.assign(historique_rezo[k].begin(), historique_rezo[k].end());
        colonnes_simples(s, t, 201, y1, y2, echantillons_, k >= 0 && k < 31 ? echelle_rezo[k] : 0);
    }
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
        bool ok = t([&] { s.setForeColor(c); });
        ok = t([&] {
                 if (espion) espion(TraceDessin{QStringLiteral("PSet"), &s, px, 0, px, 0, BLANC, {}});
                 s.PSet(px, 0, BLANC);
             }) &&
             ok;
        ok = t([&] {
                 if (espion) espion(TraceDessin{QStringLiteral("Print"), &s, s.CurrentX, s.CurrentY, 0, 0, c, texte});
                 s.Print(texte);
             }) &&
             ok;
        return ok;
    };

    // The caption changes only the pixels inside its zone, each one from what
    // lay there alone. So when the text and what lies under it are those of
    // a recent tick, the pixels it gave then are put back instead of writing
    // the text twice again.
    QImage& img = s.image();
    LegendeGardee* l = nullptr;
    if (!espion && s.ScaleMode() != PictureBox::vbPixels &&
        (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32)) {
        const auto [gardees, autre_controle] = entree_de(legendes_, s);
        std::vector<LegendeGardee>& textes = gardees->textes;
        const QFont police = s.Font();
        // Captions written on another control, size, format or font are of
        // no use any more (they all share those of the last one).
        if (autre_controle ||
            (!textes.empty() && (textes.back().taille != img.size() || textes.back().format != img.format() ||
                                 textes.back().police != police)))
            textes.clear();
        const auto it = std::find_if(textes.begin(), textes.end(),
                                     [&](const LegendeGardee& g) { return g.texte == texte && g.x == x; });
        if (it == textes.end()) {
            // A new text is written the ordinary way; it is kept from its
            // second time on, as most change at every tick.
            if (textes.size() >= LegendesGardees::TEXTES) textes.erase(textes.begin());
            LegendeGardee& n = textes.emplace_back();
            n.texte = texte;
            n.x = x;
            n.taille = img.size();
            n.format = img.format();
            n.police = police;
        } else {
            std::rotate(it, it + 1, textes.end());
            l = &textes.back();
        }
        if (l && !l->zone_connue) {
            // Every pixel the text may touch, as its font tells, for the
            // shadow and the text, with the two single pixels set before
            // them and a margin.
            const QFontMetrics fm(police, &img);
            const QRect encre = fm.boundingRect(texte);
            const int a = en_pixel(x, TWIPS_PAR_PIXEL), b = en_pixel(x + 15, TWIPS_PAR_PIXEL);
            QRect z = encre.translated(a, fm.ascent()) | encre.translated(b, fm.ascent());
            z |= QRect(std::min(a, b), 0, std::abs(a - b) + 1, 1);
            l->zone = z.adjusted(-2, -2, 2, 2) & img.rect();
            l->zone_connue = true;
            l->pixels.clear();
            l->valide = false;
        }
    }
    // Each pixel of the zone remembers what the caption made of the last few
    // colours it found there; when every pixel finds its colour, that is the
    // caption, without writing the text.
    const QRect z = l ? l->zone : QRect();
    const int zl = z.width();
    // The zone's rows are reached from the image's first pixel, row by row.
    const qsizetype bpl = img.bytesPerLine();
    // Puts back the pixels the text gave last time, and leaves the text
    // position and the repaint as writing it would.
    auto remettre = [&] {
        s.PSet(x, 0, BLANC);
        uchar* zone = img.bits() + z.top() * bpl + z.left() * 4;
        for (int r = 0; r < z.height(); ++r)
            std::memcpy(zone + r * bpl, l->sortie.data() + r * zl, static_cast<size_t>(zl) * 4);
        s.setForeColor(NOIR);
        s.CurrentX = 0;
        s.CurrentY = l->y_apres;
        ++legendes_reprises_;
    };
    if (l && l->zone_connue && !z.isEmpty()) {
        const std::size_t nz = static_cast<std::size_t>(z.width()) * static_cast<std::size_t>(z.height());
        // The same text over the same pixels as last time: the same result,
        // without looking pixel by pixel.
        bool meme_fond = l->valide && l->sortie_de_avant && l->avant.size() == nz && l->sortie.size() == nz;
        const uchar* zone = img.constBits() + z.top() * bpl + z.left() * 4;
        for (int r = 0; r < z.height() && meme_fond; ++r)
            meme_fond = std::memcmp(zone + r * bpl, l->avant.data() + r * zl, static_cast<size_t>(zl) * 4) == 0;
        if (meme_fond) {
            remettre();
            return;
        }
        if (l->pixels.size() != nz) l->pixels.assign(nz, LegendeGardee::Pixel{});
        l->avant.resize(nz);
        l->sortie.resize(nz);
        l->sortie_de_avant = false;
        for (int r = 0; r < z.height(); ++r)
            std::memcpy(l->avant.data() + r * zl, zone + r * bpl, static_cast<size_t>(zl) * 4);
        bool connus = l->valide;
        for (std::size_t i = 0; i < nz && connus; ++i) {
            const LegendeGardee::Pixel& p = l->pixels[i];
            int j = 0;
            while (j < p.n && p.fond[j] != l->avant[i]) ++j;
            if (j == p.n) connus = false;
            else l->sortie[i] = p.resultat[j];
        }
        if (connus) {
            l->sortie_de_avant = true;
            remettre();
            return;
        }
    }

    // A white copy one pixel to the right, behind the black text.
    const bool ombre = ecrire(x + 15, BLANC);
    const bool ok = ecrire(x, NOIR) && ombre;
    if (l && l->zone_connue && !z.isEmpty()) {
        if (!ok) {
            l->valide = false;
            return;
        }
        // What each colour gave, the oldest forgotten first.
        const uchar* zone = img.constBits() + z.top() * bpl + z.left() * 4;
        for (int r = 0; r < z.height(); ++r) {
            const QRgb* ligne = reinterpret_cast<const QRgb*>(zone + r * bpl);
            for (int c = 0; c < zl; ++c) {
                const std::size_t i = static_cast<std::size_t>(r) * static_cast<std::size_t>(zl) + c;
                LegendeGardee::Pixel& p = l->pixels[i];
                const QRgb fond = l->avant[i];
                int j = 0;
                while (j < p.n && p.fond[j] != fond) ++j;
                if (j == p.n) {
                    if (p.n < LegendeGardee::COULEURS) ++p.n;
                    for (j = p.n - 1; j > 0; --j) {
                        p.fond[j] = p.fond[j - 1];
                        p.resultat[j] = p.resultat[j - 1];
                    }
                }
                p.fond[j] = fond;
                p.resultat[j] = ligne[c];
                l->sortie[i] = ligne[c];
            }
        }
        l->sortie_de_avant = true;
        l->y_apres = s.CurrentY;
        l->valide = true;
    }
}

} // namespace tk
