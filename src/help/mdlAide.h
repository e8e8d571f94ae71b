// The help balloons: what a button does, or the figures behind a meter,
// shown for three seconds below the bar when the mouse moves over a control.
#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlAide {
public:
    explicit mdlAide(Programme& prog);
    // Connects this module's event handlers to the bar window's controls:
    // the mouse moves of picMail and picCompteur and the tick of timerAide.
    void brancher(frmMain& f);

    // Shows the help balloon for a subject (and a number: meter, row...):
    // 1 smaller button, 2 larger button, 3 mailbox, 4 speaker, 5 and 7 a
    // drive's read and write meters, 6 a drive's icon, 8 a meter (0
    // processor, 1 memory, 2 and up network). Failing steps are skipped.
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
    Programme& prog;
};

} // namespace tk
