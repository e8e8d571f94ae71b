#include "update/mdlMaj.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlMaj::mdlMaj(Programme& p) : prog(p) {}

void mdlMaj::brancher(frmMain&) {}

void mdlMaj::recherche_mise_a_jour() {}

} // namespace tk
