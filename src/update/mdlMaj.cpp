#include "update/mdlMaj.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlMaj::mdlMaj(Programme& p) : prog(p) {}

void mdlMaj::brancher(frmMain&) {}

} // namespace tk
