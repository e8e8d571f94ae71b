#include "help/frmPostit.h"

#include "app/programme.h"

#include <QLabel>
#include <QPainter>

namespace tk {

namespace {
class VueCadre : public QWidget {
public:
    explicit VueCadre(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    QColor couleur = Qt::black;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(couleur, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};
} // namespace

Shape::Shape(QWidget* parent, QString nom) : Controle(new VueCadre(parent), std::move(nom)) {
    setBorderColor(bordure_);
}

void Shape::setBorderColor(Couleur c) {
    bordure_ = c;
    auto* v = static_cast<VueCadre*>(widget_.data());
    v->couleur = en_qcolor(c);
    v->update();
}

std::unique_ptr<Controle> Shape::cloner() const {
    auto c = std::make_unique<Shape>(widget_->parentWidget(), nom_);
    c->setBorderColor(bordure_);
    copier_base(*c);
    return c;
}

frmPostit::frmPostit(Programme& p) : Forme(QStringLiteral("frmPostit")), prog(p) {
    largeur_conception_ = LARGEUR;
    hauteur_conception_ = HAUTEUR;
}

frmPostit::~frmPostit() { Unload(vbFormCode); }

Qt::WindowFlags frmPostit::drapeaux_fenetre() const {
    // No border, no title; it never takes the focus from the user's window.
    return Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
}

void frmPostit::creer_controles(QWidget* w) {
    setBackColor(JAUNE_PALE);

    creer(Shape1, w, "Shape1", 0, 0, LARGEUR, HAUTEUR);
    creer(Image1, w, "Image1", 165, 90, 240, 240);

    // The text starts at the label's top left corner and wraps at its width.
    creer(lbl1, w, "lbl1", 720, 105, 3255, HAUTEUR - 105);
    lbl1->setBackStyleTransparent(true);
    lbl1->setForeColor(GRIS_TEXTE);
    lbl1->setFont(police(Police::MSSansSerif, 8.25, true));
    lbl1->setWordWrap(true);
    // The text may hold what a mail server or a network interface sent:
    // shown as it is, never read as markup.
    static_cast<QLabel*>(lbl1->widget())->setTextFormat(Qt::PlainText);
}

} // namespace tk
