#include "bar/mdlAppBar.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "help/mdlAide.h"
#include "options/frmOption.h"

namespace tk {

namespace {
const QString MODULE = QStringLiteral("mdlAppBar");
const QString FENETRE = QStringLiteral("frmMain");

// Height of the bar window in twips for N drive rows (hidden and full modes).
int16_t hauteur_lignes(int n) { return CInt(n * 270.0 + 30.0); }

// Tool-tips of the two size buttons (and of their highlighted pictures) per mode.
void bulles_taille(frmMain& f, int16_t mode) {
    QString plus_petit, plus_grand;
    switch (mode) {
    case BARRE_CACHEE:
        plus_petit = QStringLiteral("Hidden bar");
        plus_grand = QStringLiteral("Small bar");
        break;
    case BARRE_PETITE:
        plus_petit = QStringLiteral("Hidden bar");
        plus_grand = QStringLiteral("Full bar");
        break;
    case BARRE_COMPLETE:
        plus_petit = QStringLiteral("Small bar");
        plus_grand = QStringLiteral("Full bar");
        break;
    default: return;
    }
    f.picTailleBarre(0).setToolTipText(plus_petit);
    f.picTailleBarre(1).setToolTipText(plus_grand);
    if (f.picTailleBarre.existe(2)) f.picTailleBarre(2).setToolTipText(plus_petit);
    if (f.picTailleBarre.existe(3)) f.picTailleBarre(3).setToolTipText(plus_grand);
}
} // namespace

mdlAppBar::mdlAppBar(Programme& p) : prog(p) {}

void mdlAppBar::brancher(frmMain& f) {
    // The window type must be set before the window is first shown.
    prog.plateforme.shell.prepareDock(f.hWnd());
    // Members 1 to 3 already exist: each gets the handlers.
    f.picTailleBarre.pour_chaque([this](Image& b) {
        b.Click = [this](int index) { picTailleBarre_Click(index); };
        b.MouseMove = [this](int index, int bouton, int shift, float x, float y) {
            picTailleBarre_MouseMove(index, bouton, shift, x, y);
        };
    });
    f.timerHide->Tick = [this] { timerHide_Timer(); };
    prog.plateforme.shell.watchDesktop([this] { return bureau_change(); });
}

// ---------------------------------------------------------------- docking

void mdlAppBar::calcul_taille_fenetre() {
    Piege t(prog.rapporteur(), QStringLiteral("calcul_taille_fenetre"), MODULE);
    frmMain& f = prog.frmMain();
    const bool exterieur = !amarrage_en_cours_;
    amarrage_en_cours_ = true;
    struct Fin {
        bool& drapeau;
        bool remettre;
        ~Fin() {
            if (remettre) drapeau = false;
        }
    } fin{amarrage_en_cours_, exterieur};
    t([&] { prog.fonctions().trace_debug(QStringLiteral(" calcul_taille_fenetre")); });
    t([&] { retirer_barre(); });
    t([&] { DoEvents(); });
    const int n = f.picDisc.Count();
    switch (prog.modeBarre) {
    case BARRE_CACHEE:
        t([&] { f.setHeight(hauteur_lignes(n)); });
        t([&] { bulles_taille(f, BARRE_CACHEE); });
        t([&] { f.timerHide->setEnabled(true); });
        t([&] { prog.decalage_compteurs = CInt(div_entiere(f.Height(), 10)); });
        t([&] { f.Line(0, f.Height() - 15, f.Width(), f.Height() - 15, RGB(0, 0, 0)); });
        break;
    case BARRE_PETITE:
        t([&] { f.setHeight(315); });
        t([&] { bulles_taille(f, BARRE_PETITE); });
        t([&] { initialisation_mode_barre(21); });
        t([&] { prog.decalage_compteurs = -15; });
        break;
    case BARRE_COMPLETE:
        t([&] { f.setHeight(hauteur_lignes(n)); });
        t([&] { bulles_taille(f, BARRE_COMPLETE); });
        t([&] { initialisation_mode_barre(CInt(div_entiere(hauteur_lignes(n), 15))); });
        t([&] {
            if (f.Height() > 550)
                prog.decalage_compteurs = CInt(div_entiere(f.Height() - 60 - f.picCompteur(0).Height(), 2));
            else prog.decalage_compteurs = 0;
        });
        t([&] { prog.frmOption().ComboSkin_Click(); });
        break;
    default: break;
    }
    t([&] { alignement_global_autres_controles(); });
    t([&] { alignement_global_compteurs(); });
}

void mdlAppBar::initialisation_mode_barre(int16_t hauteur) {
    Piege t(prog.rapporteur(), QStringLiteral("initialisation_mode_barre"), MODULE);
    frmMain& f = prog.frmMain();
    Shell& shell = prog.plateforme.shell;
    APPBARDATA& d = prog.donnees_barre;
    t([&] { prog.fonctions().trace_debug(QStringLiteral(" initialisation_mode_barre")); });
    t([&] { f.Move(0, 0, 0, 0); });
    t([&] { Ecran::MousePointerDefault(); });
    d.cbSize = 36;
    d.hWnd = f.hWnd();
    d.uCallbackMessage = WM_MOUSEMOVE;
    t([&] { shell.appBarMessage(ABM_NEW, d); });
    t([&] {
        d.rc = RECT{0, 0, shell.screenWidth(), shell.screenHeight()};
        d.uEdge = ABE_TOP;
    });
    t([&] { shell.appBarMessage(ABM_QUERYPOS, d); });
    // The bar is `hauteur` pixels below the top the shell granted: under
    // another program's top bar the top moves down, and the reservation
    // (which runs from the screen's top to the bottom) must follow it.
    t([&] { d.rc.bottom = d.rc.top + hauteur; });
    t([&] { shell.appBarMessage(ABM_SETPOS, d); });
    t([&] { placer_fenetre(f, false, d.rc.top, d.rc.bottom - d.rc.top, SWP_NOACTIVATE); });
}

void mdlAppBar::retirer_barre() {
    Piege t(prog.rapporteur(), QStringLiteral("retirer_barre"), MODULE);
    t([&] {
        frmMain* f = prog.frmMain_si_charge();
        if (f && f->hWnd()) prog.plateforme.shell.appBarMessage(ABM_REMOVE, prog.donnees_barre);
    });
}

bool mdlAppBar::bureau_change() {
    frmMain* f = prog.frmMain_si_charge();
    if (!f) return true;
    if (amarrage_en_cours_ || prog.animation_en_cours) return false;
    if (prog.modeBarre != BARRE_CACHEE) {
        calcul_taille_fenetre();
        return true;
    }
    // Hidden mode reserves nothing: the bar keeps its top (out of sight or
    // shown) and takes the primary monitor's new width.
    Piege t(prog.rapporteur(), QStringLiteral("bureau_change"), MODULE);
    APPBARDATA& d = prog.donnees_barre;
    t([&] {
        d.rc.left = 0;
        d.rc.right = prog.plateforme.shell.screenWidth();
    });
    t([&] { placer_fenetre(*f, d.rc.top < 0, d.rc.top, div_entiere(f->Height(), TWIPS_PAR_PIXEL), SWP_NOACTIVATE); });
    t([&] { alignement_global_autres_controles(); });
    t([&] { alignement_global_compteurs(); });
    return true;
}

bool mdlAppBar::barre_deplacee() {
    frmMain* f = prog.frmMain_si_charge();
    if (!f) return false;
    return f->Top() > prog.donnees_barre.rc.top * TWIPS_PAR_PIXEL + 100;
}

void mdlAppBar::placer_fenetre(frmMain& f, bool au_dessus, int y, int hauteur, uint32_t drapeaux) {
    const RECT& rc = prog.donnees_barre.rc;
    const int largeur = rc.right - rc.left;
    prog.plateforme.shell.setWindowPos(f.hWnd(), au_dessus ? InsertAfter::HWND_TOPMOST : InsertAfter::HWND_TOP, rc.left,
                                       y, largeur, hauteur, drapeaux);
    f.geometrie_pixels(rc.left, y, largeur, hauteur);
}

// ---------------------------------------------------------------- modes and slides

void mdlAppBar::picTailleBarre_Click(int index) {
    Piege t(prog.rapporteur(), QStringLiteral("picTailleBarre_Click"), FENETRE);
    t([&] {
        if (index == 1 || index == 3) {
            prog.modeBarre = static_cast<int16_t>(prog.modeBarre + 1);
            if (prog.modeBarre > BARRE_COMPLETE) prog.modeBarre = BARRE_CACHEE;
        } else {
            prog.modeBarre = static_cast<int16_t>(prog.modeBarre - 1);
            if (prog.modeBarre < BARRE_CACHEE) prog.modeBarre = BARRE_COMPLETE;
        }
    });
    t([&] { prog.SaveSetting(QStringLiteral("modeBarre"), QString::number(prog.modeBarre)); });
    t([&] { calcul_taille_fenetre(); });
}

void mdlAppBar::picTailleBarre_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picTailleBarre_MouseMove"), FENETRE);
    frmMain* f = prog.frmMain_si_charge();
    if (!f) return;
    if (index == 0 || index == 2) {
        t([&] { prog.aide().afficher_aide(AIDE_BOUTON_REDUIRE, 0); });
        t([&] { f->picTailleBarre(2).setVisible(true); });
        t([&] { f->picTailleBarre(3).setVisible(false); });
    } else if (index == 1 || index == 3) {
        t([&] { prog.aide().afficher_aide(AIDE_BOUTON_AGRANDIR, 0); });
        t([&] { f->picTailleBarre(3).setVisible(true); });
        t([&] { f->picTailleBarre(2).setVisible(false); });
    }
}

