#include "options/dessins_options.h"

#include "app/dessins.h"
#include "forms/controles.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tk::dessins {

namespace {

// A dark screen with the bar along its top: three short meter columns and a
// rising curve below them. Drawn on a 32-unit grid, scaled to the size.
void dessiner_moniteur(QPainter& g, int taille, bool details) {
    g.setRenderHint(QPainter::Antialiasing);
    const double s = taille / 32.0;
    g.scale(s, s);

    QLinearGradient fond(0, 0, 0, 32);
    fond.setColorAt(0, QColor(44, 52, 70));
    fond.setColorAt(1, QColor(18, 22, 32));
    g.setPen(details ? QPen(QColor(120, 135, 160), 1) : Qt::NoPen);
    g.setBrush(fond);
    g.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

    // The bar: a lighter strip with three meters in it.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(70, 84, 110));
    g.drawRect(QRectF(2, 3, 28, 8));
    const QColor couleurs[3] = {QColor(250, 190, 60), QColor(80, 200, 255), QColor(110, 230, 120)};
    const double hauteurs[3] = {6, 3.5, 5};
    for (int k = 0; k < 3; ++k) {
        g.setBrush(couleurs[k]);
        const double x = 4 + k * 9;
        g.drawRect(QRectF(x, 10 - hauteurs[k], 7, hauteurs[k]));
    }

    // The curve of a meter below the bar.
    QPainterPath courbe;
    courbe.moveTo(4, 27);
    courbe.lineTo(9, 20);
    courbe.lineTo(14, 23);
    courbe.lineTo(20, 15);
    courbe.lineTo(28, 18);
    if (details) {
        QPainterPath aire = courbe;
        aire.lineTo(28, 29);
        aire.lineTo(4, 29);
        aire.closeSubpath();
        g.setBrush(QColor(110, 230, 120, 70));
        g.drawPath(aire);
    }
    g.setBrush(Qt::NoBrush);
    g.setPen(QPen(QColor(110, 230, 120), details ? 2.2 : 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPath(courbe);
}

} // namespace

QPixmap icone_AAA(int taille) {
    QPixmap p = vierge(taille, taille);
    QPainter g(&p);
    dessiner_moniteur(g, taille, taille >= 32);
    return p;
}

QIcon icone_AAA() {
    QIcon icone;
    for (int taille : {16, 20, 22, 24, 32, 48, 64}) icone.addPixmap(icone_AAA(taille));
    return icone;
}

QPixmap image_apropos(int taille) {
    QPixmap p = vierge(taille, taille);
    QPainter g(&p);
    dessiner_moniteur(g, taille, true);
    g.resetTransform();
    // The initials in the lower right corner.
    QFont f = police(Police::MSSansSerif, 8.25, true);
    f.setPixelSize(std::max(8, taille / 5));
    g.setFont(f);
    g.setPen(QColor(235, 240, 250));
    g.drawText(QRectF(0, taille * 0.62, taille * 0.92, taille * 0.34), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("TK"));
    return p;
}

} // namespace tk::dessins
