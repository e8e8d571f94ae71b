#include "options/frmOption.h"

#include "app/frmMain.h"
#include "app/programme.h"

namespace tk {

frmOption::frmOption(Programme& p) : Forme(QStringLiteral("frmOption")), prog(p) {
    setCaption(QStringLiteral("Tarvik"));
}

frmOption::~frmOption() = default;

tk::Menu& frmOption::Menu() {
    Load();
    return *menu_;
}

void frmOption::creer_controles(QWidget*) {
    menu_ = std::make_unique<tk::Menu>(QStringLiteral("menuSysTray"));
    menu_->AddItem(QStringLiteral("mnuHideIcon"), QStringLiteral("Task bar icon"), [this] { mnuHideIcon_Click(); });
    menu_->AddItem(QStringLiteral("mnuOptions"), QStringLiteral("Options"), [this] { mnuOptions_Click(); });
    menu_->AddItem(QStringLiteral("mnuQuitter"), QStringLiteral("Exit"), [this] { mnuQuitter_Click(); });
}

void frmOption::detruire_controles() { menu_.reset(); }

void frmOption::Form_Load() {}

void frmOption::Form_QueryUnload(int&, int mode) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_QueryUnload"), nom());
    t([&] { btnOK_Click(); });
    if (mode != vbFormControlMenu) t([&] { prog.plateforme.shell.trayDelete(); });
}

void frmOption::btnOK_Click() {}
void frmOption::ComboSkin_Click() {}
void frmOption::ComboProcessus_Click() {}
void frmOption::mnuHideIcon_Click() {}

void frmOption::mnuOptions_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("mnuOptions_Click"), nom());
    t([&] { Show(); });
}

// "Exit": the tray icon goes, the bar unloads (giving the work area back),
// the options are stored by the dialog's own unload, and the process ends.
void frmOption::mnuQuitter_Click() {
    Piege t(prog.rapporteur(), QStringLiteral("mnuQuitter_Click"), nom());
    t([&] { prog.plateforme.shell.trayDelete(); });
    t([&] {
        if (auto* f = prog.frmMain_si_charge()) f->Unload(vbFormCode);
    });
    t([&] { Unload(vbFormCode); });
    prog.plateforme.files.endProcess(0);
}

} // namespace tk
