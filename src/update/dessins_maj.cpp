#include "update/dessins_maj.h"

#include "app/dessins.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tk::dessins {

QPixmap image_appli(int taille) {
    taille = std::max(taille, 8);
    QPixmap p = vierge(taille, taille);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const double u = taille / 32.0; // drawn on a 32-unit grid

    // Window body.
    const QRectF corps(1.5 * u, 3.5 * u, 29 * u, 25 * u);
    g.setPen(QPen(QColor(40, 48, 64), std::max(1.0, u)));
    g.setBrush(QColor(236, 240, 246));
    g.drawRoundedRect(corps, 2.5 * u, 2.5 * u);

    // The bar across the top.
    QLinearGradient degrade(0, 3.5 * u, 0, 9.5 * u);
    degrade.setColorAt(0, QColor(70, 120, 200));
    degrade.setColorAt(1, QColor(30, 70, 150));
    g.setPen(Qt::NoPen);
    g.setBrush(degrade);
    g.drawRect(QRectF(2.2 * u, 4.2 * u, 27.6 * u, 5.3 * u));
    // Three small meters in the bar.
    const QColor teintes[3] = {QColor(120, 230, 120), QColor(250, 210, 90), QColor(240, 120, 100)};
    for (int i = 0; i < 3; ++i) {
        g.setBrush(QColor(15, 30, 60));
        const QRectF case_(4 * u + i * 8.5 * u, 5.3 * u, 7 * u, 3.2 * u);
        g.drawRect(case_);
        g.setBrush(teintes[i]);
        const double remplissage = (0.45 + 0.2 * i) * case_.width();
        g.drawRect(QRectF(case_.left(), case_.top() + 0.8 * u, remplissage, case_.height() - 1.6 * u));
    }

    // Two graphs in the window.
    for (int k = 0; k < 2; ++k) {
        const QRectF cadre(4 * u + k * 12.5 * u, 12 * u, 11 * u, 13.5 * u);
        g.setPen(QPen(QColor(120, 130, 150), std::max(0.8, 0.6 * u)));
        g.setBrush(QColor(20, 24, 32));
        g.drawRect(cadre);
        QPainterPath courbe;
        for (int x = 0; x <= 10; ++x) {
            const double px = cadre.left() + (x + 0.5) * cadre.width() / 11.0;
            const double v = 0.5 + 0.35 * std::sin(x * (0.9 + 0.6 * k) + k);
            const double py = cadre.bottom() - 1 * u - v * (cadre.height() - 2 * u);
            if (x == 0) courbe.moveTo(px, py);
            else courbe.lineTo(px, py);
        }
        g.setPen(QPen(k == 0 ? QColor(110, 220, 110) : QColor(100, 180, 250), std::max(1.0, 0.9 * u)));
        g.setBrush(Qt::NoBrush);
        g.drawPath(courbe);
    }
    return p;
}

QPixmap image_fleche(int largeur, int hauteur, const QColor& couleur) {
    largeur = std::max(largeur, 4);
    hauteur = std::max(hauteur, 4);
    QPixmap p = vierge(largeur, hauteur);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const double w = largeur, h = hauteur;
    const double tige = h * 0.36;                      // thickness of the shaft
    const double pointe = std::min(w * 0.45, h * 0.9); // length of the head
    QPolygonF forme;
    forme << QPointF(1, (h - tige) / 2) << QPointF(w - pointe, (h - tige) / 2) << QPointF(w - pointe, 1)
          << QPointF(w - 1, h / 2) << QPointF(w - pointe, h - 1) << QPointF(w - pointe, (h + tige) / 2)
          << QPointF(1, (h + tige) / 2);
    g.setPen(QPen(couleur.darker(160), 1));
    g.setBrush(couleur);
    g.drawPolygon(forme);
    return p;
}

} // namespace tk::dessins
