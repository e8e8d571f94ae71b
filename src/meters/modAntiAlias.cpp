#include "meters/modAntiAlias.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

modAntiAlias::modAntiAlias(Programme& p) : prog(p) {}

void modAntiAlias::brancher(frmMain&) {}

void modAntiAlias::init_couleurs_lissage() {}

} // namespace tk
