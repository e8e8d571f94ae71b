// Artwork of the options dialog, drawn in code: the program icon "AAA" in
// the sizes a tray or a window frame asks for, and the About page picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tk::dessins {

// The icon group "AAA": one picture per size (16, 20, 22, 24, 32, 48, 64).
QIcon icone_AAA();
// One picture of the group; small sizes are drawn with fewer details.
QPixmap icone_AAA(int taille);
// The About page picture (square, `taille` pixels).
QPixmap image_apropos(int taille);

} // namespace tk::dessins
