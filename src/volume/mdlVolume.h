// Mixer access (master volume and mute in percent) and the volume widget of
// the bar: knob, track, percentage and speaker button.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

// Audio lines, by component type.
constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;
// Control types.
constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;

// Description of one mixer control. A record whose identifier is 0 stands
// for no control: it reads 0 and cannot be set.
struct MIXERCONTROL {
    uint32_t cbStruct = 0;
    uint32_t dwControlID = 0;
    uint32_t dwControlType = 0;
    uint32_t fdwControl = 0;
    uint32_t cMultipleItems = 0;
    QString szShortName;
    QString szName;
    int32_t lMinimum = 0;
    int32_t lMaximum = 0;
};

constexpr int NB_CONTROLES_MIXER = 21; // slots 0 to 20
// The slots the program uses.
constexpr int32_t SLOT_VOLUME_GENERAL = 0;
constexpr int32_t SLOT_MUET_GENERAL = 7;

class mdlVolume {
public:
    explicit mdlVolume(Programme& prog);
    // Connects this module's event handlers to the bar window's controls and
    // gives the widget its pictures.
    void brancher(frmMain& f);

    // Mixer access. Slot numbers outside 0 to 20 are error 9 (the caller traps it).
    bool ouvrir_mixer(int32_t numero);
    bool lire_controle_mixer(int32_t handle, uint32_t type_composant, uint32_t type_controle, MIXERCONTROL& controle);
    bool ecrire_valeur_controle(int32_t handle, const MIXERCONTROL& controle, int32_t valeur);
    int32_t lire_valeur_controle(int32_t handle, const MIXERCONTROL& controle);
    bool regler_volume(int32_t slot, int32_t valeur);
    int32_t lire_volume(int32_t slot);
    bool regler_muet(int32_t slot, bool muet);
    bool lire_muet(int32_t slot);

    int32_t hMixer = 0;
    std::array<MIXERCONTROL, NB_CONTROLES_MIXER> ControlesMixer{};

    // The widget.
    void recuperation_info_volume();
    void picSliderSon_MouseMove(int bouton, int shift, float x, float y);
    void picSliderSon_MouseUp(int bouton, int shift, float x, float y);
    void picFondSon_MouseUp(int bouton, int shift, float x, float y);
    void picSon_Click(int index);
    void picSon_MouseMove(int index, int bouton, int shift, float x, float y);

    // True while the left button drags the knob: the periodic refresh keeps off.
    bool reglage_son_en_cours = false;
    // The volume the refresh last wrote into the widget.
    int16_t dernier_volume = 0;

private:
    MIXERCONTROL& slot(int32_t numero);
    bool premier_affichage_ = true;
    Programme& prog;
};

} // namespace tk
