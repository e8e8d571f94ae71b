#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlVolume {
public:
    explicit mdlVolume(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);
    bool ouvrir_mixer(int numero);

    void recuperation_info_volume();
    bool reglage_son_en_cours = false;
    int16_t dernier_volume = 0;

private:
    Programme& prog;
};

} // namespace tk
