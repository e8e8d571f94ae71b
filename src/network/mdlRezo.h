// The network-interface table and the choice of interfaces shown.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

struct CarteReseau {
    QString nom;
    QString type_carte;
    QString vitesse;
    QString etat_admin;
    QString etat_oper;
    QString adresse_ip;
};

class mdlRezo {
public:
    explicit mdlRezo(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    void inventaire_cartes_reseau();
    bool carte_affichable(int16_t i);
    void TimerCarteReseau_Timer();

    std::array<CarteReseau, 31> cartes_reseau;
    int16_t nb_cartes_reseau = 0;
    int16_t nb_cartes_precedent = 0;

private:
    Programme& prog;
};

} // namespace tk
