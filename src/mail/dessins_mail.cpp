#include "mail/dessins_mail.h"

#include "app/dessins.h"

#include <QPainter>
#include <QPainterPath>

namespace tk::dessins {

namespace {
// An envelope seen from the front: body, flap folded down to the middle.
void enveloppe(QPainter& g, const QColor& trait, const QColor& fond) {
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(trait, 1.0));
    g.setBrush(fond);
    g.drawRect(QRectF(1.5, 3.5, 13, 9));
    QPainterPath rabat;
    rabat.moveTo(1.5, 3.5);
    rabat.lineTo(8, 8.5);
    rabat.lineTo(14.5, 3.5);
    g.setBrush(Qt::NoBrush);
    g.drawPath(rabat);
    g.drawLine(QPointF(1.5, 12.5), QPointF(6, 8));
    g.drawLine(QPointF(14.5, 12.5), QPointF(10, 8));
}
} // namespace

QPixmap enveloppe_vide() {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    enveloppe(g, QColor(120, 128, 140), QColor(52, 56, 64));
    return p;
}

QPixmap enveloppe_pleine() {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    enveloppe(g, QColor(90, 70, 20), QColor(255, 236, 150));
    g.setPen(QPen(QColor(120, 0, 0), 1.0));
    g.setBrush(QColor(230, 40, 40));
    g.drawEllipse(QRectF(10.5, 0.5, 5, 5));
    return p;
}

} // namespace tk::dessins
