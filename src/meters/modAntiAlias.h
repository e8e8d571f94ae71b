// Smoothed drawing of the meter curves: each point of a line is spread over
// the four pixels around it, blended with what is already there, and the
// column below it is filled down to the meter's bottom margin.
#pragma once

#include "forms/controles.h"

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;
class PictureBox;

struct CouleurRGB {
    uint8_t rouge = 0;
    uint8_t vert = 0;
    uint8_t bleu = 0;
};

class modAntiAlias {
public:
    explicit modAntiAlias(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    // Takes the curve and fill colours of the smoothed style from the
    // system's title-bar colours (active and inactive).
    void init_couleurs_lissage();

    // Works in pixels on the meter's surface. Errors (a channel out of range,
    // a coordinate out of range) go to the caller's trap.
    void ligne_lissee(PictureBox& dc, float x1, float y1, float x2, float y2, Couleur couleur, int16_t bas);
    void point_lisse(PictureBox& dc, float x, float y, Couleur couleur, int16_t bas);
    static Couleur melange_couleurs(const CouleurRGB& c1, float w1, const CouleurRGB& c2, float w2);
    static void vers_rgb(CouleurRGB& c, Couleur couleur);

    Couleur couleur_trait = 0;
    Couleur couleur_remplissage = 0;

private:
    Programme& prog;
};

} // namespace tk
