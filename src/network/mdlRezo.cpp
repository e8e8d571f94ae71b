#include "network/mdlRezo.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlRezo::mdlRezo(Programme& p) : prog(p) {}

void mdlRezo::brancher(frmMain&) {}
void mdlRezo::inventaire_cartes_reseau() {}
bool mdlRezo::carte_affichable(int16_t) { return false; }
void mdlRezo::TimerCarteReseau_Timer() {}

} // namespace tk
