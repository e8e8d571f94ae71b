#include "volume/dessins_volume.h"

#include "app/dessins.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tk::dessins {

namespace {
// Speaker body and cone, in a box of 16 x 16 scaled by `e`, placed at (x, y).
void dessiner_haut_parleur(QPainter& g, double x, double y, double e, const QColor& couleur) {
    QPainterPath corps;
    corps.moveTo(x + 1 * e, y + 5.5 * e);
    corps.lineTo(x + 4.5 * e, y + 5.5 * e);
    corps.lineTo(x + 8.5 * e, y + 2 * e);
    corps.lineTo(x + 8.5 * e, y + 14 * e);
    corps.lineTo(x + 4.5 * e, y + 10.5 * e);
    corps.lineTo(x + 1 * e, y + 10.5 * e);
    corps.closeSubpath();
    g.setPen(QPen(QColor(20, 24, 30), 1));
    g.setBrush(couleur);
    g.drawPath(corps);
}
} // namespace

QPixmap haut_parleur(bool muet) {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    if (muet) {
        // The muted picture lies over the other one: a dark disc hides its waves.
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(24, 26, 32));
        g.drawEllipse(QPointF(12, 8), 5, 5.5);
    }
    dessiner_haut_parleur(g, 0, 0, 1, muet ? QColor(150, 155, 165) : QColor(215, 222, 232));
    g.setBrush(Qt::NoBrush);
    if (muet) {
        g.setPen(QPen(QColor(230, 50, 45), 2, Qt::SolidLine, Qt::RoundCap));
        g.drawLine(QPointF(10.5, 5), QPointF(15, 11));
        g.drawLine(QPointF(15, 5), QPointF(10.5, 11));
    } else {
        g.setPen(QPen(QColor(120, 200, 255), 1.2, Qt::SolidLine, Qt::RoundCap));
        g.drawArc(QRectF(6.5, 5, 5, 6), -50 * 16, 100 * 16);
        g.drawArc(QRectF(5.5, 2.5, 9, 11), -55 * 16, 110 * 16);
    }
    return p;
}

QPixmap bouton_volume() {
    QPixmap p = vierge(11, 21);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient d(0, 0, 11, 0);
    d.setColorAt(0.0, QColor(235, 238, 244));
    d.setColorAt(0.5, QColor(180, 188, 200));
    d.setColorAt(1.0, QColor(110, 118, 132));
    g.setPen(QPen(QColor(40, 44, 52), 1));
    g.setBrush(d);
    g.drawRoundedRect(QRectF(0.5, 0.5, 10, 20), 2.5, 2.5);
    // Grip lines across the middle.
    g.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 7; y <= 13; y += 3) {
        g.setPen(QColor(90, 96, 108));
        g.drawLine(3, y, 7, y);
        g.setPen(QColor(245, 247, 250));
        g.drawLine(3, y + 1, 7, y + 1);
    }
    return p;
}

QPixmap piste_volume() {
    QPixmap p(105, 5);
    QPainter g(&p);
    g.fillRect(p.rect(), QColor(28, 30, 36));
    g.setPen(QColor(10, 11, 14));
    g.drawLine(0, 0, 104, 0);
    g.drawLine(0, 0, 0, 4);
    g.setPen(QColor(120, 128, 142));
    g.drawLine(0, 4, 104, 4);
    g.drawLine(104, 0, 104, 4);
    // A faint line along the groove.
    g.setPen(QColor(70, 110, 150));
    g.drawLine(2, 2, 102, 2);
    return p;
}

QCursor curseur_haut_parleur() {
    QPixmap p = vierge(32, 32);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    fleche_curseur(g);
    dessiner_haut_parleur(g, 14, 14, 0.9, QColor(255, 210, 90));
    g.setBrush(Qt::NoBrush);
    g.setPen(QPen(QColor(20, 24, 30), 1.2));
    g.drawArc(QRectF(19.5, 17.5, 6, 8), -55 * 16, 110 * 16);
    return QCursor(p, 1, 1);
}

} // namespace tk::dessins
