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

    Shape1 = std::make_unique<Shape>(w, QStringLiteral("Shape1"));
    Shape1->Move(0, 0, LARGEUR, HAUTEUR);

    Image1 = std::make_unique<Image>(w, QStringLiteral("Image1"));
    Image1->Move(165, 90, 240, 240);

    lbl1 = std::make_unique<Label>(w, QStringLiteral("lbl1"));
    lbl1->Move(720, 105, 3255, HAUTEUR - 105);
    lbl1->setBackStyleTransparent(true);
    lbl1->setForeColor(GRIS_TEXTE);
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPointSizeF(7);
    police.setBold(true);
    lbl1->setFont(police);
    lbl1->setWordWrap(true);
    // The text may hold what a mail server or a network interface sent:
    // shown as it is, never read as markup.
    static_cast<QLabel*>(lbl1->widget())->setTextFormat(Qt::PlainText);
}

void frmPostit::detruire_controles() {
    lbl1.reset();
    Image1.reset();
    Shape1.reset();
}

} // namespace tk
