#include "help/mdlAide.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlAide::mdlAide(Programme& p) : prog(p) {}

void mdlAide::brancher(frmMain&) {}

} // namespace tk
