// The counter query, the sampling cycle and the drawing of the meters.
#pragma once

#include "platform/counters.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace tk {

class Programme;
class frmMain;
class PictureBox;

// A counter record: path, counter handle, unit, meter surface, caption.
struct compteur_pdh {
    QString chemin;
    int32_t hcompteur = 0;
    QString unite;
    PictureBox* surface = nullptr;
    QString libelle;
};

constexpr int NB_COMPTEURS = 19; // rows 0 to 18

class mdlPdh {
public:
    explicit mdlPdh(Programme& prog);
    ~mdlPdh();
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    void init_pdh();
    void lire_compteurs();
    void TimerGetValues_Timer();

    std::unique_ptr<CounterQuery> requete_pdh;
    int32_t hcompteur_courant = 0;
    compteur_pdh compteur_cpu;
    compteur_pdh compteur_ram;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_ecriture;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_lecture;
    std::array<compteur_pdh, NB_COMPTEURS> compteurs_rezo;
    std::array<double, 31> echelle_rezo{};

private:
    Programme& prog;
};

} // namespace tk
