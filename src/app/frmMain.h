// The bar window: borderless, black, docked at the top of the screen. It
// carries every meter and widget of the bar and owns the program's timers.
#pragma once

#include "forms/controles.h"
#include "forms/forme.h"
#include "platform/network.h"

#include <memory>

namespace tk {

class Programme;

class frmMain : public Forme {
    Q_OBJECT
public:
    explicit frmMain(Programme& prog);
    ~frmMain() override;

    // Controls, in creation order.
    std::unique_ptr<PictureBox> Pic;
    std::unique_ptr<Timer> timerAide;
    GroupeControles<PictureBox> picCompteur{"picCompteur"};
    GroupeControles<PictureBox> picDebitDiskE{"picDebitDiskE"};
    GroupeControles<PictureBox> picDebitDiskL{"picDebitDiskL"};
    std::unique_ptr<Timer> timerMail;
    std::unique_ptr<Timer> TimerCarteReseau;
    std::unique_ptr<Timer> TimerGetValues;
    GroupeControles<PictureBox> picDisc{"picDisc"};
    GroupeControles<Label> lblEspaceLibre{"lblEspaceLibre"};
    GroupeControles<Label> lblEspaceOccupe{"lblEspaceOccupe"};
    std::unique_ptr<Timer> timerHide;
    GroupeControles<Label> lblCompteur{"lblCompteur"};
    GroupeControles<Image> picIcone{"picIcone"};
    std::unique_ptr<Image> picSkin;
    GroupeControles<Image> picTailleBarre{"picTailleBarre"};
    GroupeControles<Label> lblMail{"lblMail"};
    GroupeControles<Image> picMail{"picMail"};
    std::unique_ptr<Image> picSliderSon;
    std::unique_ptr<Image> imageNET, imageRAM, imageCPU;
    GroupeControles<Image> picSon{"picSon"};
    std::unique_ptr<Label> lblSon;
    std::unique_ptr<Image> ImageDISK, ImageFLOPPY, ImageHARD, ImageAMOVIBLE, ImageForm;
    GroupeControles<Label> lblTotalDisc{"lblTotalDisc"};
    GroupeControles<Label> lblNomDisc{"lblNomDisc"};
    GroupeControles<Image> picTypeDisc{"picTypeDisc"};
    std::unique_ptr<Image> picFondSon;
    std::unique_ptr<Image> picFond;
    std::unique_ptr<Socket> POP;

    // Mouse gestures that belong to the bar as a whole.
    void Form_MouseMove(int bouton, int shift, float x, float y);
    void Form_MouseUp(int bouton, int shift, float x, float y);
    void picFond_MouseDown(int bouton, int shift, float x, float y);
    void picFond_MouseMove(int bouton, int shift, float x, float y);
    void survol_controle() override;

protected:
    Qt::WindowFlags drapeaux_fenetre() const override;
    void creer_controles(QWidget* fenetre) override;
    void Form_QueryUnload(int& cancel, int mode) override;
    void Form_Unload(int& cancel) override;

private:
    // creer_controles, group by group, in the order the controls are stacked.
    void creer_image_cachee(std::unique_ptr<Image>& place, QWidget* w, const char* nom, const QPixmap& image);
    void creer_compteurs(QWidget* w);
    void creer_minuteries();
    void creer_lignes_disques(QWidget* w);
    void creer_legendes(QWidget* w);
    void creer_boutons_taille(QWidget* w);
    void creer_mail(QWidget* w);
    void creer_images_compteurs(QWidget* w);
    void creer_son(QWidget* w);
    void creer_images_lecteurs(QWidget* w);
    void creer_textes_disques(QWidget* w);
    void creer_fonds(QWidget* w);
    void brancher_evenements();

    void ouvrir_menu();
    Programme& prog;
};

} // namespace tk
