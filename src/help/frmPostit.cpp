#include "help/frmPostit.h"

#include "app/programme.h"

namespace tk {

frmPostit::frmPostit(Programme& p) : Forme(QStringLiteral("frmPostit")), prog(p) {}
frmPostit::~frmPostit() = default;

Qt::WindowFlags frmPostit::drapeaux_fenetre() const {
    return Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
}

void frmPostit::creer_controles(QWidget*) {}
void frmPostit::detruire_controles() {}

} // namespace tk
