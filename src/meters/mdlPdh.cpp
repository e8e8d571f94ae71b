#include "meters/mdlPdh.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlPdh::mdlPdh(Programme& p) : prog(p) {}
mdlPdh::~mdlPdh() = default;

void mdlPdh::brancher(frmMain&) {}
void mdlPdh::init_pdh() {}
void mdlPdh::lire_compteurs() {}
void mdlPdh::TimerGetValues_Timer() {}

} // namespace tk
