// Artwork of the update window, drawn in code: the program picture shown on
// both sides and the arrow between them.
#pragma once

#include <QColor>
#include <QPixmap>

namespace tk::dessins {

// The program: a small window with a monitor bar across its top and two
// graphs below it (square, `taille` pixels).
QPixmap image_appli(int taille);
// An arrow pointing right, filling `largeur` x `hauteur` pixels.
QPixmap image_fleche(int largeur, int hauteur, const QColor& couleur);

} // namespace tk::dessins
