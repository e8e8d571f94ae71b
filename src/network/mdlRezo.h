// The network-interface table, the choice of interfaces shown, and the
// network timer of the bar window.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

struct CarteReseau {
    QString nom; // description, cleaned for use inside counter paths
    QString type_carte;
    QString vitesse; // bits per second, grouped digits, no decimals
    QString etat_admin;
    QString etat_oper;
    QString adresse_ip; // not filled: the help balloon shows it empty
};

class mdlRezo {
public:
    explicit mdlRezo(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    void inventaire_cartes_reseau();
    // Whether entry i (0 to 30; anything else is error 9) is an interface the bar shows.
    bool carte_affichable(int16_t i);
    void TimerCarteReseau_Timer();

    // Entries 1 to 30 hold the interfaces in the system's index order; entry 0 is unused.
    std::array<CarteReseau, 31> cartes_reseau;
    int16_t nb_cartes_reseau = 0;
    // The count the current network meters were built for.
    int16_t nb_cartes_precedent = 0;

    // Texts of the row fields.
    static QString texte_type(uint32_t type);
    static QString texte_etat_admin(uint32_t etat);
    static QString texte_etat_oper(uint32_t etat);
    // The description as it may appear inside a counter path.
    static QString nettoyer_nom(QString nom);

private:
    Programme& prog;
};

} // namespace tk