// The bar's top follows the window while it slides.
void mdlAppBar::glisser_vers(frmMain& f, int y, int h, bool au_dessus, uint32_t drapeaux) {
    prog.donnees_barre.rc.top = y;
    placer_fenetre(f, au_dessus, y, h, drapeaux);
}

// One step of a slide: a short wait, the move, then pending events (a mouse
// move or a tick may run here; animation_en_cours keeps a second slide out).
// The bar's height in whole pixels, read under the slide's trap (0 when it fails).
int mdlAppBar::hauteur_pixels(frmMain& f, Piege& t) {
    int h = 0;
    t([&] { h = div_entiere(f.Height(), TWIPS_PAR_PIXEL); });
    return h;
}

void mdlAppBar::pas_de_glissement(frmMain& f, Piege& t, int y, int h) {
    t([&] { prog.plateforme.files.sleepMs(10); });
    t([&] { glisser_vers(f, y, h, false, SWP_NOACTIVATE); });
    t([&] { DoEvents(); });
}

void mdlAppBar::cacher_la_barre() {
    if (prog.animation_en_cours) return;
    prog.animation_en_cours = true;
    Piege t(prog.rapporteur(), QStringLiteral("cacher_la_barre"), MODULE);
    frmMain& f = prog.frmMain();
    t([&] { f.timerHide->setEnabled(false); });
    const int h = hauteur_pixels(f, t);
    for (int y = -1; y >= -h; y -= 3) pas_de_glissement(f, t, y, h);
    // One pixel row stays on screen, above every other window.
    t([&] { glisser_vers(f, 1 - h, h, true, SWP_NOACTIVATE); });
    prog.animation_en_cours = false;
}

