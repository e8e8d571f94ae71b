#include "drives/mdlDisk.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlDisk::mdlDisk(Programme& p) : prog(p) {}

void mdlDisk::brancher(frmMain&) {}
void mdlDisk::recuperation_info_Disk(bool&) {}

} // namespace tk
