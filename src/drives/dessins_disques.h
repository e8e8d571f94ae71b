// The pointer shown over the drive-type icons: clicking one opens the drive.
#pragma once

#include <QCursor>
#include <QPixmap>

namespace tk::dessins {

// The pointer's picture, 32 x 32 with its hot spot at (1, 1).
QPixmap image_curseur_disque();
QCursor curseur_disque();

} // namespace tk::dessins
