// The program's own artwork, drawn in code so that it scales and needs no
// picture files.
#pragma once

#include <QCursor>
#include <QPixmap>

class QPainter;

namespace tk::dessins {

// A transparent picture of w x h pixels to draw on.
QPixmap vierge(int w, int h);

// Background picture of the bar: a 15 x 60 pixel vertical gradient, shown stretched.
QPixmap skin_barre();
// Size buttons, 24 x 24: 0 smaller, 1 larger, 2 and 3 their highlighted pictures.
QPixmap bouton_taille(int k);
// Meter icons, 16 x 16.
QPixmap icone_processeur();
QPixmap icone_memoire();
QPixmap icone_reseau();
// Drive-type icons, 16 x 16.
enum class Lecteur { Fixe, Amovible, Cd, Autre };
QPixmap icone_lecteur(Lecteur type);
// The program icon at a given size (tray icon and windows).
QPixmap icone_programme(int taille);
// The arrow of our pointers, tip at (1, 1): white with a dark outline, so
// that it reads on the dark bar as on a light window.
void fleche_curseur(QPainter& g);
// A pointing hand for clickable pictures.
QCursor curseur_main();

} // namespace tk::dessins
