// Artwork of the volume widget, drawn in code.
#pragma once

#include <QCursor>
#include <QPixmap>

namespace tk::dessins {

// Speaker button, 16 x 16: sound on (waves) or muted (red cross).
QPixmap haut_parleur(bool muet);
// Slider knob, 11 x 21.
QPixmap bouton_volume();
// Slider track, 105 x 5 (shown stretched).
QPixmap piste_volume();
// Pointer over the speaker button: an arrow with a small speaker beside it.
QCursor curseur_haut_parleur();

} // namespace tk::dessins
