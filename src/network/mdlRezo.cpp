#include "network/mdlRezo.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlRezo::mdlRezo(Programme& p) : prog(p) {}

void mdlRezo::brancher(frmMain&) {}

} // namespace tk
