// The counter query, the meter controls and the sampling cycle. The drawing
// of the meters is in dessin_compteurs.cpp.
#include "meters/mdlPdh.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "drives/mdlDisk.h"
#include "network/mdlRezo.h"
#include "volume/mdlVolume.h"

namespace tk {

namespace {

const QString FENETRE = QStringLiteral("frmMain");

const QString MODULE = QStringLiteral("mdlPdh");

// Highest meter index the records can hold.
constexpr int DERNIER_COMPTEUR = NB_COMPTEURS - 1;
} // namespace

mdlPdh::mdlPdh(Programme& p) : prog(p) {}
mdlPdh::~mdlPdh() = default;

void mdlPdh::brancher(frmMain& f) {
    f.TimerGetValues->Tick = [this] { TimerGetValues_Timer(); };
}

void mdlPdh::ajouter_compteur(compteur_pdh& c) {
    if (!requete_pdh) lever(ERR_OBJET_NON_DEFINI);
    // A refused path must not inherit the handle of the counter added before
    // it, or its meter would show that other counter's figures.
    hcompteur_courant = 0;
    int32_t handle = 0;
    const int32_t statut = requete_pdh->addCounter(c.chemin, handle);
    if (statut == PDH_OK) hcompteur_courant = handle;
    c.hcompteur = hcompteur_courant;
}

double mdlPdh::valeur(const compteur_pdh& c) {
    if (!requete_pdh) lever(ERR_OBJET_NON_DEFINI);
    int32_t statut = 0; // not examined: a counter without a rate reads what the query gives
    return requete_pdh->value(c.hcompteur, statut);
}

void mdlPdh::montrer_compteur(int k, const compteur_pdh& c, const QPixmap& icone) {
    frmMain& f = prog.frmMain();
    Piege t(prog.rapporteur(), QStringLiteral("init_pdh"), MODULE);
    // Label, then meter, then icon to the front: the icon ends up foremost.
    t([&] { f.lblCompteur(k).ZOrder(); });
    t([&] { f.picCompteur(k).ZOrder(); });
    t([&] { f.picIcone(k).ZOrder(); });
    t([&] { f.lblCompteur(k).setVisible(true); });
    t([&] { f.picCompteur(k).setVisible(true); });
    t([&] { f.picIcone(k).setVisible(true); });
    t([&] { f.picCompteur(k).setToolTipText(c.chemin); });
    t([&] { f.lblCompteur(k).setCaption(c.libelle); });
    t([&] { f.picIcone(k).setPicture(icone); });
}

void mdlPdh::init_pdh() {
    Piege t(prog.rapporteur(), QStringLiteral("init_pdh"), MODULE);
    frmMain& f = prog.frmMain();

    t([&] { prog.fonctions().trace_debug(QStringLiteral(" init_pdh")); });
    // The query being replaced is closed here; nothing uses it once the new one is open.
    t([&] { requete_pdh = prog.plateforme.counters.openQuery(); });

    // Disk rows: a row without a write path gets no counter in either direction.
    for (int r = 0; r < NB_COMPTEURS; ++r) {
        if (compteurs_ecriture[r].chemin.isEmpty()) continue;
        t([&] { ajouter_compteur(compteurs_ecriture[r]); });
        t([&] { ajouter_compteur(compteurs_lecture[r]); });
    }

    // Processor, meter 0.
    compteur_cpu.chemin = prog.est_vista ? QStringLiteral("\\Processeur(_Total)\\Pourcentage de temps processeur")
                                         : QStringLiteral("\\Processeur(_Total)\\% Temps processeur");
    compteur_cpu.unite = QStringLiteral("%");
    compteur_cpu.libelle = QStringLiteral("CPU");
    t([&] { ajouter_compteur(compteur_cpu); });
    t([&] { compteur_cpu.surface = &f.picCompteur(0); });
    t([&] { montrer_compteur(0, compteur_cpu, f.imageCPU->Picture()); });

    // Memory, meter 1: read from the memory status, never from the query.
    compteur_ram.chemin = QStringLiteral("RAM");
    compteur_ram.unite.clear();
    compteur_ram.libelle = QStringLiteral("RAM");
    t([&] { compteur_ram.surface = &f.picCompteur(1); });
    t([&] { montrer_compteur(1, compteur_ram, f.imageRAM->Picture()); });

    // The network meters of the previous run go.
    for (int i = f.picCompteur.Count() - 1; i >= 2; --i) {
        t([&] { f.picCompteur.Unload(i); });
        t([&] { f.picIcone.Unload(i); });
        t([&] { f.lblCompteur.Unload(i); });
    }

    t([&] { prog.rezo().inventaire_cartes_reseau(); });

    // Two meters per interface shown: received at n, sent at n + 1. The
    // records stop at meter 18, so an interface whose two meters do not both
    // fit is left out (eight interfaces at most).
    int n = 2;
    for (int16_t i = 1; i <= 30; ++i) {
        bool affichable = false;
        t([&] { affichable = prog.rezo().carte_affichable(i); });
        if (!affichable) continue;
        if (n + 1 > DERNIER_COMPTEUR) break;
        QString nom;
        t([&] { nom = prog.rezo().cartes_reseau.at(i).nom; });
        for (const QString& sens : {QStringLiteral(")\\Octets reçus/s"), QStringLiteral(")\\Octets envoyés/s")}) {
            compteur_pdh& c = compteurs_rezo[n];
            c.chemin = QStringLiteral("\\Interface réseau(") + nom + sens;
            c.unite = QStringLiteral("ko/s");
            c.libelle = nom.left(5);
            t([&] { ajouter_compteur(c); });
            t([&] { f.picCompteur.Load(n); });
            t([&] { f.lblCompteur.Load(n); });
            t([&] { f.picIcone.Load(n); });
            t([&] { montrer_compteur(n, c, f.imageNET->Picture()); });
            t([&] { c.surface = &f.picCompteur(n); });
            echelle_rezo[n - 2] = 0;
            ++n;
        }
    }
}

void mdlPdh::TimerGetValues_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("TimerGetValues_Timer"), FENETRE);
    t([&] {
        bool forcer = false;
        prog.disk().recuperation_info_Disk(forcer);
    });
    t([&] { lire_compteurs(); });
    t([&] {
        if (!prog.volume().reglage_son_en_cours) prog.volume().recuperation_info_volume();
    });
}

