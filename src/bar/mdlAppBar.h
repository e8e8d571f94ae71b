// The bar's docking, modes and layout: registers the bar with the shell as an
// application bar at the top edge (sized per bar mode), slides it out of
// sight and back in hidden mode, and places the meters and the other
// controls of the bar window.
#pragma once

#include "diag/erreur.h"

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlAppBar {
public:
    explicit mdlAppBar(Programme& prog);
    // Makes the bar window a dock and connects the size buttons and timerHide.
    void brancher(frmMain& f);

    // Sizes, registers and lays out the bar for the current bar mode.
    void calcul_taille_fenetre();
    // Registers the bar, `hauteur` pixels high, and places its window.
    void initialisation_mode_barre(int16_t hauteur);
    // Removes the registration (when the bar window exists).
    void retirer_barre();

    // Slide down into view / up out of sight (hidden mode).
    void montrer_la_barre();
    void cacher_la_barre();

    // Meter row after the volume track; one meter and its icon and caption.
    void alignement_global_compteurs();
    void placer_le_compteur(int32_t x, int16_t k, int32_t largeur, int16_t hauteur, int16_t haut, bool avec_icone);
    // Background, mail indicator, speaker, volume track and size buttons.
    void alignement_global_autres_controles();

    // Bar window handlers.
    void picTailleBarre_Click(int index);
    void picTailleBarre_MouseMove(int index, int bouton, int shift, float x, float y);
    void timerHide_Timer();

    // The desktop around the bar changed (another program's bar came, went or
    // moved; the monitors changed): docked modes dock again, a hidden bar
    // moves to the primary monitor's new place. False, to be asked again a
    // little later, while a docking or a slide runs.
    bool bureau_change();

    // True when the bar window lies more than 100 twips below the top the
    // shell granted it (the bar has drifted and should be docked again).
    // False when the bar window is not loaded.
    bool barre_deplacee();

private:
    // Places the bar window in pixels and keeps its twips geometry in step.
    void placer_fenetre(frmMain& f, bool au_dessus, int y, int hauteur, uint32_t drapeaux);
    void glisser_vers(frmMain& f, int y, int h, bool au_dessus, uint32_t drapeaux);
    void pas_de_glissement(frmMain& f, Piege& t, int y, int h);
    int hauteur_pixels(frmMain& f, Piege& t);
    Programme& prog;
    bool amarrage_en_cours_ = false;
};

} // namespace tk
