#include "help/mdlAide.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlAide::mdlAide(Programme& p) : prog(p) {}

void mdlAide::brancher(frmMain&) {}

void mdlAide::afficher_aide(int16_t, int16_t) {}

} // namespace tk
