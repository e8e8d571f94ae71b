#include "bar/mdlAppBar.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlAppBar::mdlAppBar(Programme& p) : prog(p) {}

void mdlAppBar::brancher(frmMain&) {}

void mdlAppBar::calcul_taille_fenetre() {}
void mdlAppBar::retirer_barre() {}
void mdlAppBar::montrer_la_barre() {}
void mdlAppBar::alignement_global_compteurs() {}

void mdlAppBar::cacher_la_barre() {}
void mdlAppBar::alignement_global_autres_controles() {}

} // namespace tk
