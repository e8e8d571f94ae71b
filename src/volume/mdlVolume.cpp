#include "volume/mdlVolume.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "diag/numerique.h"
#include "help/mdlAide.h"
#include "platform/mixer.h"
#include "volume/dessins_volume.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tk {

namespace {

// The volume refresh reports under mdlFonctions, the module it belongs to.
const QString MODULE = QStringLiteral("mdlFonctions");
const QString FENETRE = QStringLiteral("frmMain");

constexpr uint32_t TAILLE_CONTROLE = 152;
// Raw ranges whose maximum is at least this are scaled to percent.
constexpr int64_t MAXIMUM_ECHELLE = 101;
// The middle of the knob, in twips, and how far a pointer report may lie
// from the knob before it is taken as being at that middle.
constexpr float MILIEU_BOUTON = 82;
constexpr float ECART_MAXIMUM = 200;

bool ligne_du_composant(uint32_t type_composant, MixerLine& ligne) {
    switch (type_composant) {
    case MIXERLINE_COMPONENTTYPE_DST_SPEAKERS: ligne = MixerLine::Speakers; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_LINE: ligne = MixerLine::Line; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE: ligne = MixerLine::Microphone; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER: ligne = MixerLine::Synthesizer; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC: ligne = MixerLine::CD; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT: ligne = MixerLine::Wave; return true;
    case MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY: ligne = MixerLine::Aux; return true;
    default: return false;
    }
}

// Control identifiers: 1 + 2 × line + 1 for the mute, so that 0 means no control.
uint32_t identifiant(MixerLine ligne, bool muet) { return 1 + 2 * static_cast<uint32_t>(ligne) + (muet ? 1 : 0); }
MixerLine ligne_du_controle(const MIXERCONTROL& c) { return static_cast<MixerLine>((c.dwControlID - 1) / 2); }

int32_t en_32_bits(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

QString texte_volume(int32_t v) { return QString::number(v) + QStringLiteral(" %"); }

} // namespace

mdlVolume::mdlVolume(Programme& p) : prog(p) {}

void mdlVolume::brancher(frmMain& f) {
    f.picFondSon->setPicture(dessins::piste_volume());
    f.picSliderSon->setPicture(dessins::bouton_volume());
    f.picSliderSon->ZOrder(); // the knob slides over the track
    const QCursor curseur = dessins::curseur_haut_parleur();
    for (int k = 0; k <= 1; ++k) {
        if (!f.picSon.existe(k)) continue;
        f.picSon(k).setPicture(dessins::haut_parleur(k == 0));
        f.picSon(k).setMousePointer(curseur);
        f.picSon(k).Click = [this](int index) { picSon_Click(index); };
        f.picSon(k).MouseMove = [this](int index, int b, int s, float x, float y) {
            picSon_MouseMove(index, b, s, x, y);
        };
    }
    if (f.picSon.existe(0)) f.picSon(0).ZOrder(); // the muted symbol lies over the other

    f.picSliderSon->MouseMove = [this](int, int b, int s, float x, float y) { picSliderSon_MouseMove(b, s, x, y); };
    f.picSliderSon->MouseUp = [this](int, int b, int s, float x, float y) { picSliderSon_MouseUp(b, s, x, y); };
    f.picFondSon->MouseUp = [this](int, int b, int s, float x, float y) { picFondSon_MouseUp(b, s, x, y); };
}

// ---------------------------------------------------------------- mixer access

MIXERCONTROL& mdlVolume::slot(int32_t numero) {
    if (numero < 0 || numero >= NB_CONTROLES_MIXER) lever(ERR_INDICE);
    return ControlesMixer[static_cast<size_t>(numero)];
}

bool mdlVolume::ouvrir_mixer(int32_t numero) {
    Mixer& m = prog.plateforme.mixer;
    const int nb = m.deviceCount();
    if (numero > nb - 1 || numero < 0) return false;
    if (!m.open(numero)) return false;
    hMixer = numero + 1;

    struct Recherche {
        uint32_t composant;
        int slot;
    };
    // Volumes, then mutes; slot k + 7 is the mute of the line of slot k.
    static constexpr Recherche ordre[] = {
        {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 0},    {MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 2},
        {MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, 6},   {MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 4},
        {MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, 3}, {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 5},
        {MIXERLINE_COMPONENTTYPE_SRC_LINE, 1},
    };
    for (const Recherche& r : ordre) {
        ControlesMixer[r.slot] = MIXERCONTROL{};
        lire_controle_mixer(hMixer, r.composant, MIXERCONTROL_CONTROLTYPE_VOLUME, ControlesMixer[r.slot]);
    }
    for (const Recherche& r : ordre) {
        ControlesMixer[r.slot + 7] = MIXERCONTROL{};
        lire_controle_mixer(hMixer, r.composant, MIXERCONTROL_CONTROLTYPE_MUTE, ControlesMixer[r.slot + 7]);
    }
    return true;
}

bool mdlVolume::lire_controle_mixer(int32_t handle, uint32_t type_composant, uint32_t type_controle,
                                    MIXERCONTROL& controle) {
    Mixer& m = prog.plateforme.mixer;
    MixerLine ligne;
    if (handle == 0 || !ligne_du_composant(type_composant, ligne) || !m.hasLine(ligne)) return false;

    controle.cbStruct = TAILLE_CONTROLE;
    MIXERCONTROL lu;
    lu.cbStruct = TAILLE_CONTROLE;
    lu.dwControlType = type_controle;
    if (type_controle == MIXERCONTROL_CONTROLTYPE_VOLUME) {
        int64_t minimum = 0, maximum = 0;
        if (!m.volumeRange(ligne, minimum, maximum)) return false;
        lu.dwControlID = identifiant(ligne, false);
        lu.szShortName = QStringLiteral("Volume");
        lu.szName = QStringLiteral("Volume");
        lu.lMinimum = en_32_bits(minimum);
        lu.lMaximum = en_32_bits(maximum);
    } else if (type_controle == MIXERCONTROL_CONTROLTYPE_MUTE) {
        bool muet = false;
        if (!m.readMute(ligne, muet)) return false; // the line has no mute
        lu.dwControlID = identifiant(ligne, true);
        lu.szShortName = QStringLiteral("Mute");
        lu.szName = QStringLiteral("Mute");
        lu.lMinimum = 0;
        lu.lMaximum = 1;
    } else {
        return false;
    }
    controle = lu;
    return true;
}

bool mdlVolume::ecrire_valeur_controle(int32_t handle, const MIXERCONTROL& controle, int32_t valeur) {
    if (handle == 0 || controle.dwControlID == 0) return false;
    const int64_t max = controle.lMaximum, min = controle.lMinimum;
    // Percent to raw steps of (max / 100, whole part): 100 % of 0..65535 is 65500.
    int64_t brut = valeur;
    if (max >= MAXIMUM_ECHELLE) brut = static_cast<int64_t>(partie_entiere(max / 100.0)) * valeur;
    if (brut > max) brut = max;
    if (brut < min) brut = min;
    Mixer& m = prog.plateforme.mixer;
    const MixerLine ligne = ligne_du_controle(controle);
    if (controle.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE) return m.writeMute(ligne, brut != 0);
    return m.writeVolume(ligne, brut);
}

int32_t mdlVolume::lire_valeur_controle(int32_t handle, const MIXERCONTROL& controle) {
    if (handle == 0 || controle.dwControlID == 0) return 0;
    Mixer& m = prog.plateforme.mixer;
    const MixerLine ligne = ligne_du_controle(controle);
    // A failed read leaves the value 0.
    int64_t brut = 0;
    if (controle.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE) {
        bool muet = false;
        if (m.readMute(ligne, muet)) brut = muet ? 1 : 0;
    } else if (!m.readVolume(ligne, brut)) {
        brut = 0;
    }
    const int64_t max = controle.lMaximum, min = controle.lMinimum;
    if (max < MAXIMUM_ECHELLE) return en_32_bits(brut);
    return CLng(static_cast<double>(brut) * 100.0 / static_cast<double>(max) - static_cast<double>(min));
}

bool mdlVolume::regler_volume(int32_t numero, int32_t valeur) {
    return ecrire_valeur_controle(hMixer, slot(numero), valeur);
}

int32_t mdlVolume::lire_volume(int32_t numero) { return lire_valeur_controle(hMixer, slot(numero)); }

bool mdlVolume::regler_muet(int32_t numero, bool muet) {
    return ecrire_valeur_controle(hMixer, slot(numero), muet ? 1 : 0);
}

bool mdlVolume::lire_muet(int32_t numero) { return lire_valeur_controle(hMixer, slot(numero)) != 0; }

// ---------------------------------------------------------------- the widget

void mdlVolume::recuperation_info_volume() {
    Piege t(prog.rapporteur(), QStringLiteral("recuperation_info_volume"), MODULE);
    // The knob belongs to the user while it is dragged.
    if (reglage_son_en_cours) return;
    frmMain* f = nullptr;
    t([&] { f = &prog.frmMain(); });
    if (!f) return;
    int16_t v = 0;
    t([&] { v = CInt(lire_volume(SLOT_VOLUME_GENERAL)); });
    t([&] { f->picSon(0).setVisible(lire_muet(SLOT_MUET_GENERAL)); });
    // The knob away from 0 and the volume unchanged: nothing to redraw. At 0 %
    // the knob sits at the track's left and is rewritten each time. The first
    // refresh always writes: the start-up sweep leaves the knob and text at a
    // value of its own, which a real volume of 0 would otherwise never replace.
    if (!premier_affichage_ && f->picSliderSon->Left() > f->picFondSon->Left() && v == dernier_volume) return;
    premier_affichage_ = false;

    int16_t minLeft = 0, maxLeft = 0;
    t([&] {
        minLeft = CInt(f->picFondSon->Left());
        maxLeft = CInt(f->picFondSon->Left() + f->picFondSon->Width() - f->picSliderSon->Width());
    });
    t([&] { dernier_volume = v; });
    t([&] { f->lblSon->setCaption(texte_volume(v)); });
    t([&] {
        double gauche = f->picFondSon->Left() + (v / 100.0) * (f->picFondSon->Width() - f->picSliderSon->Width());
        if (gauche > maxLeft) gauche = maxLeft;
        if (gauche < minLeft) gauche = minLeft;
        // A knob already in its place (at 0 % this runs on every tick) is not
        // placed again: that would lay the control out for nothing.
        if (static_cast<float>(gauche) != f->picSliderSon->Left()) f->picSliderSon->setLeft(gauche);
    });
}

void mdlVolume::picSliderSon_MouseMove(int bouton, int, float x, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picSliderSon_MouseMove"), FENETRE);
    if (bouton != vbLeftButton) return;
    frmMain* f = nullptr;
    t([&] { f = &prog.frmMain(); });
    if (!f) return;
    t([&] { reglage_son_en_cours = true; });

    int16_t minLeft = 0, maxLeft = 0;
    t([&] {
        minLeft = CInt(f->picFondSon->Left());
        maxLeft = CInt(f->picFondSon->Left() + f->picFondSon->Width() - f->picSliderSon->Width());
    });
    // A report far from the knob (the pointer ran ahead of it) counts as its middle.
    if (std::fabs(x) > ECART_MAXIMUM) x = MILIEU_BOUTON;
    int16_t nouveau = 0;
    t([&] {
        nouveau = CInt(f->picSliderSon->Left() + x - MILIEU_BOUTON);
        if (nouveau > maxLeft) nouveau = maxLeft;
        if (nouveau < minLeft) nouveau = minLeft;
    });
    if (f->picSliderSon->Left() == nouveau) return;

    t([&] { f->picSliderSon->setLeft(nouveau); });
    int32_t v = 0;
    t([&] {
        const float pc = static_cast<float>(diviser(nouveau - minLeft, maxLeft - minLeft)) * 100.0f;
        v = CLng(pc);
    });
    t([&] { regler_volume(SLOT_VOLUME_GENERAL, v); });
    t([&] { f->lblSon->setCaption(texte_volume(v)); });
}

void mdlVolume::picSliderSon_MouseUp(int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picSliderSon_MouseUp"), FENETRE);
    t([&] { prog.plateforme.sound.beep(); });
    t([&] { reglage_son_en_cours = false; });
}

void mdlVolume::picFondSon_MouseUp(int, int, float x, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picFondSon_MouseUp"), FENETRE);
    frmMain* f = nullptr;
    t([&] { f = &prog.frmMain(); });
    if (!f) return;
    int16_t minLeft = 0, maxLeft = 0, nouveau = 0;
    t([&] {
        minLeft = CInt(f->picFondSon->Left());
        maxLeft = CInt(f->picFondSon->Left() + f->picFondSon->Width() - f->picSliderSon->Width());
    });
    // The knob is centred on the click.
    t([&] {
        nouveau = CInt(f->picFondSon->Left() + x - f->picSliderSon->Width() / 2);
        if (nouveau > maxLeft) nouveau = maxLeft;
        if (nouveau < minLeft) nouveau = minLeft;
    });
    t([&] { f->picSliderSon->setLeft(nouveau); });
    int32_t v = 0;
    t([&] { v = CLng(diviser(nouveau - minLeft, maxLeft - minLeft) * 100.0); });
    t([&] { regler_volume(SLOT_VOLUME_GENERAL, v); });
    t([&] { f->lblSon->setCaption(texte_volume(v)); });
    t([&] { prog.plateforme.sound.beep(); });
    t([&] { reglage_son_en_cours = false; });
}

void mdlVolume::picSon_Click(int) {
    Piege t(prog.rapporteur(), QStringLiteral("picSon_Click"), FENETRE);
    t([&] { prog.frmMain().picSon(0).setVisible(!prog.frmMain().picSon(0).Visible()); });
    // A visible muted symbol means muted.
    t([&] { regler_muet(SLOT_MUET_GENERAL, prog.frmMain().picSon(0).Visible()); });
}

void mdlVolume::picSon_MouseMove(int, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picSon_MouseMove"), FENETRE);
    t([&] { prog.aide().afficher_aide(AIDE_SON, 0); });
}

} // namespace tk
