// The drive inventory and the drive rows of the bar.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

// One entry of the system's drive list.
struct InfoDisque {
    QString nom_volume;
    QString type_disque;
    QString lettre;
    double espace_occupe = 0;
    double espace_libre = 0;
    double taille_totale = 0;
    bool afficher = false;
};

struct EtatDisques {
    int16_t indice_max = 0;
    std::array<double, 31> dernier_occupe{};
    int16_t nb_affiches = 0;
};

class mdlDisk {
public:
    explicit mdlDisk(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    void recuperation_info_Disk(bool& forcer);

    std::array<InfoDisque, 21> disques;
    EtatDisques etat;

private:
    Programme& prog;
};

} // namespace tk
