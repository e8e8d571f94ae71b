#include "mail/mdlMail.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

mdlMail::mdlMail(Programme& p) : prog(p) {}

void mdlMail::brancher(frmMain&) {}

} // namespace tk
