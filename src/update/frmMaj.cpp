#include "update/frmMaj.h"

#include "app/programme.h"

namespace tk {

frmMaj::frmMaj(Programme& p) : Forme(QStringLiteral("frmMaj")), prog(p) {}
frmMaj::~frmMaj() = default;

void frmMaj::creer_controles(QWidget*) {}
void frmMaj::detruire_controles() {}

void frmMaj::session_reboot() {}
void frmMaj::session_nettoyage() {}

} // namespace tk
