#include "app/mdlMain.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/registre.h"
#include "bar/mdlAppBar.h"
#include "diag/numerique.h"
#include "drives/mdlDisk.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"
#include "options/frmOption.h"
#include "update/frmMaj.h"
#include "volume/mdlVolume.h"

#include <cmath>

namespace tk {

const QString MODULE = QStringLiteral("mdlMain");

mdlMain::mdlMain(Programme& p) : prog(p) {}

bool mdlMain::init_controles_communs() {
    // Qt's widgets need no registration of control classes; nothing can fail here.
    return true;
}

bool mdlMain::est_demarrage_remplacement() {
    return prog.plateforme.files.commandLine() == QStringLiteral("-reboot") ||
           prog.plateforme.files.exeBaseName() == QStringLiteral("Tarvik_");
}

int mdlMain::lire_mode_barre() {
    // Only 1 (small) and 2 (full) are kept: a stored 0 would start hidden, and
    // an unreadable or out-of-range value must not stop the program from starting.
    int mode = BARRE_COMPLETE;
    Piege::muet()([&] {
        if (CInt(prog.GetSetting(QStringLiteral("modeBarre"), QStringLiteral("2"))) == BARRE_PETITE)
            mode = BARRE_PETITE;
    });
    return mode;
}

void mdlMain::Main() {
    // Each step traps its own errors; this trap only keeps a failing step
    // from stopping the ones after it.
    Piege t(prog.rapporteur(), QStringLiteral("Main"), MODULE);
    init_controles_communs();

    if (est_demarrage_remplacement()) {
        t([&] { prog.frmMaj().session_reboot(); });
        return;
    }
    t([&] { prog.frmMaj().session_nettoyage(); });
    t([&] {
        const QString produit = lire_registre(prog, RegistryRoot::HKEY_LOCAL_MACHINE,
                                              QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                                              QStringLiteral("productname"));
        prog.est_vista = produit.contains(QStringLiteral("Vista"));
    });
    prog.modeBarre = static_cast<int16_t>(lire_mode_barre());
    t([&] { prog.frmOption().Load(); });
    t([&] {
        bool forcer = true;
        prog.disk().recuperation_info_Disk(forcer);
    });
    t([&] { prog.pdh().init_pdh(); });
    t([&] { prog.appbar().alignement_global_compteurs(); });
    t([&] { prog.frmMain().Show(); });
    t([&] { prog.frmOption().ComboSkin_Click(); });
    t([&] { prog.volume().ouvrir_mixer(0); });
    t([&] { animation_demarrage(); });
    t([&] {
        frmMain& f = prog.frmMain();
        f.TimerGetValues->setEnabled(true);
        f.TimerCarteReseau->setEnabled(true);
        f.timerMail->setEnabled(true);
    });
    t([&] { prog.appbar().montrer_la_barre(); });
    t([&] { prog.frmMaj().Unload(vbFormCode); });
    t([&] { prog.antialias().init_couleurs_lissage(); });
    t([&] { prog.frmOption().ComboProcessus_Click(); });
}

void mdlMain::fin_du_programme() {
    if (fini_) return;
    fini_ = true;
    Piege t(prog.rapporteur(), QStringLiteral("fin_du_programme"), MODULE);
    t([&] { prog.plateforme.shell.trayDelete(); });
    t([&] {
        if (auto* f = prog.frmMain_si_charge()) f->Unload(vbAppWindows);
    });
    t([&] {
        if (auto* o = prog.frmOption_si_charge()) o->Unload(vbAppWindows);
    });
}

// A single drawing pass over the meters and a sweep of the volume knob,
// without letting window events run.
void mdlMain::animation_demarrage() {
    frmMain& f = prog.frmMain();
    Piege t(prog.rapporteur(), QStringLiteral("animation_demarrage"), MODULE);
    t([&] { f.TimerGetValues->setEnabled(false); });
    for (int i = 1; i <= 114; ++i) {
        t([&] {
            const double v = std::fabs(std::sin(i / 35.0)) * 100.0;
            f.lblSon->setCaption(texte_nombre(partie_entiere(v)) + QStringLiteral(" %"));
            const double course = f.picFondSon->Width() - f.picSliderSon->Width();
            f.picSliderSon->setLeft(f.picFondSon->Left() + course * v / 100.0);
        });
    }
    const int n = f.picCompteur.UBound();
    for (int k = 0; k <= n; ++k) {
        t([&] {
            f.picCompteur(k).Cls();
            if (f.picDebitDiskE.existe(k)) f.picDebitDiskE(k).Cls();
            if (f.picDebitDiskL.existe(k)) f.picDebitDiskL(k).Cls();
        });
    }
    t([&] {
        const int h = CLng(f.picCompteur(1).Height());
        const int w = CLng(f.picCompteur(1).Width());
        double phase = 0;
        const Couleur inactive = vbSysteme(COLOR_INACTIVECAPTION), active = vbSysteme(COLOR_ACTIVECAPTION);
        for (int k = 0; k <= n; ++k) {
            if (!f.picCompteur.existe(k)) continue;
            PictureBox* cibles[3] = {&f.picCompteur(k), f.picDebitDiskE.existe(k) ? &f.picDebitDiskE(k) : nullptr,
                                     f.picDebitDiskL.existe(k) ? &f.picDebitDiskL(k) : nullptr};
            for (int x = 1; x <= w; ++x) {
                const double a = std::cos(phase);
                const double y1 = arrondi(-std::cos(x / 70.0 + phase) * h * a / 2);
                const double y2 = arrondi(-std::sin(phase - x / 70.0) * h * a / 2);
                const int milieu = div_entiere(h, 2);
                for (PictureBox* p : cibles) {
                    if (!p) continue;
                    p->Line(x, h, x, milieu + y1, inactive);
                    p->Line(x - 15, h, x - 15, milieu + y2, active);
                }
                phase += 0.1;
            }
        }
    });
    t([&] { f.TimerGetValues->setEnabled(true); });
}

} // namespace tk
