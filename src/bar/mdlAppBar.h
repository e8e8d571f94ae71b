#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlAppBar {
public:
    explicit mdlAppBar(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);
    void calcul_taille_fenetre();
    void retirer_barre();
    void montrer_la_barre();
    void alignement_global_compteurs();

    void cacher_la_barre();
    void alignement_global_autres_controles();

private:
    Programme& prog;
};

} // namespace tk
