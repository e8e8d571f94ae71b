// The help balloon: a pale-yellow window below the bar with an icon and a
// text about the control under the mouse.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"

#include <memory>

namespace tk {

class Programme;

// A rectangle frame (a shape control): its border only, drawn over what is
// behind it; it takes no mouse event.
class Shape : public Controle {
public:
    Shape(QWidget* parent, QString nom);
    Couleur BorderColor() const { return bordure_; }
    void setBorderColor(Couleur c);
    std::unique_ptr<Controle> cloner() const override;

private:
    Couleur bordure_ = vbSysteme(COLOR_WINDOWTEXT);
};

class frmPostit : public Forme {
    Q_OBJECT
public:
    explicit frmPostit(Programme& prog);
    ~frmPostit() override;

    // Design size and colours.
    static constexpr double LARGEUR = 4215, HAUTEUR = 600;
    static constexpr Couleur JAUNE_PALE = 0x0080FFFF;
    static constexpr Couleur GRIS_TEXTE = 0x00404040;

    std::unique_ptr<Image> Image1; // the subject's icon
    std::unique_ptr<Label> lbl1;   // the subject's text
    std::unique_ptr<Shape> Shape1; // the frame around the whole window

protected:
    Qt::WindowFlags drapeaux_fenetre() const override;
    void creer_controles(QWidget* fenetre) override;

private:
    Programme& prog;
};

} // namespace tk