void mdlAppBar::montrer_la_barre() {
    if (prog.animation_en_cours) return;
    prog.animation_en_cours = true;
    Piege t(prog.rapporteur(), QStringLiteral("montrer_la_barre"), MODULE);
    frmMain& f = prog.frmMain();
    const int h = hauteur_pixels(f, t);
    if (f.Top() < 0) {
        for (int y = -h; y <= -1; y += 2) pas_de_glissement(f, t, y, h);
        t([&] { glisser_vers(f, 0, h, true, SWP_SHOWWINDOW); });
        t([&] { f.timerHide->setEnabled(true); });
    }
    prog.animation_en_cours = false;
}

// Hides the bar once the mouse has left it; the bottom edge has 10 pixels of
// tolerance so that a pointer just under the bar does not make it flicker.
void mdlAppBar::timerHide_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("timerHide_Timer"), FENETRE);
    frmMain* f = prog.frmMain_si_charge();
    if (!f) return;
    bool dehors = false;
    t([&] {
        const QPoint p = prog.plateforme.shell.cursorPos();
        const double tx = Ecran::TwipsPerPixelX(), ty = Ecran::TwipsPerPixelY();
        dehors = p.x() < div_entiere(f->Left(), tx) || p.x() > div_entiere(f->Left() + f->Width(), tx) ||
                 p.y() < div_entiere(f->Top(), ty) || p.y() - 10 > div_entiere(f->Top() + f->Height(), ty);
    });
    if (!dehors) return;
    if (prog.modeBarre != BARRE_CACHEE) {
        t([&] { f->timerHide->setEnabled(false); });
        return;
    }
    t([&] { cacher_la_barre(); });
}

