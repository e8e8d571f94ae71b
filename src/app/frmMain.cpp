#include "app/frmMain.h"

#include "app/dessins.h"
#include "app/programme.h"
#include "bar/mdlAppBar.h"
#include "drives/mdlDisk.h"
#include "help/mdlAide.h"
#include "mail/mdlMail.h"
#include "meters/mdlPdh.h"
#include "network/mdlRezo.h"
#include "options/frmOption.h"
#include "update/mdlMaj.h"
#include "volume/mdlVolume.h"

#include <QCursor>

namespace tk {

frmMain::frmMain(Programme& p) : Forme(QStringLiteral("frmMain")), prog(p) {
    largeur_conception_ = Ecran::Width();
    hauteur_conception_ = 300;
}

frmMain::~frmMain() { Unload(vbFormCode); }

Qt::WindowFlags frmMain::drapeaux_fenetre() const {
    // No title bar, no frame, no window icon; never takes the keyboard focus.
    return Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
}

namespace {

const QString MODULE = QStringLiteral("frmMain");
void style_texte(Label& l, double points = 6.75, bool gras = false) {
    l.setBackStyleTransparent(true);
    l.setForeColor(RGB(255, 255, 255));
    l.setFont(police(Police::SmallFonts, points, gras));
}
} // namespace

void frmMain::creer_controles(QWidget* w) {
    setBackColor(RGB(0, 0, 0));
    creer(Pic, w, "Pic", 0, 0, 0, 0).setVisible(false);
    creer(timerAide, "timerAide", 3000);
    creer_compteurs(w);
    creer_minuteries();
    creer_lignes_disques(w);
    creer(timerHide, "timerHide", 500);
    creer_legendes(w);
    creer_boutons_taille(w);
    creer_mail(w);
    creer(picSliderSon, w, "picSliderSon", 0, 0, 165, 315);
    creer_images_compteurs(w);
    creer_son(w);
    creer_images_lecteurs(w);
    creer_textes_disques(w);
    creer_fonds(w);
    brancher_evenements();
}

// A hidden holder of a picture.
void frmMain::creer_image_cachee(std::unique_ptr<Image>& place, QWidget* w, const char* nom, const QPixmap& image) {
    creer(place, w, nom, 0, 0, 240, 240).setPicture(image);
    place->setVisible(false);
}

void frmMain::creer_compteurs(QWidget* w) {
    // Meters 0 (processor) and 1 (memory) exist from the start.
    creer(picCompteur, w, 0, 15, 600, 285);
    picCompteur.Load(1);
    for (int k = 0; k < 2; ++k) {
        picCompteur(k).setBackColor(RGB(0, 0, 0));
        picCompteur(k).setFont(police(Police::SmallFonts, 6.75, true));
        picCompteur(k).setVisible(true);
    }
    creer(picDebitDiskE, w, 0, 30, 615, 240);
    creer(picDebitDiskL, w, 0, 30, 615, 240);
    for (PictureBox* p : {&picDebitDiskE(0), &picDebitDiskL(0)}) {
        p->setBackColor(RGB(0, 0, 0));
        p->setFont(police(Police::SmallFonts, 6));
    }
}

void frmMain::creer_minuteries() {
    creer(timerMail, "timerMail", 60000);
    creer(TimerCarteReseau, "TimerCarteReseau", 30000);
    creer(TimerGetValues, "TimerGetValues", 750);
}

void frmMain::creer_lignes_disques(QWidget* w) {
    creer(picDisc, w, 0, 30, 1695, 240).setBackColor(RGB(255, 255, 255));
    creer(lblEspaceLibre, w, 0, 0, 720, 195);
    creer(lblEspaceOccupe, w, 0, 0, 960, 195);
    for (Label* l : {&lblEspaceLibre(0), &lblEspaceOccupe(0)}) {
        l->setBackStyleTransparent(true);
        l->setForeColor(RGB(0, 0, 0));
        l->setFont(police(Police::SmallFonts, 6));
        l->setContainer(&picDisc(0));
    }
    lblEspaceLibre(0).setAlignment(Label::vbRightJustify);
}

void frmMain::creer_legendes(QWidget* w) {
    creer(lblCompteur, w, 0, 0, 500, 195);
    lblCompteur(0).setAlignment(Label::vbCenter);
    style_texte(lblCompteur(0));
    lblCompteur.Load(1);
    for (int k = 0; k < 2; ++k) lblCompteur(k).setVisible(true);
    creer(picIcone, w, 0, 0, 240, 240);
    picIcone.Load(1);
    for (int k = 0; k < 2; ++k) picIcone(k).setVisible(true);

    creer(picSkin, w, "picSkin", 0, 0, 225, 900).setPicture(dessins::skin_barre());
    picSkin->setVisible(false);
}

void frmMain::creer_boutons_taille(QWidget* w) {
    creer(picTailleBarre, w, 0, 0, 360, 360);
    for (int k = 1; k <= 3; ++k) picTailleBarre.Load(k);
    for (int k = 0; k <= 3; ++k) {
        picTailleBarre(k).setPicture(dessins::bouton_taille(k));
        picTailleBarre(k).setVisible(k < 2);
    }
}

void frmMain::creer_mail(QWidget* w) {
    style_texte(creer(lblMail, w, 0, 0, 300, 195), 7, true);
    lblMail.Load(1);
    lblMail(1).setForeColor(RGB(0, 0, 0));
    lblMail(0).setVisible(true);
    lblMail(1).setVisible(true);
    lblMail(0).ZOrder();

    creer(picMail, w, 0, 0, 240, 240);
    picMail.Load(1);
}

void frmMain::creer_images_compteurs(QWidget* w) {
    creer_image_cachee(imageNET, w, "imageNET", dessins::icone_reseau());
    creer_image_cachee(imageRAM, w, "imageRAM", dessins::icone_memoire());
    creer_image_cachee(imageCPU, w, "imageCPU", dessins::icone_processeur());
}

void frmMain::creer_son(QWidget* w) {
    creer(picSon, w, 0, 0, 240, 240);
    picSon.Load(1);
    picSon(1).setVisible(true);

    style_texte(creer(lblSon, w, "lblSon", 0, 0, 390, 195));
    lblSon->setAlignment(Label::vbCenter);
    lblSon->setCaption(QStringLiteral("100%"));
}

void frmMain::creer_images_lecteurs(QWidget* w) {
    creer_image_cachee(ImageDISK, w, "ImageDISK", dessins::icone_lecteur(dessins::Lecteur::Cd));
    creer_image_cachee(ImageFLOPPY, w, "ImageFLOPPY", dessins::icone_lecteur(dessins::Lecteur::Autre));
    creer_image_cachee(ImageHARD, w, "ImageHARD", dessins::icone_lecteur(dessins::Lecteur::Fixe));
    creer_image_cachee(ImageAMOVIBLE, w, "ImageAMOVIBLE", dessins::icone_lecteur(dessins::Lecteur::Amovible));
    creer_image_cachee(ImageForm, w, "ImageForm", dessins::icone_programme(32));
}

void frmMain::creer_textes_disques(QWidget* w) {
    creer(lblTotalDisc, w, 0, 60, 0, 195);
    creer(lblNomDisc, w, 410, 60, 0, 195);
    for (Label* l : {&lblTotalDisc(0), &lblNomDisc(0)}) {
        style_texte(*l, 6.75, false);
        l->setAutoSize(true);
    }
    creer(picTypeDisc, w, 100, 30, 240, 240);
}

void frmMain::creer_fonds(QWidget* w) {
    creer(picFondSon, w, "picFondSon", 0, 0, 1575, 75);
    creer(picFond, w, "picFond", 0, 0, Width(), Height()).setPicture(dessins::skin_barre());
    picFond->widget()->lower(); // the background stays behind every other control
}

// The mailbox socket, the bar's own gestures, and each module's handlers.
void frmMain::brancher_evenements() {
    POP = prog.plateforme.network.createSocket();
    posseder([this] {
        if (POP) POP->close();
        POP.reset();
    });

    MouseMove = [this](int, int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
    MouseUp = [this](int, int b, int s, float x, float y) { Form_MouseUp(b, s, x, y); };
    picFond->MouseDown = [this](int, int b, int s, float x, float y) { picFond_MouseDown(b, s, x, y); };
    picFond->MouseMove = [this](int, int b, int s, float x, float y) { picFond_MouseMove(b, s, x, y); };
    picCompteur(0).Click = nullptr;
    picIcone(0).Click = nullptr;

    // Each module connects its own handlers to the controls it owns.
    prog.appbar().brancher(*this);
    prog.pdh().brancher(*this);
    prog.disk().brancher(*this);
    prog.rezo().brancher(*this);
    prog.volume().brancher(*this);
    prog.mail().brancher(*this);
    prog.aide().brancher(*this);
    prog.maj().brancher(*this);
}

void frmMain::ouvrir_menu() {
    Piege t(prog.rapporteur(), QStringLiteral("ouvrir_menu"), MODULE);
    t([&] { prog.frmOption().Menu().PopupMenu(prog.plateforme.shell.cursorPos()); });
}

// The shell's notifications for the bar arrive as window mouse moves too.
void frmMain::Form_MouseMove(int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_MouseMove"), MODULE);
    t([&] {
        if (prog.modeBarre == BARRE_CACHEE) prog.appbar().montrer_la_barre();
    });
}

void frmMain::Form_MouseUp(int bouton, int, float, float) {
    if (bouton == vbRightButton) ouvrir_menu();
}

void frmMain::picFond_MouseDown(int bouton, int, float, float) {
    if (bouton == vbRightButton) ouvrir_menu();
}

// In hidden mode the bar is a one-pixel strip, mostly covered by meters and
// other controls: the mouse touching it anywhere brings the bar back, over a
// control as over the uncovered window.
void frmMain::survol_controle() {
    if (prog.modeBarre != BARRE_CACHEE) return;
    Form_MouseMove(0, 0, 0, 0);
}

void frmMain::picFond_MouseMove(int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picFond_MouseMove"), MODULE);
    t([&] {
        if (prog.modeBarre == BARRE_CACHEE) prog.appbar().montrer_la_barre();
    });
    t([&] { picTailleBarre(3).setVisible(false); });
    t([&] { picTailleBarre(2).setVisible(false); });
}

void frmMain::Form_QueryUnload(int&, int) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_QueryUnload"), MODULE);
    t([&] { prog.appbar().retirer_barre(); });
}

void frmMain::Form_Unload(int&) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_Unload"), MODULE);
    t([&] { prog.appbar().retirer_barre(); });
}

} // namespace tk
