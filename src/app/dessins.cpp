#include "app/dessins.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tk::dessins {

QPixmap vierge(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

QPixmap skin_barre() {
    QPixmap p(15, 60);
    QPainter g(&p);
    QLinearGradient d(0, 0, 0, 60);
    d.setColorAt(0.0, QColor(70, 78, 92));
    d.setColorAt(0.45, QColor(32, 36, 44));
    d.setColorAt(1.0, QColor(12, 14, 18));
    g.fillRect(p.rect(), d);
    g.setPen(QColor(110, 120, 140));
    g.drawLine(0, 0, 14, 0);
    return p;
}

QPixmap bouton_taille(int k) {
    // The bar places the two buttons so that their 24-pixel squares overlap;
    // the visible button is a 12-pixel square in the middle of the picture,
    // so that the two never touch.
    QPixmap p = vierge(24, 24);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const bool eclaire = k >= 2;
    const bool plus_grand = (k % 2) == 1;
    g.setPen(QPen(eclaire ? QColor(255, 220, 120) : QColor(150, 160, 175), 1.0));
    g.setBrush(eclaire ? QColor(90, 80, 40) : QColor(40, 44, 52));
    g.drawRoundedRect(QRectF(5.5, 5.5, 11, 11), 2, 2);
    QPainterPath fleche;
    if (plus_grand) { // arrow down: the bar grows
        fleche.moveTo(7.5, 9);
        fleche.lineTo(14.5, 9);
        fleche.lineTo(11, 13.5);
    } else { // arrow up: the bar shrinks
        fleche.moveTo(7.5, 13);
        fleche.lineTo(14.5, 13);
        fleche.lineTo(11, 8.5);
    }
    fleche.closeSubpath();
    g.setPen(Qt::NoPen);
    g.setBrush(eclaire ? QColor(255, 235, 160) : QColor(210, 215, 225));
    g.drawPath(fleche);
    return p;
}

QPixmap icone_processeur() {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    g.setPen(QColor(190, 200, 210));
    for (int i = 4; i <= 11; i += 3) {
        g.drawLine(i, 0, i, 2);
        g.drawLine(i, 13, i, 15);
        g.drawLine(0, i, 2, i);
        g.drawLine(13, i, 15, i);
    }
    g.fillRect(3, 3, 10, 10, QColor(60, 130, 200));
    g.setPen(QColor(200, 230, 255));
    g.drawRect(3, 3, 9, 9);
    g.fillRect(6, 6, 4, 4, QColor(200, 230, 255));
    return p;
}

QPixmap icone_memoire() {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    g.fillRect(1, 4, 14, 7, QColor(40, 140, 80));
    g.setPen(QColor(170, 230, 190));
    g.drawRect(1, 4, 13, 6);
    for (int i = 3; i <= 11; i += 4) g.fillRect(i, 6, 2, 3, QColor(20, 20, 20));
    g.setPen(QColor(230, 200, 90));
    for (int i = 2; i <= 13; i += 2) g.drawLine(i, 11, i, 13);
    return p;
}

QPixmap icone_reseau() {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(220, 170, 60), 1.2));
    g.drawLine(QPointF(8, 5), QPointF(8, 9));
    g.drawLine(QPointF(3, 9), QPointF(13, 9));
    g.drawLine(QPointF(3, 9), QPointF(3, 11));
    g.drawLine(QPointF(13, 9), QPointF(13, 11));
    g.setBrush(QColor(90, 150, 220));
    g.setPen(QColor(200, 225, 255));
    g.drawRect(QRectF(5.5, 1.5, 5, 4));
    g.drawRect(QRectF(0.5, 11.5, 5, 4));
    g.drawRect(QRectF(10.5, 11.5, 5, 4));
    return p;
}

QPixmap icone_lecteur(Lecteur type) {
    QPixmap p = vierge(16, 16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    switch (type) {
    case Lecteur::Fixe:
        g.setPen(QColor(200, 205, 215));
        g.setBrush(QColor(120, 128, 140));
        g.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 1.5, 1.5);
        g.fillRect(3, 9, 6, 1, QColor(40, 40, 40));
        g.fillRect(11, 9, 2, 2, QColor(80, 220, 90));
        break;
    case Lecteur::Amovible:
        g.setPen(QColor(230, 230, 230));
        g.setBrush(QColor(60, 110, 190));
        g.drawRoundedRect(QRectF(4.5, 1.5, 7, 10), 1, 1);
        g.fillRect(6, 11, 4, 4, QColor(200, 200, 200));
        break;
    case Lecteur::Cd:
        g.setPen(QColor(210, 210, 220));
        g.setBrush(QColor(180, 190, 215));
        g.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        g.setBrush(QColor(30, 30, 30));
        g.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    case Lecteur::Autre:
        g.setPen(QColor(220, 220, 220));
        g.setBrush(QColor(90, 90, 100));
        g.drawRect(QRectF(2.5, 2.5, 11, 11));
        g.fillRect(5, 3, 6, 4, QColor(200, 200, 210));
        break;
    }
    return p;
}

QPixmap icone_programme(int taille) {
    QPixmap p = vierge(taille, taille);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const double s = taille / 32.0;
    g.scale(s, s);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(25, 30, 40));
    g.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    g.setBrush(QColor(60, 70, 90));
    g.drawRect(QRectF(1, 5, 30, 5)); // the bar along the top
    QPainterPath courbe;
    courbe.moveTo(4, 26);
    courbe.lineTo(10, 18);
    courbe.lineTo(15, 22);
    courbe.lineTo(21, 13);
    courbe.lineTo(28, 17);
    g.setPen(QPen(QColor(90, 220, 120), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(Qt::NoBrush);
    g.drawPath(courbe);
    return p;
}

void fleche_curseur(QPainter& g) {
    QPainterPath fleche;
    fleche.moveTo(1, 1);
    fleche.lineTo(1, 17);
    fleche.lineTo(5, 13);
    fleche.lineTo(8, 20);
    fleche.lineTo(11, 19);
    fleche.lineTo(8, 12);
    fleche.lineTo(13, 12);
    fleche.closeSubpath();
    g.setPen(QPen(QColor(20, 20, 20), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(Qt::white);
    g.drawPath(fleche);
}

QCursor curseur_main() { return QCursor(Qt::PointingHandCursor); }

} // namespace tk::dessins
