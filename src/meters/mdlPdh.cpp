#include "meters/mdlPdh.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlPdh::mdlPdh(Programme& p) : prog(p) {}

void mdlPdh::brancher(frmMain&) {}

void mdlPdh::init_pdh() {}

} // namespace tk