void mdlPdh::lire_compteurs() {
    // The routine name reported with an error is the progress marker: it
    // tells which meter of the pass failed.
    Piege t(prog.rapporteur(), QString(), MODULE);
    frmMain& f = prog.frmMain();

    t([&] {
        if (!requete_pdh) lever(ERR_OBJET_NON_DEFINI);
        requete_pdh->collect();
    });

    // Processor.
    t([&] {
        const int16_t v = CInt(valeur(compteur_cpu));
        dessiner_compteur_cpu(v);
        t.routine([v] { return QStringLiteral("cpu") + QString::number(v); });
    });

    // Memory, in kibibytes from 64-bit sizes. The correction for sizes that
    // read negative belongs to 32-bit records and no longer applies.
    t.routine(QStringLiteral("mem"));
    double total = 0, libre = 0;
    t([&] {
        prog.etat_memoire.dwLength = 32;
        prog.plateforme.system.globalMemoryStatus(prog.etat_memoire);
    });
    t([&] { total = arrondi(static_cast<double>(prog.etat_memoire.dwTotalPhys) / 1024); });
    t([&] { libre = arrondi(static_cast<double>(prog.etat_memoire.dwAvailPhys) / 1024); });
    if (total < 0) total = 4194304 + total;
    if (libre < 0) libre = 4194304 + libre;
    t.routine([libre, disponible = static_cast<double>(prog.etat_memoire.dwAvailPhys) / 1024] {
        return QStringLiteral("ram") + texte_nombre(libre) + QStringLiteral("    ") + texte_nombre(disponible) +
               QStringLiteral("  ") + texte_nombre(4194304 + libre);
    });
    t([&] { dessiner_compteur_ram(CInt(partie_entiere(100 - diviser(libre, total) * 100))); });

    // Disk rows, write then read. Rows beyond the records have no counter.
    // Each row is drawn on its live meters (the records' surfaces), looked up
    // again on every pass so that a rebuilt row is never drawn through a
    // control that is gone.
    for (int r = 0; r <= f.picDebitDiskE.UBound(); ++r) {
        t.routine([r] { return QStringLiteral("disk") + QString::number(r); });
        if (r > DERNIER_COMPTEUR) break;
        const int16_t rang = static_cast<int16_t>(r);
        t([&] { dessiner_compteur_diskE(arrondi(valeur(compteurs_ecriture[r])), &f.picDebitDiskE(r), rang); });
        t([&] { dessiner_compteur_diskL(arrondi(valeur(compteurs_lecture[r])), &f.picDebitDiskL(r), rang); });
    }

    // Network meters; a meter beyond the records has no counter and is not drawn.
    for (int i = 2; i < f.picCompteur.Count() && i <= DERNIER_COMPTEUR; ++i) {
        t.routine([i] { return QStringLiteral("rezo") + QString::number(i); });
        t([&] {
            dessiner_compteur_REZO(arrondi(valeur(compteurs_rezo[i])), &f.picCompteur(i), static_cast<int16_t>(i - 2));
        });
    }
}

} // namespace tk
