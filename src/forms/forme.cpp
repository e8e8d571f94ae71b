#include "forms/forme.h"

#include "diag/erreur.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tk {

FenetreForme::FenetreForme(Forme& forme, Qt::WindowFlags drapeaux) : QWidget(nullptr, drapeaux), forme_(forme) {
    setMouseTracking(true);
}

void FenetreForme::souris_sur_controle() { forme_.survol_controle(); }

void FenetreForme::closeEvent(QCloseEvent* e) {
    // The form decides: it unloads itself (and this window with it) unless cancelled.
    e->ignore();
    forme_.fermeture_utilisateur();
}

void FenetreForme::paintEvent(QPaintEvent* e) {
    // Only the part that needs it: a whole-window blend of the drawing layer
    // on every small repaint costs more than the repaint itself.
    QPainter p(this);
    const QRect r = e->rect();
    p.fillRect(r, palette().color(QPalette::Window));
    if (!calque.isNull()) p.drawImage(r.topLeft(), calque, r);
}

void FenetreForme::resizeEvent(QResizeEvent*) {
    // The drawing layer exists once something is drawn on the window.
    if (calque.isNull() || calque.size() == size() || size().isEmpty()) return;
    QImage nouveau(size(), QImage::Format_ARGB32_Premultiplied);
    nouveau.fill(Qt::transparent);
    QPainter p(&nouveau);
    if (!calque.isNull()) p.drawImage(0, 0, calque);
    calque = nouveau;
}

Forme::Forme(QString nom) : nom_(std::move(nom)) {}

Forme::~Forme() { delete fenetre_; }

void Forme::Load() {
    if (fenetre_) return;
    Qt::WindowFlags drapeaux = drapeaux_fenetre();
    if (dialogue_fixe())
        drapeaux = (drapeaux & ~(Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint)) | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    fenetre_ = new FenetreForme(*this, drapeaux);
    fenetre_->setObjectName(nom_);
    // Tool-tips show on hover even while another window has the focus, as
    // they do elsewhere on the desktop (the bar never takes the focus).
    fenetre_->setAttribute(Qt::WA_AlwaysShowToolTips);
    fenetre_->installEventFilter(this);
    width_ = static_cast<float>(largeur_conception_);
    height_ = static_cast<float>(hauteur_conception_);
    appliquer_geometrie();
    setBackColor(back_);
    if (!caption_.isEmpty()) fenetre_->setWindowTitle(caption_);
    creer_controles(fenetre_);
    Form_Load();
}

void Forme::Show() {
    Load();
    if (fenetre_) fenetre_->show();
}

void Forme::Hide() {
    if (fenetre_) fenetre_->hide();
}

bool Forme::Unload(int mode) {
    if (!fenetre_ || en_dechargement_) return true;
    int annuler = 0;
    Form_QueryUnload(annuler, mode);
    if (annuler) return false;
    Form_Unload(annuler);
    if (annuler) return false;
    en_dechargement_ = true;
    // What the form created goes in the reverse order of its creation.
    std::vector<std::function<void()>> possessions;
    possessions.swap(possessions_);
    for (auto it = possessions.rbegin(); it != possessions.rend(); ++it) (*it)();
    FenetreForme* f = fenetre_;
    fenetre_ = nullptr;
    f->removeEventFilter(this);
    f->hide();
    f->deleteLater();
    en_dechargement_ = false;
    return true;
}

void Forme::fermeture_utilisateur() { Unload(vbFormControlMenu); }

void Forme::posseder(std::function<void()> liberer) { possessions_.push_back(std::move(liberer)); }

Timer& Forme::creer(std::unique_ptr<Timer>& place, const char* nom, int intervalle) {
    place = std::make_unique<Timer>(QString::fromLatin1(nom), this);
    place->setInterval(intervalle);
    posseder([&place] {
        if (place) place->setEnabled(false);
        place.reset();
    });
    return *place;
}

void Forme::appliquer_geometrie() {
    if (!fenetre_) return;
    // Positions count from the primary monitor's corner, wherever it sits on the desktop.
    const QPoint o = Ecran::Origine();
    const QRect g(o.x() + vers_pixels(left_), o.y() + vers_pixels(top_), std::max(1, vers_pixels(width_)),
                  std::max(1, vers_pixels(height_)));
    if (dialogue_fixe()) fenetre_->setFixedSize(g.size());
    fenetre_->setGeometry(g);
}

void Forme::geometrie_pixels(int x, int y, int largeur, int hauteur) {
    left_ = static_cast<float>(x * TWIPS_PAR_PIXEL);
    top_ = static_cast<float>(y * TWIPS_PAR_PIXEL);
    width_ = static_cast<float>(largeur * TWIPS_PAR_PIXEL);
    height_ = static_cast<float>(hauteur * TWIPS_PAR_PIXEL);
}

QString Forme::Caption() const { return caption_; }
void Forme::setCaption(const QString& c) {
    caption_ = c;
    if (fenetre_) fenetre_->setWindowTitle(c);
}

void Forme::setBackColor(Couleur c) {
    back_ = c;
    if (!fenetre_) return;
    QPalette p = fenetre_->palette();
    p.setColor(QPalette::Window, en_qcolor(c));
    fenetre_->setPalette(p);
    fenetre_->update();
}

void Forme::Line(double x1, double y1, double x2, double y2, Couleur couleur) {
    if (!fenetre_) return;
    if (fenetre_->calque.isNull() || fenetre_->calque.size() != fenetre_->size()) {
        QImage nouveau(fenetre_->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        nouveau.fill(Qt::transparent);
        fenetre_->calque = nouveau;
    }
    QPainter p(&fenetre_->calque);
    p.setPen(QPen(en_qcolor(couleur), 0));
    p.drawLine(QPointF(x1 / TWIPS_PAR_PIXEL, y1 / TWIPS_PAR_PIXEL),
               QPointF(x2 / TWIPS_PAR_PIXEL, y2 / TWIPS_PAR_PIXEL));
    fenetre_->update();
}

void Forme::Refresh() {
    if (fenetre_) fenetre_->repaint();
}

bool Forme::eventFilter(QObject* objet, QEvent* e) {
    if (objet != fenetre_) return false;
    GestionSouris* g = nullptr;
    switch (e->type()) {
    case QEvent::MouseButtonPress: g = &MouseDown; break;
    case QEvent::MouseButtonRelease: g = &MouseUp; break;
    case QEvent::MouseMove: g = &MouseMove; break;
    default: return false;
    }
    const ArgumentsSouris a = arguments_souris(*static_cast<QMouseEvent*>(e));
    try {
        if (*g) (*g)(-1, a.bouton, a.shift, a.x, a.y);
    } catch (...) {}
    return false;
}

} // namespace tk
