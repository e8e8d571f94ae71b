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
    fenetre_ = new FenetreForme(*this, drapeaux_fenetre());
    fenetre_->setObjectName(nom_);
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
    detruire_controles();
    FenetreForme* f = fenetre_;
    fenetre_ = nullptr;
    f->removeEventFilter(this);
    f->hide();
    f->deleteLater();
    en_dechargement_ = false;
    return true;
}

void Forme::fermeture_utilisateur() { Unload(vbFormControlMenu); }

void Forme::appliquer_geometrie() {
    if (!fenetre_) return;
    fenetre_->setGeometry(vers_pixels(left_), vers_pixels(top_), std::max(1, vers_pixels(width_)),
                          std::max(1, vers_pixels(height_)));
}

void Forme::setLeft(double v) { left_ = static_cast<float>(v); appliquer_geometrie(); }
void Forme::setTop(double v) { top_ = static_cast<float>(v); appliquer_geometrie(); }
void Forme::setWidth(double v) {
    if (v < 0) lever(ERR_VALEUR_PROPRIETE);
    width_ = static_cast<float>(v);
    appliquer_geometrie();
}
void Forme::setHeight(double v) {
    if (v < 0) lever(ERR_VALEUR_PROPRIETE);
    height_ = static_cast<float>(v);
    appliquer_geometrie();
}
void Forme::Move(double left, double top, double width, double height) {
    if (width < 0 || height < 0) lever(ERR_VALEUR_PROPRIETE);
    left_ = static_cast<float>(left);
    top_ = static_cast<float>(top);
    width_ = static_cast<float>(width);
    height_ = static_cast<float>(height);
    appliquer_geometrie();
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
    p.drawLine(QPointF(x1 / TWIPS_PAR_PIXEL, y1 / TWIPS_PAR_PIXEL), QPointF(x2 / TWIPS_PAR_PIXEL, y2 / TWIPS_PAR_PIXEL));
    fenetre_->update();
}

void Forme::Refresh() {
    if (fenetre_) fenetre_->repaint();
}

bool Forme::eventFilter(QObject* objet, QEvent* e) {
    if (objet != fenetre_) return false;
    auto envoyer = [&](GestionSouris& g) {
        auto* m = static_cast<QMouseEvent*>(e);
        int bouton = 0;
        const Qt::MouseButton b = e->type() == QEvent::MouseMove ? Qt::NoButton : m->button();
        if (b == Qt::LeftButton) bouton = vbLeftButton;
        else if (b == Qt::RightButton) bouton = vbRightButton;
        else if (b == Qt::MiddleButton) bouton = vbMiddleButton;
        if (e->type() == QEvent::MouseMove) {
            if (m->buttons() & Qt::LeftButton) bouton |= vbLeftButton;
            if (m->buttons() & Qt::RightButton) bouton |= vbRightButton;
        }
        const QPointF p = m->position() * TWIPS_PAR_PIXEL;
        try {
            if (g) g(-1, bouton, 0, p.x(), p.y());
        } catch (...) {
        }
    };
    switch (e->type()) {
    case QEvent::MouseButtonPress: envoyer(MouseDown); break;
    case QEvent::MouseButtonRelease: envoyer(MouseUp); break;
    case QEvent::MouseMove: envoyer(MouseMove); break;
    default: break;
    }
    return false;
}

} // namespace tk
