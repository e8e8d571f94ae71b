#include "volume/mdlVolume.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlVolume::mdlVolume(Programme& p) : prog(p) {}

void mdlVolume::brancher(frmMain&) {}

bool mdlVolume::ouvrir_mixer(int) { return false; }

void mdlVolume::recuperation_info_volume() {}

} // namespace tk