// ---------------------------------------------------------------- layout

void mdlAppBar::alignement_global_compteurs() {
    Piege t(prog.rapporteur(), QStringLiteral("alignement_global_compteurs"), MODULE);
    frmMain& f = prog.frmMain();
    // Running positions are 32-bit: a wide screen goes past 32767 twips.
    int32_t x = 0, largeur = 0;
    int16_t hauteur = 0, haut = 0;
    const int n = f.picCompteur.Count();
    t([&] { x = CLng(f.picFondSon->Left() + f.picFondSon->Width() + 300); });
    t([&] {
        const double groupes = partie_entiere((n - 2) / 2.0) + 2;
        const double c = f.Height() > 550 ? 675 : 700;
        largeur = div_entiere(f.Width() - x - groupes * c, n);
        if (largeur > 3000) largeur = 3000;
    });
    t([&] {
        if (f.Height() > 550) {
            hauteur = 475;
            haut = CInt((f.Height() - 475) / 2);
        } else {
            hauteur = CInt(f.Height() - 15);
            haut = 15;
        }
    });
    t([&] { placer_le_compteur(x, 0, largeur, hauteur, haut, true); });
    t([&] { x = CLng(x + f.picCompteur(0).Width() + 600); });
    t([&] { placer_le_compteur(x, 1, largeur, hauteur, haut, true); });
    t([&] { x = CLng(x + f.picCompteur(1).Width() + 600); });
    for (int k = 2; k <= n - 1; ++k) {
        t([&] { placer_le_compteur(x, static_cast<int16_t>(k), largeur, hauteur, haut, k % 2 == 0); });
        t([&] { x = CLng(f.picCompteur(k).Left() + f.picCompteur(k).Width() + 200); });
    }
}

void mdlAppBar::placer_le_compteur(int32_t x, int16_t k, int32_t largeur, int16_t hauteur, int16_t haut,
                                   bool avec_icone) {
    Piege t(prog.rapporteur(), QStringLiteral("placer_le_compteur"), MODULE);
    frmMain& f = prog.frmMain();
    t([&] { f.picCompteur(k).setLeft(x - 100); });
    t([&] { f.picCompteur(k).setWidth(largeur); });
    t([&] { f.picCompteur(k).setTop(haut); });
    t([&] { f.picCompteur(k).setHeight(hauteur); });
    if (avec_icone) {
        t([&] { f.lblCompteur(k).setVisible(true); });
        t([&] { f.picIcone(k).setVisible(true); });
        t([&] { f.picIcone(k).setLeft(x); });
        t([&] { f.picIcone(k).setTop(f.picCompteur(k).Top()); });
        t([&] { f.lblCompteur(k).setLeft(x - 230); });
        t([&] { f.lblCompteur(k).setTop(f.picIcone(k).Top() + f.picIcone(k).Height() + 30); });
        t([&] { f.lblCompteur(k).setWidth(500); });
        t([&] { f.picCompteur(k).setLeft(f.lblCompteur(k).Left() + 600); });
    } else {
        t([&] { f.lblCompteur(k).setVisible(false); });
        t([&] { f.picIcone(k).setVisible(false); });
    }
}

