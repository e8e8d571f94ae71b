// Artwork of the mail indicator, drawn in code.
#pragma once

#include <QPixmap>

namespace tk::dessins {

// Mail icons, 16 x 16: a plain grey envelope (nothing waiting) and a bright
// envelope with a red marker (mail waiting). The bar stacks them.
QPixmap enveloppe_vide();
QPixmap enveloppe_pleine();

} // namespace tk::dessins
