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

    // Controls (pages of the tab strip, see the load handler).
    std::unique_ptr<TabStrip> TabStrip1;
    GroupeControles<PictureBox> PictureFond{"PictureFond"};
    std::unique_ptr<CommandButton> btnMaj;
    std::unique_ptr<Label> txtInfo;
    std::unique_ptr<TextBox> txtMessage;
    std::unique_ptr<CommandButton> btnSend;
    std::unique_ptr<ComboBox> ComboProcessus;
    std::unique_ptr<ComboBox> ComboSkin;
    std::unique_ptr<TextBox> txtVerifDelay;
    std::unique_ptr<UpDown> UpDownVerif;
    std::unique_ptr<CheckBox> CheckSmooth, CheckHelp, CheckIcone, checkStart, checkmajAuto;
    GroupeControles<TextBox> txtMail{"txtMail"};
    std::unique_ptr<UpDown> UpDown1;
    std::unique_ptr<ComboBox> ComboAlarme;
    std::unique_ptr<CommandButton> btnPlaySound;
    std::unique_ptr<ListView> LV;
    std::unique_ptr<Label> txtVersion;
    std::unique_ptr<Label> Label2;
    std::unique_ptr<CommandButton> btnOK;

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
