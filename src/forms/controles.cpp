#include "forms/controles.h"

#include "diag/erreur.h"
#include "diag/numerique.h"
#include "forms/forme.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBackingStore>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStaticText>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>

#include <cstring>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tk {

int vers_pixels(double twips) { return static_cast<int>(arrondi(twips / TWIPS_PAR_PIXEL)); }

float twips_valide(double v, bool taille) {
    if (!std::isfinite(v) || (taille && v < 0)) lever(ERR_VALEUR_PROPRIETE);
    return static_cast<float>(v);
}

QFont police(Police face, double points, bool gras) {
    // Both designed faces are bitmap faces whose texts were sized for them.
    // "MS Sans Serif": DejaVu Sans Condensed, close in width and line height
    // (13 pixels at 8.25 pt) and well hinted at small sizes. "Small Fonts":
    // Nimbus Sans Narrow, as narrow, with small glyphs in a tall cell, so that
    // text written at the top of a meter keeps a few blank rows above it.
    const bool petite = face == Police::SmallFonts;
    QFont f(petite ? QStringLiteral("Nimbus Sans Narrow") : QStringLiteral("DejaVu Sans Condensed"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    f.setBold(gras);
    return f;
}

ArgumentsSouris arguments_souris(const QMouseEvent& m) {
    ArgumentsSouris a;
    auto bouton = [](Qt::MouseButtons b) {
        int r = 0;
        if (b & Qt::LeftButton) r |= vbLeftButton;
        if (b & Qt::RightButton) r |= vbRightButton;
        if (b & Qt::MiddleButton) r |= vbMiddleButton;
        return r;
    };
    a.bouton = bouton(m.type() == QEvent::MouseMove ? m.buttons() : Qt::MouseButtons(m.button()));
    if (m.modifiers() & Qt::ShiftModifier) a.shift |= 1;
    if (m.modifiers() & Qt::ControlModifier) a.shift |= 2;
    if (m.modifiers() & Qt::AltModifier) a.shift |= 4;
    const QPointF p = m.position() * TWIPS_PAR_PIXEL;
    a.x = static_cast<float>(p.x());
    a.y = static_cast<float>(p.y());
    return a;
}

QColor en_qcolor(Couleur c) {
    if (c & SYS_COULEUR) {
        const QPalette p = QApplication::palette();
        switch (c & 0xFFu) {
        case COLOR_ACTIVECAPTION: return p.color(QPalette::Active, QPalette::Highlight);
        case COLOR_INACTIVECAPTION: return p.color(QPalette::Active, QPalette::Mid);
        case COLOR_WINDOW: return p.color(QPalette::Base);
        case COLOR_WINDOWTEXT: return p.color(QPalette::WindowText);
        case COLOR_INFOTEXT: return p.color(QPalette::ToolTipText);
        case COLOR_INFOBK: return p.color(QPalette::ToolTipBase);
        case COLOR_BTNFACE:
        default: return p.color(QPalette::Button);
        }
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

Couleur depuis_qcolor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---------------------------------------------------------------- Controle

Controle::Controle(QWidget* widget, QString nom) : widget_(widget), nom_(std::move(nom)) {
    widget_->installEventFilter(this);
    widget_->setMouseTracking(true);
    // A control takes its own mouse events: what happens over it never reaches
    // the window or the control beneath.
    widget_->setAttribute(Qt::WA_NoMousePropagation);
    const QRect g = widget_->geometry();
    left_ = static_cast<float>(g.x() * TWIPS_PAR_PIXEL);
    top_ = static_cast<float>(g.y() * TWIPS_PAR_PIXEL);
    width_ = static_cast<float>(g.width() * TWIPS_PAR_PIXEL);
    height_ = static_cast<float>(g.height() * TWIPS_PAR_PIXEL);
    widget_->show();
}

Controle::~Controle() {
    if (widget_) delete widget_.data();
}

void Controle::appliquer_geometrie() {
    if (!widget_) return;
    widget_->setGeometry(vers_pixels(left_), vers_pixels(top_), std::max(0, vers_pixels(width_)),
                         std::max(0, vers_pixels(height_)));
    geometrie_changee();
}

void GeometrieTwips::setLeft(double v) {
    left_ = twips_valide(v);
    appliquer_geometrie();
}
void GeometrieTwips::setTop(double v) {
    top_ = twips_valide(v);
    appliquer_geometrie();
}
void GeometrieTwips::setWidth(double v) {
    width_ = twips_valide(v, true);
    appliquer_geometrie();
}
void GeometrieTwips::setHeight(double v) {
    height_ = twips_valide(v, true);
    appliquer_geometrie();
}
void GeometrieTwips::Move(double left, double top, double width, double height) {
    // All four are checked before any is kept.
    const float l = twips_valide(left), t = twips_valide(top);
    const float w = twips_valide(width, true), h = twips_valide(height, true);
    left_ = l;
    top_ = t;
    width_ = w;
    height_ = h;
    appliquer_geometrie();
}

void Controle::setVisible(bool v) {
    visible_ = v;
    if (widget_) widget_->setVisible(v);
}
QString Controle::ToolTipText() const { return infobulle_; }
void Controle::setToolTipText(const QString& t) {
    infobulle_ = t;
    if (!widget_) return;
    // A tool-tip shows its text as it is: text that looks like markup (a mail
    // server's reply, say) is escaped rather than interpreted.
    if (Qt::mightBeRichText(t))
        widget_->setToolTip(QStringLiteral("<p style='white-space:pre'>") + t.toHtmlEscaped() + QStringLiteral("</p>"));
    else widget_->setToolTip(t);
}
void Controle::ZOrder() {
    if (widget_) widget_->raise();
}
void Controle::ZOrder(const std::vector<Controle*>& controles) {
    // Raised one after another, the controls end up on top of their parents'
    // stacking in this order. Where that is already so, raising them again
    // would change nothing but make each repaint (and what shows through
    // them), so they are left as they are.
    std::vector<std::pair<QWidget*, std::vector<QWidget*>>> par_parent;
    bool en_place = true;
    for (Controle* c : controles) {
        if (!c || !c->widget_ || !c->widget_->parentWidget()) {
            en_place = false;
            break;
        }
        QWidget* parent = c->widget_->parentWidget();
        auto it = std::find_if(par_parent.begin(), par_parent.end(), [&](const auto& e) { return e.first == parent; });
        if (it == par_parent.end()) it = par_parent.insert(par_parent.end(), {parent, {}});
        it->second.push_back(c->widget_);
    }
    for (const auto& [parent, voulus] : par_parent) {
        if (!en_place) break;
        std::vector<QWidget*> dessus;
        const QObjectList& enfants = parent->children();
        for (auto it = enfants.rbegin(); it != enfants.rend() && dessus.size() < voulus.size(); ++it)
            if (auto* w = qobject_cast<QWidget*>(*it)) dessus.insert(dessus.begin(), w);
        en_place = dessus == voulus;
    }
    if (en_place) return;
    for (Controle* c : controles)
        if (c) c->ZOrder();
}
bool Controle::Enabled() const { return widget_ && widget_->isEnabled(); }
void Controle::setEnabled(bool e) {
    if (widget_) widget_->setEnabled(e);
}
void Controle::setContainer(Controle* conteneur) {
    if (!widget_ || !conteneur || !conteneur->widget()) return;
    // Already inside: nothing to move (a new parent would hide the widget
    // and repaint it).
    if (widget_->parentWidget() != conteneur->widget()) widget_->setParent(conteneur->widget());
    appliquer_geometrie();
    widget_->setVisible(visible_);
}
void Controle::setMousePointer(const QCursor& curseur) {
    if (widget_) widget_->setCursor(curseur);
}

void Controle::copier_base(Controle& copie) const {
    copie.nom_ = nom_;
    copie.left_ = left_;
    copie.top_ = top_;
    copie.width_ = width_;
    copie.height_ = height_;
    copie.MouseDown = MouseDown;
    copie.MouseUp = MouseUp;
    copie.MouseMove = MouseMove;
    copie.Click = Click;
    copie.DblClick = DblClick;
    if (widget_ && copie.widget_) {
        copie.setToolTipText(infobulle_);
        copie.widget_->setCursor(widget_->cursor());
        copie.widget_->setEnabled(widget_->isEnabled());
    }
    copie.appliquer_geometrie();
    copie.setVisible(false);
}

bool Controle::eventFilter(QObject* objet, QEvent* e) {
    if (objet != widget_) return false;
    auto souris = [&](const GestionSouris& g) {
        const ArgumentsSouris a = arguments_souris(*static_cast<QMouseEvent*>(e));
        if (g) g(index_, a.bouton, a.shift, a.x, a.y);
    };
    switch (e->type()) {
    case QEvent::MouseButtonPress: souris(MouseDown); break;
    case QEvent::MouseButtonRelease: {
        souris(MouseUp);
        auto* m = static_cast<QMouseEvent*>(e);
        if (clic_au_relachement() && m->button() == Qt::LeftButton && Click && widget_ &&
            widget_->rect().contains(m->position().toPoint()))
            Click(index_);
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (DblClick) DblClick(index_);
        break;
    case QEvent::MouseMove:
        souris(MouseMove);
        if (widget_)
            if (auto* fenetre = dynamic_cast<FenetreForme*>(widget_->window())) fenetre->souris_sur_controle();
        break;
    default: break;
    }
    return false;
}

// ---------------------------------------------------------------- PictureBox

// The widget behind a picture box: paints its picture, then its image.
//
// Until something is drawn on it or a picture is set, a box is its
// background colour all over, and its pixels are not made: they are made,
// filled with that colour, the first time they are asked for. A box used only
// as a plain background (the pages of the hidden options dialog, about 270 KB
// each) never holds an image.
class Surface : public QWidget {
public:
    explicit Surface(QWidget* parent) : QWidget(parent) {
        // The image covers the whole widget: what lies beneath never shows,
        // so a redrawn meter does not make the window paint under it.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage image; // null while the box is plain
    QSize taille{1, 1};
    bool uni = true;

    // A meter draws several times a tick (clear, graph, caption). The first
    // drawing of a round asks for one look at its pixels after the round, for
    // every box drawn on in it: a timer's tick is a round, looked at when the
    // tick ends (no event of its own); outside a tick, one queued call looks
    // once the events at hand are done. A box keeps a copy of what the window
    // shows of it (`montree`, taken from its paints into the window): only
    // the blocks of pixels that now differ from it are repainted, so a graph
    // at rest under the same caption repaints nothing, a low curve under an
    // unchanged caption only its own rows, and a graph that scrolled is moved
    // where the window shows it and sends only what is new. Without a
    // faithful copy (never painted whole into the window, hidden since,
    // painted another way) the whole box is repainted. An ask Qt drops
    // (hidden, updates off, no window surface yet) is not counted; showing
    // repaints it all anyway.
    bool repeinte_demandee = false;
    bool comparaison_demandee = false;
    QImage montree;
    bool montree_fidele = false;
    // The sideways move the drawer announced for this round (0: none).
    int defilement_annonce = 0;

    void demander_repeinte() {
        if (repeinte_demandee || comparaison_demandee) return;
        if (!montree_fidele) {
            repeindre();
            return;
        }
        comparaison_demandee = true;
        // Outside a tick the list is empty unless a call is already queued:
        // a tick's end always empties it.
        std::vector<Surface*>& file = a_comparer();
        const bool premiere = file.empty();
        file.push_back(this);
        if (ticks_en_cours() > 0) veiller_avant_le_sommeil();
        else if (premiere)
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { comparer_les_surfaces(); }, Qt::QueuedConnection);
    }

    // The ticks running now (one inside another when a tick waits in a loop
    // of its own, a dialog for instance).
    static int& ticks_en_cours() {
        static int n = 0;
        return n;
    }
    // Looks at every box drawn on since the last look.
    static void comparer_les_surfaces() {
        std::vector<Surface*> file;
        file.swap(a_comparer());
        fenetre_du_tour() = {};
        for (Surface* s : file) {
            s->comparaison_demandee = false;
            s->repeindre_ce_qui_change();
        }
        fenetre_du_tour() = {};
        montrer_ce_qui_est_envoye();
    }
    ~Surface() override { oublier(); }

    // The pixels, made on first use, cleared when a clear is pending.
    QImage& pixels() {
        if (uni) {
            image = QImage(taille, QImage::Format_RGB32);
            image.fill(couleur_fond);
            uni = false;
        }
        effacer_si_demande();
        return image;
    }
    // A clear of a box that has pixels (Cls never asks one of a plain box)
    // is done when they are next looked at, so that a drawer that covers
    // every pixel anyway (a scrolled graph) can take them as they are and
    // save filling and reading them again.
    bool effacement_en_attente = false;
    QColor couleur_effacement;
    void effacer_si_demande() {
        if (!effacement_en_attente) return;
        effacement_en_attente = false;
        image.fill(couleur_effacement);
    }
    QPixmap fond;
    QColor couleur_fond = Qt::lightGray;

    // Texts written on the surface, laid out once per text and font and then
    // drawn from that layout: a meter writes its caption twice a tick (a white
    // shadow, then the text) and the same figures come back often. Most
    // recently used last; the whole cache goes when the font changes.
    struct TexteMisEnPage {
        QString texte;
        QStaticText statique;
    };
    QFont police_textes;
    int ascent_entier = 0;    // the text cell's ascent, whole pixels
    double ascent_exact = 0;  // the same ascent as the layout places the baseline
    double hauteur_ligne = 0; // line height in pixels, whole
    std::vector<TexteMisEnPage> textes;
    static constexpr std::size_t TEXTES_GARDES = 8;

    const QStaticText& texte_mis_en_page(const QString& texte, const QFont& police) {
        if (textes.empty() || police_textes != police) {
            textes.clear();
            police_textes = police;
            const QFontMetrics fm(police, &image);
            const QFontMetricsF fmf(police, &image);
            ascent_entier = fm.ascent();
            ascent_exact = fmf.ascent();
            hauteur_ligne = fm.height();
        }
        for (std::size_t i = textes.size(); i-- > 0;) {
            if (textes[i].texte != texte) continue;
            if (i + 1 != textes.size())
                std::rotate(textes.begin() + static_cast<std::ptrdiff_t>(i),
                            textes.begin() + static_cast<std::ptrdiff_t>(i) + 1, textes.end());
            return textes.back().statique;
        }
        if (textes.size() >= TEXTES_GARDES) textes.erase(textes.begin());
        QStaticText st(texte);
        st.setTextFormat(Qt::PlainText);
        st.prepare(QTransform(), police);
        textes.push_back({texte, std::move(st)});
        return textes.back().statique;
    }
    void redimensionner(QSize nouvelle_taille) {
        if (nouvelle_taille.isEmpty()) nouvelle_taille = QSize(1, 1);
        if (taille == nouvelle_taille) return;
        taille = nouvelle_taille;
        if (uni) return;
        effacer_si_demande();
        QImage nouvelle(taille, QImage::Format_RGB32);
        nouvelle.fill(couleur_fond);
        QPainter p(&nouvelle);
        p.drawImage(0, 0, image);
        image = nouvelle;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Show || e->type() == QEvent::Hide || e->type() == QEvent::UpdateLater) {
            repeinte_demandee = false;
            montree_fidele = false;
        }
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent* e) override {
        repeinte_demandee = false;
        effacer_si_demande();
        // A paint into the window from the box's pixels brings the copy of
        // what the window shows up to date; one through a painter makes it
        // unknown. A paint elsewhere (a grab) leaves it.
        QPoint decalage;
        QBackingStore* bs = backingStore();
        const bool dans_la_fenetre = bs && redirected(&decalage) == bs->paintDevice();
        if (!uni && copier_sur_la_cible(e->region())) {
            if (dans_la_fenetre) garder_ce_qui_est_montre(e->region());
            return;
        }
        if (dans_la_fenetre) montree_fidele = false;
        QPainter p(this);
        const QRect r = e->rect();
        if (uni) p.fillRect(r, couleur_fond);
        else p.drawImage(r.topLeft(), image, r);
    }

private:
    void repeindre() {
        update();
        repeinte_demandee = isVisible() && updatesEnabled() && backingStore() != nullptr;
    }

    // The boxes drawn on since the last look, in the order they were drawn.
    static std::vector<Surface*>& a_comparer() {
        static std::vector<Surface*> file;
        return file;
    }
    void oublier() {
        std::vector<Envoi>& envois = envois_du_tour().envois;
        envois.erase(std::remove_if(envois.begin(), envois.end(), [this](const Envoi& e) { return e.boite == this; }),
                     envois.end());
        if (!comparaison_demandee) return;
        std::vector<Surface*>& file = a_comparer();
        file.erase(std::remove(file.begin(), file.end(), this), file.end());
    }
    // A tick that waits in a loop of its own (a dialog) ends late: boxes drawn
    // meanwhile outside any tick (a button under the pointer) are looked at
    // before that loop sleeps.
    static void veiller_avant_le_sommeil() {
        static bool branche = false;
        if (branche) return;
        QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
        if (!d) return;
        branche = true;
        QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, QCoreApplication::instance(), [] {
            if (!a_comparer().empty()) comparer_les_surfaces();
        });
    }

    // Asks for a repaint of what differs from what the window shows, in
    // blocks of columns: a caption that changed repaints its own few columns,
    // not whole rows. When the drawer announced a sideways move and moving
    // what the window shows leaves fewer blocks to send, the window moves it
    // (`QWidget::scroll`: with the X backend, a copy inside the server) and
    // only the blocks that still differ are repainted: a scrolled graph sends
    // its new columns and its caption instead of all its pixels.
    void repeindre_ce_qui_change() {
        const int dx = defilement_annonce;
        defilement_annonce = 0;
        effacer_si_demande();
        if (!montree_fidele || uni || montree.size() != image.size() || montree.format() != image.format() ||
            montree.bytesPerLine() != image.bytesPerLine() || image.depth() != 32) {
            repeindre();
            return;
        }
        const int w = image.width(), h = image.height();
        const int bloc = std::max(16, (w + 63) / 64); // at most 64 blocks: one bit each in a row's mask
        const int nb = (w + bloc - 1) / bloc;
        masques_.assign(static_cast<size_t>(h), 0);
        int a_envoyer = 0;
        // Both images have the same rows (checked above).
        const qsizetype bpl = image.bytesPerLine();
        const uchar* const pixels_image = image.constBits();
        const uchar* const pixels_montres = montree.constBits();
        for (int y = 0; y < h; ++y) {
            const uchar* a = pixels_image + y * bpl;
            const uchar* b = pixels_montres + y * bpl;
            if (std::memcmp(a, b, static_cast<size_t>(w) * 4) == 0) continue;
            uint64_t m = 0;
            for (int i = 0; i < nb; ++i) {
                const int x = i * bloc, n = std::min(bloc, w - x);
                if (differents(a + x * 4, b + x * 4, n)) {
                    m |= uint64_t{1} << i;
                    ++a_envoyer;
                }
            }
            masques_[static_cast<size_t>(y)] = m;
        }
        if (a_envoyer == 0) return;
        QImage* cible = image_de_la_fenetre();
        // Parts sent straight to the server are sent as they are: a move
        // done in the backing store's copy of the window costs the server
        // more requests than the bytes it saves.
        const bool envoi_direct = cible && PictureBox::envoi_direct();
        if (!envoi_direct && dx != 0 && std::abs(dx) < w && a_envoyer > nb && peut_defiler()) {
            // The window would show at x what it shows now at x - dx; the
            // strip the move uncovers is sent whatever it holds.
            const int debut = std::max(0, dx), fin = std::min(w, w + dx); // columns the move fills
            masques_defiles_.assign(static_cast<size_t>(h), 0);
            int apres = 0;
            for (int y = 0; y < h && apres < a_envoyer; ++y) {
                const uchar* a = pixels_image + y * bpl;
                const uchar* b = pixels_montres + y * bpl;
                uint64_t m = 0;
                for (int i = 0; i < nb; ++i) {
                    const int x = i * bloc, x2 = std::min(w, x + bloc);
                    const int c1 = std::max(x, debut), c2 = std::min(x2, fin);
                    if (c1 > x || c2 < x2 || differents(a + c1 * 4, b + (c1 - dx) * 4, c2 - c1)) {
                        m |= uint64_t{1} << i;
                        ++apres;
                    }
                }
                masques_defiles_[static_cast<size_t>(y)] = m;
            }
            if (apres < a_envoyer) {
                // In the window's image when the box writes there, by Qt otherwise.
                if (!cible || !defiler_dans_la_fenetre(dx)) {
                    cible = nullptr;
                    scroll(dx, 0, rect());
                }
                // What the window shows moved the same way.
                uchar* const montres = montree.bits();
                for (int y = 0; y < h; ++y) {
                    uchar* ligne = montres + y * bpl;
                    std::memmove(ligne + debut * 4, ligne + (debut - dx) * 4, static_cast<size_t>(fin - debut) * 4);
                }
                masques_.swap(masques_defiles_);
            }
        }
        // Runs of changed rows (a couple of rows apart count as one run) are
        // repainted in the blocks changed anywhere in the run, each stretch of
        // them as one rectangle: a few rectangles a box, as every rectangle
        // costs the window a pass of its own.
        rectangles_.clear();
        for (int y = 0; y < h;) {
            uint64_t m = masques_[static_cast<size_t>(y)];
            if (m == 0) {
                ++y;
                continue;
            }
            int y2 = y + 1; // past the last changed row of the run
            for (int z = y2; z < h && z <= y2 + 2; ++z)
                if (masques_[static_cast<size_t>(z)] != 0) {
                    m |= masques_[static_cast<size_t>(z)];
                    y2 = z + 1;
                }
            for (int i = 0; i < nb;) {
                if (!(m >> i & 1)) {
                    ++i;
                    continue;
                }
                int j = i + 1;
                while (j < nb && (m >> j & 1)) ++j;
                rectangles_.push_back(QRect(i * bloc, y, std::min(w, j * bloc) - i * bloc, y2 - y));
                i = j;
            }
            y = y2;
        }
        QRegion r;
        r.setRects(rectangles_.data(), static_cast<int>(rectangles_.size()));
        if (cible) envoyer_a_la_fenetre(*cible, r);
        else update(r);
    }

    // Sending a round's changes to the window directly. The usual way, an
    // update per box, posts an event to the window, wakes the loop once
    // more, and has Qt work out again which widgets to paint, each with a
    // paint event of its own: more than copying the few blocks that changed.
    // A box that nothing covers, in a window on show at one pixel per pixel,
    // copies its changed blocks into the window's own image itself (the
    // window shows what that image holds, also after an expose) and has its
    // scroll done there too. The copies of a round are made when it ends,
    // for all its boxes at once, in one paint of the backing store (which
    // keeps its own copy of the window right and, with images shared with
    // the server, waits for the server to be done with them first); the
    // window is then shown the parts, straight from its image when the
    // platform can. Anything else goes the usual way.
    struct Envoi {
        Surface* boite;
        QRegion partie; // in the box's pixels
        QPoint origine; // of the box in the window
    };
    struct EnvoisDuTour {
        QPointer<QWidget> fenetre;
        QImage* cible = nullptr;
        std::vector<Envoi> envois;
        QRegion defile;             // what the backing store moved in its copy of the window
        std::vector<QRect> parties; // the parts in the window, for the platform
    };
    static EnvoisDuTour& envois_du_tour() {
        static EnvoisDuTour t;
        return t;
    }
    static void montrer_ce_qui_est_envoye() {
        EnvoisDuTour& t = envois_du_tour();
        QWidget* f = t.fenetre;
        QImage* cible = t.cible;
        t.fenetre = nullptr;
        t.cible = nullptr;
        QRegion defile;
        defile.swap(t.defile);
        QBackingStore* bs = f ? f->backingStore() : nullptr;
        if (bs && f->windowHandle() && cible && (!t.envois.empty() || !defile.isEmpty())) {
            QRegion dans_la_fenetre;
            t.parties.clear();
            for (const Envoi& e : t.envois) {
                dans_la_fenetre += e.partie.translated(e.origine);
                for (const QRect& r : e.partie) t.parties.push_back(r.translated(e.origine));
            }
            if (!t.envois.empty()) {
                bs->beginPaint(dans_la_fenetre);
                for (const Envoi& e : t.envois) {
                    e.boite->copier_dans(*cible, e.partie, -e.origine);
                    e.boite->garder_ce_qui_est_montre(e.partie);
                }
                bs->endPaint();
                if (PictureBox::observateur_envois())
                    for (const Envoi& e : t.envois) PictureBox::observateur_envois()(e.boite, e.partie);
            }
            // A move done in the backing store's copy is shown by the backing store.
            if (!defile.isEmpty() || !PictureBox::envoi_direct() ||
                !PictureBox::envoi_direct()(f->windowHandle(), *cible, t.parties))
                bs->flush(dans_la_fenetre + defile, f->windowHandle());
        }
        t.envois.clear();
    }
    // The image of the window a round last looked at, when boxes may write
    // into it: its checks hold for every box of that window in the round,
    // as nothing else runs between them.
    struct FenetreDuTour {
        const QWidget* fenetre = nullptr;
        QImage* cible = nullptr;
    };
    static FenetreDuTour& fenetre_du_tour() {
        static FenetreDuTour f;
        return f;
    }
    // The window's image, when this box may write into it directly.
    QImage* image_de_la_fenetre() {
        QWidget* f = window();
        FenetreDuTour& tour = fenetre_du_tour();
        if (tour.fenetre != f) {
            tour = {f, nullptr};
            QBackingStore* bs = f->backingStore();
            QWindow* fw = f->windowHandle();
            QPaintDevice* d = bs ? bs->paintDevice() : nullptr;
            if (bs && fw && fw->isExposed() && bs->size() == f->size() && fw->devicePixelRatio() == 1.0 && d &&
                d->devType() == QInternal::Image && copiable_dans(*static_cast<QImage*>(d)))
                tour.cible = static_cast<QImage*>(d);
        }
        QImage* cible = tour.cible;
        if (!cible || rect().size() != image.size() || !cible->rect().contains(QRect(mapTo(f, QPoint()), size())))
            return nullptr;
        // On show, wholly inside its parents, no widget of its own, none over
        // it, and neither a window of its own nor a mask between it and the
        // window.
        if (!peut_defiler()) return nullptr;
        // (isWidgetType is a flag where a cast would look up the class.)
        for (const QObject* o : children())
            if (o->isWidgetType() && !static_cast<const QWidget*>(o)->isWindow() &&
                !static_cast<const QWidget*>(o)->isHidden())
                return nullptr;
        for (const QWidget* w = this; !w->isWindow(); w = w->parentWidget()) {
            if (w->internalWinId() || !w->mask().isEmpty()) return nullptr;
            const QWidget* p = w->parentWidget();
            const QRect zone(mapTo(p, QPoint()), size());
            const QObjectList& freres = p->children();
            for (auto it = std::find(freres.begin(), freres.end(), w); it != freres.end(); ++it) {
                if (*it == w || !(*it)->isWidgetType()) continue;
                const auto* f2 = static_cast<const QWidget*>(*it);
                if (!f2->isWindow() && !f2->isHidden() && f2->geometry().intersects(zone)) return nullptr;
            }
        }
        if (envois_du_tour().fenetre && envois_du_tour().fenetre != f) montrer_ce_qui_est_envoye();
        return cible;
    }
    // Moves what the window shows of the box by dx: only the part whose new
    // place is still inside the box is moved (the backing store moves the
    // whole area it is given, past the box into its neighbour otherwise).
    bool defiler_dans_la_fenetre(int dx) {
        QWidget* f = window();
        const QRect zone(mapTo(f, QPoint()), size());
        const QRect source = (zone.translated(dx, 0) & zone).translated(-dx, 0);
        if (source.isEmpty() || !f->backingStore()->scroll(source, dx, 0)) return false;
        EnvoisDuTour& t = envois_du_tour();
        t.fenetre = f;
        t.cible = fenetre_du_tour().cible;
        t.defile += zone;
        return true;
    }
    void envoyer_a_la_fenetre(QImage& cible, const QRegion& r) {
        EnvoisDuTour& t = envois_du_tour();
        t.fenetre = window();
        t.cible = &cible;
        t.envois.push_back({this, r, mapTo(window(), QPoint())});
    }

    // Whether n pixels differ: one pass with no early exit, which the
    // compiler turns into vector code, for blocks too short for a call of
    // memcmp to pay off.
    static bool differents(const uchar* a, const uchar* b, int n) {
        uint32_t x = 0;
        for (int k = 0; k < n; ++k) {
            uint32_t pa, pb;
            std::memcpy(&pa, a + k * 4, 4);
            std::memcpy(&pb, b + k * 4, 4);
            x |= pa ^ pb;
        }
        return x != 0;
    }

    // The move of what the window shows is left to Qt only where it shows
    // all of the box: a box cut by its parents would move pixels that are
    // not on show, and the copy of what the window shows would be wrong.
    bool peut_defiler() const {
        if (!isVisible() || !updatesEnabled() || !backingStore()) return false;
        for (const QWidget* w = this; !w->isWindow(); w = w->parentWidget())
            if (!w->parentWidget() || !w->parentWidget()->rect().contains(w->geometry())) return false;
        return true;
    }
    std::vector<uint64_t> masques_, masques_defiles_;
    std::vector<QRect> rectangles_;

    // Whether `region` covers all of `zone`. A region's rectangles never
    // overlap, so their parts inside the zone cover it when their areas add
    // up to its own: no region is made for the test, on every box a tick.
    static bool couvre(const QRegion& region, const QRect& zone) {
        qint64 aire = 0;
        for (const QRect& r : region) {
            const QRect dedans = r & zone;
            if (!dedans.isEmpty()) aire += qint64(dedans.width()) * dedans.height();
        }
        return aire == qint64(zone.width()) * zone.height();
    }
    // A paint into the window's own image: the copy of what it shows takes
    // the rows painted, or is made whole by a paint of the whole box.
    void garder_ce_qui_est_montre(const QRegion& region) {
        if (rect().size() != image.size()) {
            montree_fidele = false;
            return;
        }
        if (couvre(region, rect())) {
            if (montree.size() != image.size() || montree.format() != image.format())
                montree = QImage(image.size(), image.format());
            montree_fidele = montree.bytesPerLine() == image.bytesPerLine();
            if (montree_fidele)
                std::memcpy(montree.bits(), image.constBits(), static_cast<size_t>(image.sizeInBytes()));
            return;
        }
        if (!montree_fidele || montree.size() != image.size() || montree.format() != image.format()) {
            montree_fidele = false;
            return;
        }
        uchar* const montres = montree.bits();
        const uchar* const pixels = image.constBits();
        const qsizetype bpl_montres = montree.bytesPerLine(), bpl = image.bytesPerLine();
        for (const QRect& r : region) {
            const QRect z = r & image.rect();
            for (int y = z.top(); y <= z.bottom(); ++y)
                std::memcpy(montres + y * bpl_montres + z.left() * 4, pixels + y * bpl + z.left() * 4,
                            static_cast<size_t>(z.width()) * 4);
        }
    }

    // The pixels are opaque and drawn one for one, so when the window paints
    // into a plain 32-bit image (its backing store, at the offset the window
    // gives this widget), the rows of the region are copied straight there:
    // the same pixels a painter would write, without setting one up for
    // every meter on every tick. Anything else (a grab into a pixmap, a
    // scaled screen, a painter shared with a parent) goes through a painter.
    bool copier_sur_la_cible(const QRegion& region) {
        QPoint decalage;
        QPaintDevice* d = redirected(&decalage);
        if (!d || d->devType() != QInternal::Image || sharedPainter()) return false;
        QImage& cible = *static_cast<QImage*>(d);
        if (!copiable_dans(cible)) return false;
        copier_dans(cible, region, decalage);
        return true;
    }
    // The box's rows can be copied into `cible` as they are: both plain
    // 32-bit images at one pixel per pixel.
    bool copiable_dans(const QImage& cible) const {
        return image.format() == QImage::Format_RGB32 && image.devicePixelRatio() == 1.0 &&
               (cible.format() == QImage::Format_RGB32 || cible.format() == QImage::Format_ARGB32_Premultiplied) &&
               cible.devicePixelRatio() == 1.0;
    }
    // Copies the region of the box into `cible`, where the box's pixel p
    // lands at p - decalage (what is outside either image is left).
    void copier_dans(QImage& cible, const QRegion& region, QPoint decalage) const {
        uchar* vers = nullptr;
        const uchar* const pixels = image.constBits();
        const qsizetype bpl_cible = cible.bytesPerLine(), bpl = image.bytesPerLine();
        for (const QRect& r : region) {
            const QRect source = r & image.rect();
            const QRect dest = source.translated(-decalage) & cible.rect();
            if (dest.isEmpty()) continue;
            if (!vers) vers = cible.bits();
            const QPoint de = dest.topLeft() + decalage;
            for (int y = 0; y < dest.height(); ++y)
                std::memcpy(vers + (dest.top() + y) * bpl_cible + dest.left() * 4,
                            pixels + (de.y() + y) * bpl + de.x() * 4, static_cast<size_t>(dest.width()) * 4);
        }
    }
};

PictureBox::PictureBox(QWidget* parent, QString nom) : Controle(new Surface(parent), std::move(nom)) {
    surface()->couleur_fond = en_qcolor(back_);
    surface()->redimensionner(widget_->size());
}

Surface* PictureBox::surface() const { return static_cast<Surface*>(widget_.data()); }
QImage& PictureBox::image() { return surface()->pixels(); }
bool PictureBox::effacement_en_attente(QRgb& couleur) const {
    const Surface& s = *surface();
    if (!s.effacement_en_attente) return false;
    couleur = s.couleur_effacement.rgb();
    return true;
}
QImage& PictureBox::pixels_sans_effacement() {
    Surface& s = *surface();
    if (s.uni) return s.pixels();
    s.effacement_en_attente = false;
    return s.image;
}
const QImage& PictureBox::image() const { return surface()->pixels(); }
void PictureBox::annoncer_defilement(int dx) { surface()->defilement_annonce = dx; }

void PictureBox::geometrie_changee() {
    const QSize avant = surface()->taille;
    surface()->redimensionner(widget_->size());
    if (!picture_.isNull()) {
        QImage& img = surface()->pixels();
        QPainter p(&img);
        p.drawPixmap(img.rect(), picture_);
        widget_->update();
    } else if (surface()->taille != avant) {
        widget_->update();
    }
    // Otherwise the picture is what it was: a box moved (or set again where
    // it stands) is repainted by the move itself where it shows, not here.
}

double PictureBox::en_pixels(double v) const { return mode_ == vbPixels ? v : v / TWIPS_PAR_PIXEL; }
double PictureBox::ScaleWidth() const { return mode_ == vbPixels ? surface()->taille.width() : Width(); }
double PictureBox::ScaleHeight() const { return mode_ == vbPixels ? surface()->taille.height() : Height(); }

void PictureBox::setBackColor(Couleur c) {
    back_ = c;
    surface()->couleur_fond = en_qcolor(c);
    Cls();
}

void PictureBox::Cls() {
    Surface& s = *surface();
    if (!s.uni) {
        s.effacement_en_attente = true;
        s.couleur_effacement = s.couleur_fond;
    }
    if (!picture_.isNull()) {
        QImage& img = s.pixels();
        QPainter p(&img);
        p.drawPixmap(img.rect(), picture_);
    }
    CurrentX = CurrentY = 0;
    surface()->demander_repeinte();
}

void PictureBox::setPicture(const QPixmap& pm) {
    picture_ = pm;
    Cls();
}

namespace {
// Pixel coordinate of a position: the pixel that contains it.
int px(double v) { return static_cast<int>(std::floor(v + 1e-9)); }
} // namespace

void PictureBox::Line(double x1, double y1, double x2, double y2, Couleur couleur, StyleLigne style) {
    QImage& img = surface()->pixels();
    const QColor c = en_qcolor(couleur);
    const int ax = px(en_pixels(x1)), ay = px(en_pixels(y1));
    const int bx = px(en_pixels(x2)), by = px(en_pixels(y2));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (style == Ligne) {
        p.setPen(QPen(c, 0));
        p.drawLine(ax, ay, bx, by);
    } else {
        // Both corners are inside the box, whichever order they come in.
        const QRect r(QPoint(std::min(ax, bx), std::min(ay, by)), QPoint(std::max(ax, bx), std::max(ay, by)));
        if (style == BoitePleine) p.fillRect(r, c);
        else {
            // The outline runs through both corners' pixels.
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
        }
    }
    CurrentX = x2;
    CurrentY = y2;
    surface()->demander_repeinte();
}

void PictureBox::PSet(double x, double y, Couleur couleur) {
    QImage& img = surface()->pixels();
    const int ix = px(en_pixels(x)), iy = px(en_pixels(y));
    if (img.rect().contains(ix, iy)) img.setPixelColor(ix, iy, en_qcolor(couleur));
    CurrentX = x;
    CurrentY = y;
    surface()->demander_repeinte();
}

Couleur PictureBox::Point(double x, double y) const {
    const QImage& img = surface()->pixels();
    const int ix = px(en_pixels(x)), iy = px(en_pixels(y));
    if (!img.rect().contains(ix, iy)) return static_cast<Couleur>(-1);
    return depuis_qcolor(img.pixelColor(ix, iy));
}

void PictureBox::Print(const QString& texte) {
    Surface& s = *surface();
    const QFont police = widget_->font();
    QImage& img = s.pixels(); // the layout below measures on the image
    const QStaticText& st = s.texte_mis_en_page(texte, police);
    QPainter p(&img);
    p.setFont(police);
    p.setPen(en_qcolor(fore_));
    // The top of the character cell stands at the text position: the
    // baseline falls a whole ascent below it, on a pixel row. The laid-out
    // text puts its baseline at the exact ascent below the point given.
    const int x = px(en_pixels(CurrentX)), y = px(en_pixels(CurrentY));
    p.drawStaticText(QPointF(x, y + s.ascent_entier - s.ascent_exact), st);
    CurrentX = 0;
    CurrentY += mode_ == vbPixels ? s.hauteur_ligne : s.hauteur_ligne * TWIPS_PAR_PIXEL;
    surface()->demander_repeinte();
}

std::function<void(const QWidget*, const QRegion&)>& PictureBox::observateur_envois() {
    static std::function<void(const QWidget*, const QRegion&)> o;
    return o;
}

PictureBox::EnvoiDirect& PictureBox::envoi_direct() {
    static EnvoiDirect envoi;
    return envoi;
}

void PictureBox::Refresh() { widget_->repaint(); }
QFont PictureBox::Font() const { return widget_->font(); }
void PictureBox::setFont(const QFont& f) { widget_->setFont(f); }
double PictureBox::TextWidth(const QString& t) const {
    const double w = QFontMetricsF(widget_->font()).horizontalAdvance(t);
    return mode_ == vbPixels ? w : w * TWIPS_PAR_PIXEL;
}
double PictureBox::TextHeight(const QString&) const {
    const double h = QFontMetricsF(widget_->font()).height();
    return mode_ == vbPixels ? h : h * TWIPS_PAR_PIXEL;
}

std::unique_ptr<Controle> PictureBox::cloner() const {
    auto c = std::make_unique<PictureBox>(widget_->parentWidget(), nom_);
    c->fore_ = fore_;
    c->mode_ = mode_;
    c->picture_ = picture_;
    c->widget_->setFont(widget_->font());
    c->back_ = back_;
    c->surface()->couleur_fond = surface()->couleur_fond;
    copier_base(*c);
    c->Cls();
    return c;
}

// ---------------------------------------------------------------- Image

namespace {
class VueImage : public QWidget {
public:
    explicit VueImage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TranslucentBackground); }
    QPixmap image;
    bool etirer = true;

protected:
    void paintEvent(QPaintEvent*) override {
        if (image.isNull()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        if (etirer) p.drawPixmap(rect(), image);
        else p.drawPixmap(0, 0, image);
    }
};
} // namespace

Image::Image(QWidget* parent, QString nom) : Controle(new VueImage(parent), std::move(nom)) {}

void Image::setPicture(const QPixmap& p) {
    auto* v = static_cast<VueImage*>(widget_.data());
    // The same picture again shows nothing new: no repaint (the image is
    // see-through, so a repaint would also repaint what lies beneath it).
    if (!p.isNull() && p.cacheKey() == picture_.cacheKey() && v->image.cacheKey() == p.cacheKey() &&
        v->etirer == Stretch)
        return;
    picture_ = p;
    v->image = p;
    v->etirer = Stretch;
    v->update();
}

bool Image::LoadPicture(const QString& fichier) {
    QPixmap p;
    if (!p.load(fichier)) return false;
    setPicture(p);
    return true;
}

std::unique_ptr<Controle> Image::cloner() const {
    auto c = std::make_unique<Image>(widget_->parentWidget(), nom_);
    c->Stretch = Stretch;
    c->setPicture(picture_);
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- Label

Label::Label(QWidget* parent, QString nom) : Controle(new QLabel(parent), std::move(nom)) {
    // A caption is shown as the text it is, never read as markup: captions
    // carry text from outside (a server's version line, a drive's label).
    label()->setTextFormat(Qt::PlainText);
    label()->setAutoFillBackground(true);
    setAlignment(vbLeftJustify); // text from the top left corner, like every label
    setBackColor(back_);
    setForeColor(fore_);
}

QLabel* Label::label() const { return static_cast<QLabel*>(widget_.data()); }

void Label::setCaption(const QString& c) {
    // The same text again changes nothing on screen: no new layout, no repaint.
    if (c == caption_ && label()->text() == c) return;
    caption_ = c;
    label()->setText(c);
    ajuster();
}

void Label::setAutoSize(bool a) {
    autosize_ = a;
    ajuster();
}

void Label::ajuster() {
    if (!autosize_) return;
    const QFontMetricsF fm(label()->font());
    // A self-sizing label fits its text: width of the text, height of a line.
    width_ = static_cast<float>(std::ceil(fm.horizontalAdvance(caption_)) * TWIPS_PAR_PIXEL);
    height_ = static_cast<float>(std::ceil(fm.height()) * TWIPS_PAR_PIXEL);
    appliquer_geometrie();
}

void Label::setAlignment(int a) {
    alignement_ = a;
    Qt::Alignment al = Qt::AlignTop;
    al |= a == vbRightJustify ? Qt::AlignRight : a == vbCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    label()->setAlignment(al);
}

void Label::setBackStyleTransparent(bool t) {
    transparent_ = t;
    label()->setAutoFillBackground(!t);
    label()->setAttribute(Qt::WA_TranslucentBackground, t);
}

void Label::setForeColor(Couleur c) {
    fore_ = c;
    QPalette p = label()->palette();
    p.setColor(QPalette::WindowText, en_qcolor(c));
    label()->setPalette(p);
}

void Label::setBackColor(Couleur c) {
    back_ = c;
    QPalette p = label()->palette();
    p.setColor(QPalette::Window, en_qcolor(c));
    label()->setPalette(p);
}

void Label::setFont(const QFont& f) {
    label()->setFont(f);
    ajuster();
}
QFont Label::Font() const { return label()->font(); }
void Label::setWordWrap(bool w) { label()->setWordWrap(w); }

std::unique_ptr<Controle> Label::cloner() const {
    auto c = std::make_unique<Label>(widget_->parentWidget(), nom_);
    c->label()->setFont(label()->font());
    c->setBackColor(back_);
    c->setForeColor(fore_);
    c->setBackStyleTransparent(transparent_);
    c->setAlignment(alignement_);
    c->label()->setWordWrap(label()->wordWrap());
    copier_base(*c);
    c->autosize_ = autosize_;
    c->setCaption(caption_);
    return c;
}

// ---------------------------------------------------------------- Timer

Timer::Timer(QString nom, QObject* parent) : QObject(parent), nom_(std::move(nom)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { declencher(); });
}

Timer::~Timer() = default;

void Timer::armer() {
    if (enabled_ && interval_ > 0 && !en_cours_) timer_->start(interval_);
    else timer_->stop();
}

void Timer::setEnabled(bool e) {
    enabled_ = e;
    armer();
}

void Timer::setInterval(int ms) {
    if (ms < 0) lever(ERR_VALEUR_PROPRIETE);
    interval_ = ms;
    armer();
}

void Timer::declencher() {
    if (en_cours_) return; // never inside its own tick
    en_cours_ = true;
    timer_->stop();
    QPointer<Timer> garde(this);
    ++Surface::ticks_en_cours();
    try {
        if (Tick) Tick();
    } catch (...) {
        // Handlers trap their own errors; nothing may reach the event loop.
    }
    --Surface::ticks_en_cours();
    // What the tick drew is shown now, in one repaint.
    Surface::comparer_les_surfaces();
    if (!garde) return;
    en_cours_ = false;
    armer();
}

// ---------------------------------------------------------------- TextBox

namespace {
QWidget* creer_edition(QWidget* parent) {
    auto* conteneur = new QWidget(parent);
    auto* l = new QVBoxLayout(conteneur);
    l->setContentsMargins(0, 0, 0, 0);
    auto* e = new QLineEdit(conteneur);
    l->addWidget(e);
    return conteneur;
}
} // namespace

TextBox::TextBox(QWidget* parent, QString nom) : Controle(creer_edition(parent), std::move(nom)) {
    edit_ = widget_->findChild<QLineEdit*>();
    connect(static_cast<QLineEdit*>(edit_), &QLineEdit::textChanged, this, [this] {
        if (Change) Change();
    });
}

QString TextBox::Text() const {
    if (multiligne_) return static_cast<QPlainTextEdit*>(edit_)->toPlainText();
    return static_cast<QLineEdit*>(edit_)->text();
}

void TextBox::setText(const QString& t) {
    if (multiligne_) static_cast<QPlainTextEdit*>(edit_)->setPlainText(t);
    else static_cast<QLineEdit*>(edit_)->setText(t);
}

void TextBox::setPasswordChar(bool masque) {
    if (multiligne_) return;
    auto* e = static_cast<QLineEdit*>(edit_);
    e->setEchoMode(masque ? QLineEdit::Password : QLineEdit::Normal);
    // Each hidden character shows as "*", whatever the style's own mark.
    e->setStyleSheet(masque ? QStringLiteral("QLineEdit { lineedit-password-character: 42; }") : QString());
}

void TextBox::setMultiLine(bool m) {
    if (m == multiligne_) return;
    const QString texte = Text();
    delete edit_;
    if (m) {
        auto* e = new QPlainTextEdit(widget_);
        connect(e, &QPlainTextEdit::textChanged, this, [this] {
            if (Change) Change();
        });
        edit_ = e;
    } else {
        auto* e = new QLineEdit(widget_);
        connect(e, &QLineEdit::textChanged, this, [this] {
            if (Change) Change();
        });
        edit_ = e;
    }
    widget_->layout()->addWidget(edit_);
    multiligne_ = m;
    setText(texte);
}

void TextBox::setLocked(bool l) {
    if (multiligne_) static_cast<QPlainTextEdit*>(edit_)->setReadOnly(l);
    else static_cast<QLineEdit*>(edit_)->setReadOnly(l);
}

std::unique_ptr<Controle> TextBox::cloner() const {
    auto c = std::make_unique<TextBox>(widget_->parentWidget(), nom_);
    c->setMultiLine(multiligne_);
    c->setText(Text());
    c->Change = Change;
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(QWidget* parent, QString nom, const QString& caption)
    : Controle(new QCheckBox(caption, parent), std::move(nom)) {
    // A click by the user (mouse or space bar): the value follows, then the
    // click handler runs once and reads the new value.
    connect(box(), &QCheckBox::clicked, this, [this](bool coche) {
        if (en_affectation_) return;
        value_ = coche ? 1 : 0;
        if (Click) Click(index_);
    });
}

QCheckBox* CheckBox::box() const { return static_cast<QCheckBox*>(widget_.data()); }

void CheckBox::setValue(int v) {
    if (v != 0 && v != 1 && v != 2) lever(ERR_VALEUR_PROPRIETE);
    if (v == value_) return;
    value_ = v;
    en_affectation_ = true;
    box()->setChecked(v == 1);
    en_affectation_ = false;
    if (Click) Click(index_);
}

QString CheckBox::Caption() const { return box()->text(); }
void CheckBox::setCaption(const QString& c) { box()->setText(c); }

std::unique_ptr<Controle> CheckBox::cloner() const {
    auto c = std::make_unique<CheckBox>(widget_->parentWidget(), nom_, Caption());
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- ComboBox

ComboBox::ComboBox(QWidget* parent, QString nom) : Controle(new QComboBox(parent), std::move(nom)) {
    connect(combo(), &QComboBox::activated, this, [this](int) {
        if (!par_code_ && Click) Click(index_);
    });
}

QComboBox* ComboBox::combo() const { return static_cast<QComboBox*>(widget_.data()); }
void ComboBox::AddItem(const QString& t) {
    par_code_ = true;
    combo()->addItem(t);
    if (combo()->count() == 1) combo()->setCurrentIndex(-1);
    par_code_ = false;
}
void ComboBox::Clear() {
    par_code_ = true;
    combo()->clear();
    par_code_ = false;
}
int ComboBox::ListCount() const { return combo()->count(); }
QString ComboBox::List(int i) const {
    if (i < 0 || i >= combo()->count()) return {};
    return combo()->itemText(i);
}
int ComboBox::ListIndex() const { return combo()->currentIndex(); }

void ComboBox::setListIndex(int i) {
    if (i < -1 || i >= combo()->count()) lever(ERR_VALEUR_PROPRIETE);
    par_code_ = true;
    combo()->setCurrentIndex(i);
    if (!combo()->isEditable() && i >= 0) combo()->setEditText(combo()->itemText(i));
    par_code_ = false;
    if (Click) Click(index_);
}

QString ComboBox::Text() const {
    if (combo()->currentIndex() < 0 && !combo()->isEditable()) return combo()->placeholderText();
    return combo()->currentText();
}

void ComboBox::setText(const QString& t) {
    const int i = combo()->findText(t, Qt::MatchExactly);
    par_code_ = true;
    if (i >= 0) combo()->setCurrentIndex(i);
    else {
        combo()->setCurrentIndex(-1);
        combo()->setPlaceholderText(t);
    }
    par_code_ = false;
}

std::unique_ptr<Controle> ComboBox::cloner() const {
    auto c = std::make_unique<ComboBox>(widget_->parentWidget(), nom_);
    for (int i = 0; i < ListCount(); ++i) c->AddItem(List(i));
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- CommandButton

CommandButton::CommandButton(QWidget* parent, QString nom, const QString& caption)
    : Controle(new QPushButton(caption, parent), std::move(nom)) {
    // The button's own click is the click: mouse, space bar, or Return on the
    // button that has the focus.
    auto* b = static_cast<QPushButton*>(widget_.data());
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, [this] {
        if (Click) Click(index_);
    });
}
QString CommandButton::Caption() const { return static_cast<QPushButton*>(widget_.data())->text(); }
void CommandButton::setCaption(const QString& c) { static_cast<QPushButton*>(widget_.data())->setText(c); }
std::unique_ptr<Controle> CommandButton::cloner() const {
    auto c = std::make_unique<CommandButton>(widget_->parentWidget(), nom_, Caption());
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- UpDown

UpDown::UpDown(QWidget* parent, QString nom) : Controle(new QSpinBox(parent), std::move(nom)) {
    spin()->setRange(0, 10);
    connect(spin(), &QSpinBox::valueChanged, this, [this](int v) {
        if (v == value_) return;
        value_ = v;
        if (Change) Change();
    });
}
QSpinBox* UpDown::spin() const { return static_cast<QSpinBox*>(widget_.data()); }
int UpDown::Value() const { return value_; }
void UpDown::setValue(int v) {
    if (v < spin()->minimum() || v > spin()->maximum()) lever(ERR_VALEUR_PROPRIETE);
    spin()->setValue(v); // runs Change through valueChanged when it differs
}
void UpDown::setMin(int m) { spin()->setMinimum(m); }
void UpDown::setMax(int m) { spin()->setMaximum(m); }
int UpDown::Min() const { return spin()->minimum(); }
int UpDown::Max() const { return spin()->maximum(); }
std::unique_ptr<Controle> UpDown::cloner() const {
    auto c = std::make_unique<UpDown>(widget_->parentWidget(), nom_);
    c->setMin(Min());
    c->setMax(Max());
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- TabStrip

namespace {
// Ctrl+Tab and Ctrl+Shift+Tab step through the tabs, like the arrow keys.
class ClavierOnglets : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (!(k->modifiers() & Qt::ControlModifier) || (k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab))
            return false;
        auto* bar = static_cast<QTabBar*>(objet);
        if (bar->count() == 0) return true;
        const bool arriere = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
        bar->setCurrentIndex((bar->currentIndex() + (arriere ? bar->count() - 1 : 1)) % bar->count());
        return true;
    }
};
} // namespace

TabStrip::TabStrip(QWidget* parent, QString nom) : Controle(new QTabBar(parent), std::move(nom)) {
    // Every change of tab by the user, by mouse or keyboard, is one click.
    connect(bar(), &QTabBar::currentChanged, this, [this](int) {
        if (!par_code_ && Click) Click(index_);
    });
    bar()->installEventFilter(new ClavierOnglets(this));
}
QTabBar* TabStrip::bar() const { return static_cast<QTabBar*>(widget_.data()); }
void TabStrip::AddTab(const QString& caption) {
    par_code_ = true;
    bar()->addTab(caption);
    par_code_ = false;
}
int TabStrip::TabCount() const { return bar()->count(); }
QString TabStrip::TabCaption(int i) const { return bar()->tabText(i - 1); }
int TabStrip::SelectedItem() const { return bar()->currentIndex() + 1; }
void TabStrip::setSelectedItem(int i) {
    if (i < 1 || i > bar()->count()) lever(ERR_VALEUR_PROPRIETE);
    par_code_ = true;
    bar()->setCurrentIndex(i - 1);
    par_code_ = false;
    if (Click) Click(index_);
}
std::unique_ptr<Controle> TabStrip::cloner() const {
    auto c = std::make_unique<TabStrip>(widget_->parentWidget(), nom_);
    for (int i = 1; i <= TabCount(); ++i) c->AddTab(TabCaption(i));
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- ListView

ListView::ListView(QWidget* parent, QString nom) : Controle(new QTreeWidget(parent), std::move(nom)) {
    arbre()->setRootIsDecorated(false);
    connect(arbre(), &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int colonne) {
        if (par_code_ || colonne != 0) return;
        if (ItemCheck) ItemCheck(arbre()->indexOfTopLevelItem(item) + 1);
    });
}
QTreeWidget* ListView::arbre() const { return static_cast<QTreeWidget*>(widget_.data()); }
void ListView::setColumns(const QStringList& entetes) {
    arbre()->setColumnCount(static_cast<int>(entetes.size()));
    arbre()->setHeaderLabels(entetes);
}
void ListView::Clear() {
    par_code_ = true;
    arbre()->clear();
    par_code_ = false;
}
int ListView::Count() const { return arbre()->topLevelItemCount(); }
int ListView::Add(const QString& texte, const QStringList& sousElements, bool coche) {
    par_code_ = true;
    QStringList colonnes{texte};
    colonnes << sousElements;
    auto* item = new QTreeWidgetItem(colonnes);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, coche ? Qt::Checked : Qt::Unchecked);
    arbre()->addTopLevelItem(item);
    par_code_ = false;
    return arbre()->topLevelItemCount();
}
QString ListView::Text(int i) const {
    auto* item = arbre()->topLevelItem(i - 1);
    if (!item) lever(ERR_INDICE);
    return item->text(0);
}
QString ListView::SubItem(int i, int colonne) const {
    auto* item = arbre()->topLevelItem(i - 1);
    if (!item) lever(ERR_INDICE);
    return item->text(colonne);
}
bool ListView::Checked(int i) const {
    auto* item = arbre()->topLevelItem(i - 1);
    if (!item) lever(ERR_INDICE);
    return item->checkState(0) == Qt::Checked;
}
void ListView::setChecked(int i, bool coche) {
    auto* item = arbre()->topLevelItem(i - 1);
    if (!item) lever(ERR_INDICE);
    par_code_ = true;
    item->setCheckState(0, coche ? Qt::Checked : Qt::Unchecked);
    par_code_ = false;
}
std::unique_ptr<Controle> ListView::cloner() const {
    auto c = std::make_unique<ListView>(widget_->parentWidget(), nom_);
    copier_base(*c);
    return c;
}

// ---------------------------------------------------------------- Menu

Menu::Menu(QString caption, QObject* parent) : QObject(parent), caption_(std::move(caption)), menu_(new QMenu) {
    menu_->setTitle(caption_);
}
Menu::~Menu() { delete menu_; }

void Menu::AddItem(const QString& nom, const QString& caption, std::function<void()> action) {
    QAction* a = menu_->addAction(caption);
    a->setObjectName(nom);
    items_.emplace_back(nom, action);
    connect(a, &QAction::triggered, this, [action] {
        try {
            if (action) action();
        } catch (...) {}
    });
}

QStringList Menu::captions() const {
    QStringList r;
    for (QAction* a : menu_->actions()) r << a->text();
    return r;
}

void Menu::declencher(const QString& nom) {
    for (auto& [n, action] : items_)
        if (n == nom && action) action();
}

void Menu::PopupMenu(const QPoint& ecran) { menu_->popup(ecran + Ecran::Origine()); }

// ---------------------------------------------------------------- Ecran

double Ecran::Width() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() * TWIPS_PAR_PIXEL : 0;
}
double Ecran::Height() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() * TWIPS_PAR_PIXEL : 0;
}
QPoint Ecran::Origine() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().topLeft() : QPoint();
}
void Ecran::MousePointerDefault() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace tk
