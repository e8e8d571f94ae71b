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
template <class T>
std::unique_ptr<T> creer(QWidget* parent, const char* nom, double l, double t, double w, double h) {
    auto c = std::make_unique<T>(parent, QString::fromLatin1(nom));
    c->Move(l, t, w, h);
    return c;
}
template <class T>
void premier(GroupeControles<T>& g, QWidget* parent, double l, double t, double w, double h) {
    auto c = std::make_unique<T>(parent, g.nom());
    c->Move(l, t, w, h);
    g.definir_premier(std::move(c));
}
std::unique_ptr<Image> cache(QWidget* parent, const char* nom, const QPixmap& image) {
    auto c = creer<Image>(parent, nom, 0, 0, 240, 240);
    c->setPicture(image);
    c->setVisible(false);
    return c;
}
QFont petite_police(double points, bool gras) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(gras);
    return f;
}
void style_texte(Label& l, double points = 6.75, bool gras = false) {
    l.setBackStyleTransparent(true);
    l.setForeColor(RGB(255, 255, 255));
    l.setFont(petite_police(points, gras));
}
} // namespace

void frmMain::creer_controles(QWidget* w) {
    setBackColor(RGB(0, 0, 0));

    Pic = creer<PictureBox>(w, "Pic", 0, 0, 0, 0);
    Pic->setVisible(false);
    timerAide = std::make_unique<Timer>(QStringLiteral("timerAide"), this);
    timerAide->setInterval(3000);

    // Meters 0 (processor) and 1 (memory) exist from the start.
    for (int k = 0; k < 2; ++k) {
        if (k == 0) premier(picCompteur, w, 0, 15, 600, 285);
        else picCompteur.Load(1);
        picCompteur(k).setBackColor(RGB(0, 0, 0));
        picCompteur(k).setFont(petite_police(6.75, true));
        picCompteur(k).setVisible(true);
    }
    premier(picDebitDiskE, w, 0, 30, 615, 240);
    premier(picDebitDiskL, w, 0, 30, 615, 240);
    for (PictureBox* p : {&picDebitDiskE(0), &picDebitDiskL(0)}) {
        p->setBackColor(RGB(0, 0, 0));
        p->setFont(petite_police(6, false));
    }

    timerMail = std::make_unique<Timer>(QStringLiteral("timerMail"), this);
    timerMail->setInterval(60000);
    TimerCarteReseau = std::make_unique<Timer>(QStringLiteral("TimerCarteReseau"), this);
    TimerCarteReseau->setInterval(30000);
    TimerGetValues = std::make_unique<Timer>(QStringLiteral("TimerGetValues"), this);
    TimerGetValues->setInterval(750);

    premier(picDisc, w, 0, 30, 1695, 240);
    picDisc(0).setBackColor(RGB(255, 255, 255));
    premier(lblEspaceLibre, w, 0, 0, 720, 195);
    premier(lblEspaceOccupe, w, 0, 0, 960, 195);
    for (Label* l : {&lblEspaceLibre(0), &lblEspaceOccupe(0)}) {
        l->setBackStyleTransparent(true);
        l->setForeColor(RGB(0, 0, 0));
        l->setFont(petite_police(6, false));
        l->setContainer(&picDisc(0));
    }
    lblEspaceLibre(0).setAlignment(Label::vbRightJustify);

    timerHide = std::make_unique<Timer>(QStringLiteral("timerHide"), this);
    timerHide->setInterval(500);

    for (int k = 0; k < 2; ++k) {
        if (k == 0) {
            premier(lblCompteur, w, 0, 0, 500, 195);
            lblCompteur(0).setAlignment(Label::vbCenter);
            style_texte(lblCompteur(0));
        } else lblCompteur.Load(1);
        lblCompteur(k).setVisible(true);
    }
    for (int k = 0; k < 2; ++k) {
        if (k == 0) premier(picIcone, w, 0, 0, 240, 240);
        else picIcone.Load(1);
        picIcone(k).setVisible(true);
    }

    picSkin = creer<Image>(w, "picSkin", 0, 0, 225, 900);
    picSkin->setPicture(dessins::skin_barre());
    picSkin->setVisible(false);

    premier(picTailleBarre, w, 0, 0, 360, 360);
    for (int k = 1; k <= 3; ++k) picTailleBarre.Load(k);
    for (int k = 0; k <= 3; ++k) {
        picTailleBarre(k).setPicture(dessins::bouton_taille(k));
        picTailleBarre(k).setVisible(k < 2);
    }

    premier(lblMail, w, 0, 0, 300, 195);
    style_texte(lblMail(0), 7, true);
    lblMail.Load(1);
    lblMail(1).setForeColor(RGB(0, 0, 0));
    lblMail(0).setVisible(true);
    lblMail(1).setVisible(true);
    lblMail(0).ZOrder();

    premier(picMail, w, 0, 0, 240, 240);
    picMail.Load(1);

    picSliderSon = creer<Image>(w, "picSliderSon", 0, 0, 165, 315);

    imageNET = cache(w, "imageNET", dessins::icone_reseau());
    imageRAM = cache(w, "imageRAM", dessins::icone_memoire());
    imageCPU = cache(w, "imageCPU", dessins::icone_processeur());

    premier(picSon, w, 0, 0, 240, 240);
    picSon.Load(1);
    picSon(1).setVisible(true);

    lblSon = creer<Label>(w, "lblSon", 0, 0, 390, 195);
    style_texte(*lblSon);
    lblSon->setAlignment(Label::vbCenter);
    lblSon->setCaption(QStringLiteral("100%"));

    ImageDISK = cache(w, "ImageDISK", dessins::icone_lecteur(dessins::Lecteur::Cd));
    ImageFLOPPY = cache(w, "ImageFLOPPY", dessins::icone_lecteur(dessins::Lecteur::Autre));
    ImageHARD = cache(w, "ImageHARD", dessins::icone_lecteur(dessins::Lecteur::Fixe));
    ImageAMOVIBLE = cache(w, "ImageAMOVIBLE", dessins::icone_lecteur(dessins::Lecteur::Amovible));
    ImageForm = cache(w, "ImageForm", dessins::icone_programme(32));

    premier(lblTotalDisc, w, 0, 60, 0, 195);
    premier(lblNomDisc, w, 410, 60, 0, 195);
    for (Label* l : {&lblTotalDisc(0), &lblNomDisc(0)}) {
        style_texte(*l, 6.75, false);
        l->setAutoSize(true);
    }
    premier(picTypeDisc, w, 100, 30, 240, 240);

    picFondSon = creer<Image>(w, "picFondSon", 0, 0, 1575, 75);
    picFond = creer<Image>(w, "picFond", 0, 0, Width(), Height());
    picFond->setPicture(dessins::skin_barre());
    picFond->widget()->lower(); // the background stays behind every other control
    POP = prog.plateforme.network.createSocket();

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

void frmMain::detruire_controles() {
    for (Timer* t : {timerAide.get(), timerMail.get(), TimerCarteReseau.get(), TimerGetValues.get(), timerHide.get()})
        if (t) t->setEnabled(false);
    if (POP) POP->close();
    POP.reset();
    // Arrays first (their members are children of the window), then the rest.
    picCompteur = GroupeControles<PictureBox>("picCompteur");
    picDebitDiskE = GroupeControles<PictureBox>("picDebitDiskE");
    picDebitDiskL = GroupeControles<PictureBox>("picDebitDiskL");
    lblEspaceLibre = GroupeControles<Label>("lblEspaceLibre");
    lblEspaceOccupe = GroupeControles<Label>("lblEspaceOccupe");
    picDisc = GroupeControles<PictureBox>("picDisc");
    lblCompteur = GroupeControles<Label>("lblCompteur");
    picIcone = GroupeControles<Image>("picIcone");
    picTailleBarre = GroupeControles<Image>("picTailleBarre");
    lblMail = GroupeControles<Label>("lblMail");
    picMail = GroupeControles<Image>("picMail");
    picSon = GroupeControles<Image>("picSon");
    lblTotalDisc = GroupeControles<Label>("lblTotalDisc");
    lblNomDisc = GroupeControles<Label>("lblNomDisc");
    picTypeDisc = GroupeControles<Image>("picTypeDisc");
    Pic.reset();
    picSkin.reset();
    picSliderSon.reset();
    imageNET.reset();
    imageRAM.reset();
    imageCPU.reset();
    lblSon.reset();
    ImageDISK.reset();
    ImageFLOPPY.reset();
    ImageHARD.reset();
    ImageAMOVIBLE.reset();
    ImageForm.reset();
    picFondSon.reset();
    picFond.reset();
    timerAide.reset();
    timerMail.reset();
    TimerCarteReseau.reset();
    TimerGetValues.reset();
    timerHide.reset();
}

void frmMain::ouvrir_menu() {
    Piege t(prog.rapporteur(), QStringLiteral("ouvrir_menu"), nom());
    t([&] { prog.frmOption().Menu().PopupMenu(prog.plateforme.shell.cursorPos()); });
}

// The shell's notifications for the bar arrive as window mouse moves too.
void frmMain::Form_MouseMove(int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_MouseMove"), nom());
    t([&] {
        if (prog.modeBarre == 0) prog.appbar().montrer_la_barre();
    });
}

void frmMain::Form_MouseUp(int bouton, int, float, float) {
    if (bouton == vbRightButton) ouvrir_menu();
}

void frmMain::picFond_MouseDown(int bouton, int, float, float) {
    if (bouton == vbRightButton) ouvrir_menu();
}

void frmMain::picFond_MouseMove(int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picFond_MouseMove"), nom());
    t([&] {
        if (prog.modeBarre == 0) prog.appbar().montrer_la_barre();
    });
    t([&] { picTailleBarre(3).setVisible(false); });
    t([&] { picTailleBarre(2).setVisible(false); });
}

void frmMain::Form_QueryUnload(int&, int) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_QueryUnload"), nom());
    t([&] { prog.appbar().retirer_barre(); });
}

void frmMain::Form_Unload(int&) {
    Piege t(prog.rapporteur(), QStringLiteral("Form_Unload"), nom());
    t([&] { prog.appbar().retirer_barre(); });
}

} // namespace tk