void mdlAppBar::alignement_global_autres_controles() {
    Piege t(prog.rapporteur(), QStringLiteral("alignement_global_autres_controles"), MODULE);
    frmMain& f = prog.frmMain();
    const double W = f.Width(), H = f.Height();
    const int16_t dc = prog.decalage_compteurs;
    int32_t x = 0;
    t([&] { x = CLng(f.picDebitDiskE(0).Left() + f.picDebitDiskE(0).Width() + 150); });

    t([&] { f.picFond->setTop(0); });
    t([&] { f.picFond->setLeft(0); });
    t([&] { f.picFond->setWidth(W); });
    t([&] { f.picFond->setHeight(H); });

    t([&] { f.picMail(0).setLeft(x); });
    t([&] { f.picMail(1).setLeft(x); });
    t([&] { f.picMail(0).setTop(dc + 60); });
    t([&] { f.picMail(1).setTop(dc + 60); });
    t([&] { f.lblMail(0).setTop(f.picMail(0).Top() - 60); });
    t([&] { f.lblMail(1).setTop(f.lblMail(0).Top() + 15); });
    t([&] { f.lblMail(0).setLeft(f.picMail(0).Left() + 230); });
    t([&] { f.lblMail(1).setLeft(f.lblMail(0).Left() + 15); });
    t([&] { x = CLng(f.picMail(0).Left() + 550); });

    t([&] { f.picSon(0).setLeft(x); });
    t([&] { f.picSon(1).setLeft(x); });
    t([&] { f.picSon(0).setTop(dc + 45); });
    t([&] { f.picSon(1).setTop(dc + 45); });
    t([&] { f.lblSon->setTop(f.picSon(0).Top() + f.picSon(0).Height() + 15); });
    t([&] { f.lblSon->setLeft(x); });

    t([&] { x = CLng(x + f.lblSon->Width() + 100); });
    t([&] { f.picFondSon->setLeft(x); });
    t([&] { x = CLng(x + f.picFondSon->Width()); });
    t([&] { x = CLng(x + 300.0); });
    t([&] { f.picFondSon->setTop(div_entiere(H - f.picFondSon->Height(), 2)); });
    t([&] { f.picSliderSon->setTop(f.picFondSon->Top() + 35 - div_entiere(f.picSliderSon->Height(), 2)); });

    double w1 = 0, h1 = 0;
    t([&] {
        w1 = f.picTailleBarre(1).Width();
        h1 = f.picTailleBarre(1).Height();
    });
    if (H > 550) {
        // Two or more drive rows: the buttons stand one above the other.
        t([&] { f.picTailleBarre(1).setLeft(W - w1 + 15); });
        t([&] { f.picTailleBarre(0).setLeft(W - w1 + 15); });
        t([&] { f.picTailleBarre(1).setTop(H / 2); });
        t([&] { f.picTailleBarre(0).setTop(H / 2 - h1 + 15); });
    } else {
        t([&] { f.picTailleBarre(1).setLeft(W - w1 + 55); });
        t([&] { f.picTailleBarre(1).setTop(dc); });
        t([&] { f.picTailleBarre(0).setLeft(W - 2 * w1 + 225); });
        t([&] { f.picTailleBarre(0).setTop(dc + 15); });
    }
    t([&] {
        f.picTailleBarre(3).Move(f.picTailleBarre(1).Left(), f.picTailleBarre(1).Top(), f.picTailleBarre(1).Width(),
                                 f.picTailleBarre(1).Height());
    });
    t([&] {
        f.picTailleBarre(2).Move(f.picTailleBarre(0).Left(), f.picTailleBarre(0).Top(), f.picTailleBarre(0).Width(),
                                 f.picTailleBarre(0).Height());
    });
}

} // namespace tk
