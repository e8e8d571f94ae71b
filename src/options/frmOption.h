// The options dialog: the live home of every user choice, the popup menu
// of the bar and the tray icon.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"

#include <memory>

namespace tk {

class Programme;

class frmOption : public Forme {
    Q_OBJECT
public:
    explicit frmOption(Programme& prog);
    ~frmOption() override;

    // The popup menu "menuSysTray".
    tk::Menu& Menu();

    void btnOK_Click();
    void ComboSkin_Click();
    void ComboProcessus_Click();
    void mnuQuitter_Click();
    void mnuHideIcon_Click();
    void mnuOptions_Click();

protected:
    void creer_controles(QWidget* fenetre) override;
    void detruire_controles() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int mode) override;

private:
    Programme& prog;
    std::unique_ptr<tk::Menu> menu_;
};

} // namespace tk
