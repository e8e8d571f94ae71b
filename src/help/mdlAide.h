// The help balloons: what a button does, or the figures behind a meter,
// shown for three seconds below the bar when the mouse moves over a control.
#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;
class frmPostit;
class Label;
class Piege;

// The help subjects, with the numbers afficher_aide is called with.
enum SujetAide : int16_t {
    AIDE_BOUTON_REDUIRE = 1,  // the button that makes the bar smaller
    AIDE_BOUTON_AGRANDIR = 2, // the button that makes the bar larger
    AIDE_MAIL = 3,            // the mailbox
    AIDE_SON = 4,             // the speaker
    AIDE_LECTURE_DISQUE = 5,  // a drive's read meter
    AIDE_ICONE_DISQUE = 6,    // a drive's icon
    AIDE_ECRITURE_DISQUE = 7, // a drive's write meter
    AIDE_COMPTEUR = 8,        // a meter: 0 processor, 1 memory, 2 and up network
};

class mdlAide {
public:
    explicit mdlAide(Programme& prog);
    // Connects this module's event handlers to the bar window's controls:
    // the mouse moves of picMail and picCompteur and the tick of timerAide.
    void brancher(frmMain& f);

    // Shows the help balloon for a subject (SujetAide) and a number (meter,
    // row...). Failing steps are skipped.
    void afficher_aide(int16_t sujet, int16_t numero);

    // Tick of timerAide: the balloon goes.
    void timerAide_Timer();
    void picMail_MouseMove(int index, int bouton, int shift, float x, float y);
    void picCompteur_MouseMove(int index, int bouton, int shift, float x, float y);

    // Entry of the interface table behind a network meter: the meters 2k
    // and 2k + 1 belong to the k-th interface the bar shows. Error 9 when
    // there is no such interface.
    int16_t carte_du_compteur(int16_t numero);

private:
    // The balloon being filled, and the silent trap its steps run through.
    struct Bulle;
    void aide_taille_barre(Bulle& a, int16_t sujet);
    void aide_mail(Bulle& a);
    void aide_son(Bulle& a);
    void aide_debit_disque(Bulle& a, int16_t sujet, int16_t numero);
    void aide_icone_disque(Bulle& a, int16_t numero);
    void aide_processeur(Bulle& a);
    void aide_memoire(Bulle& a);
    void aide_reseau(Bulle& a, int16_t numero);

    Programme& prog;
};

} // namespace tk
