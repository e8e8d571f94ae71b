// The options dialog: the live home of every user choice, the popup menu
// of the bar and the tray icon.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"

#include <QPointer>
#include <memory>

class QGroupBox;

namespace tk {

class Programme;
class Dialogs;

// The dialog's common file dialog, shared by the skin and the alarm choices:
// it keeps the filter it was last given and the last file chosen.
struct DialogueFichier {
    QString Filter;
    QString FileName; // last file chosen; a cancelled dialog leaves it as it was
    // Shows the dialog for opening a file; returns the file chosen, "" when cancelled.
    QString ShowOpen(Dialogs& dialogues);
};

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

    // Captions and pictures that no code changes.
    std::unique_ptr<Label> lblMessage;                             // page 1
    std::unique_ptr<Label> lblProcessus, lblSkin, lblDelai;        // page 2
    std::unique_ptr<Label> lblPop, lblUser, lblPass, lblDelaiMail; // page 3
    QPointer<QGroupBox> fraAlarme;                                 // page 3, frame "Alarme "
    std::unique_ptr<Label> lblDisques;                             // page 4
    std::unique_ptr<Label> lblTitre, lblNotice;                    // page 5
    std::unique_ptr<Image> imageApropos;                           // page 5

    // The common file dialog.
    DialogueFichier CD;

    // Handlers.
    void btnOK_Click();
    void TabStrip1_Click();
    void CheckHelp_Click();
    void CheckSmooth_Click();
    void checkStart_Click();
    void CheckIcone_Click();
    void ComboProcessus_Click();
    void UpDownVerif_Change();
    void UpDown1_Change();
    void LV_ItemCheck(int index);
    void Label2_Click();
    void btnMaj_Click();
    void ComboSkin_Click();
    void ComboAlarme_Click();
    void btnPlaySound_Click();
    void btnSend_Click();
    void mnuQuitter_Click();
    void mnuHideIcon_Click();
    void mnuOptions_Click();

    // Puts the tray icon up and gives `hWnd` (and, when asked, the window
    // that owns it) the program icon.
    void poser_icone(QWidget* hWnd, const QString& nom_ressource, bool avec_proprietaire);

    // Fills the drive list from the current drive table, ticks from the settings.
    void remplir_liste_disques();

    // The web page that Label2 opens.
    QString adresse_page_web();

protected:
    bool dialogue_fixe() const override;
    void creer_controles(QWidget* fenetre) override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int mode) override;

private:
    Label& etiquette(std::unique_ptr<Label>& place, QWidget* parent, const char* nom, double l, double t, double w,
                     double h, const QString& caption);
    void creer_page_maj(QWidget* page);
    void creer_page_options(QWidget* page);
    void creer_page_mail(QWidget* page);
    void creer_page_disques(QWidget* page);
    void creer_page_apropos(QWidget* page);

    Programme& prog;
    std::unique_ptr<tk::Menu> menu_;
};

} // namespace tk
