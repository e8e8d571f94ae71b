#include "drives/dessins_disques.h"

#include "app/dessins.h"

#include <QPainter>
#include <QPainterPath>

namespace tk::dessins {

QPixmap image_curseur_disque() {
    QPixmap p = vierge(32, 32);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);

    fleche_curseur(g);

    // An open folder beside it: what the click does.
    QPainterPath dos;
    dos.moveTo(13.5, 17.5);
    dos.lineTo(18.5, 17.5);
    dos.lineTo(20.5, 19.5);
    dos.lineTo(28.5, 19.5);
    dos.lineTo(28.5, 29.5);
    dos.lineTo(13.5, 29.5);
    dos.closeSubpath();
    g.setPen(QPen(QColor(90, 60, 10), 1));
    g.setBrush(QColor(200, 150, 50));
    g.drawPath(dos);
    QPainterPath devant;
    devant.moveTo(13.5, 29.5);
    devant.lineTo(16.5, 22.5);
    devant.lineTo(31.0, 22.5);
    devant.lineTo(28.5, 29.5);
    devant.closeSubpath();
    g.setBrush(QColor(250, 205, 90));
    g.drawPath(devant);
    return p;
}

QCursor curseur_disque() { return QCursor(image_curseur_disque(), 1, 1); }

} // namespace tk::dessins
