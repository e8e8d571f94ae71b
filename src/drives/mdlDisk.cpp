#include "drives/mdlDisk.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "bar/mdlAppBar.h"
#include "diag/erreur.h"
#include "diag/format.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "drives/dessins_disques.h"
#include "help/mdlAide.h"
#include "meters/mdlPdh.h"
#include "options/frmOption.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("mdlDisk");
const QString FENETRE = QStringLiteral("frmMain");

// The root path of a drive: its letter, ":" and a backslash.
QString racine(const QString& lettre) { return lettre.left(1) + QStringLiteral(":\\"); }

// The system's drive list: the text trimmed of blanks at both ends, split at
// every NUL, empty pieces kept (the list ends with two of them).
QStringList liste_lecteurs(const QString& texte) {
    qsizetype debut = 0, fin = texte.size();
    while (debut < fin && texte[debut] == u' ') ++debut;
    while (fin > debut && texte[fin - 1] == u' ') --fin;
    return texte.mid(debut, fin - debut).split(QChar(0), Qt::KeepEmptyParts);
}

// A checked 32-bit product, as the cluster arithmetic of the classic query needs.
int32_t produit32(int64_t a, int64_t b) {
    const int64_t p = a * b;
    if (p > std::numeric_limits<int32_t>::max() || p < std::numeric_limits<int32_t>::min()) lever(ERR_DEPASSEMENT);
    return static_cast<int32_t>(p);
}

// A box between two corners given in any order (a full or an empty drive
// draws some of its rectangles from right to left).
void boite(PictureBox& p, double x1, double y1, double x2, double y2, Couleur c, PictureBox::StyleLigne style) {
    p.Line(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), c, style);
}

} // namespace

double nombre_depuis_espace(const QString& texte) {
    QString t = texte;
    const QString groupe = QLocale().groupSeparator();
    if (!groupe.isEmpty()) t.remove(groupe);
    // Blank-like separators (no-break spaces) some locales group with.
    t.remove(QChar(0x00A0));
    t.remove(QChar(0x202F));
    t.remove(QLatin1Char(' '));
    return CDbl(t);
}

mdlDisk::mdlDisk(Programme& p) : prog(p) {}

void mdlDisk::brancher(frmMain& f) {
    // Members created later by charger_controle_disque copy these handlers and the pointer.
    f.picTypeDisc(0).Click = [this](int index) { picTypeDisc_Click(index); };
    f.picTypeDisc(0).MouseMove = [this](int index, int b, int s, float x, float y) {
        picTypeDisc_MouseMove(index, b, s, x, y);
    };
    f.picDebitDiskL(0).MouseMove = [this](int index, int b, int s, float x, float y) {
        picDebitDiskL_MouseMove(index, b, s, x, y);
    };
    f.picDebitDiskE(0).MouseMove = [this](int index, int b, int s, float x, float y) {
        picDebitDiskE_MouseMove(index, b, s, x, y);
    };
    f.picTypeDisc(0).setMousePointer(dessins::curseur_disque());
}

// ---------------------------------------------------------------- inventory

void mdlDisk::recuperation_info_Disk(bool& forcer) {
    Piege t(prog.rapporteur(), QStringLiteral("recuperation_info_Disk"), MODULE);
    QStringList liste;
    t([&] {
        const QString texte = prog.plateforme.system.logicalDriveStrings();
        if (!lecteurs_lus_ || texte != texte_lecteurs_) {
            lecteurs_ = liste_lecteurs(texte);
            texte_lecteurs_ = texte;
            lecteurs_lus_ = true;
        }
        liste = lecteurs_;
    });
    // Entries beyond the table are ignored.
    const int borne = std::min<int>(static_cast<int>(liste.size()) - 1, NB_DISQUES - 1);

    for (int i = 0; i <= borne; ++i) {
        InfoDisque& d = disques[i];
        const QString ancienne_lettre = d.lettre;
        const QString ancien_type = d.type_disque;
        const bool avait_taille = d.taille_totale != 0;
        t([&] { d.lettre = liste[i].left(1); });
        if (d.lettre == QStringLiteral("A") || d.lettre == QStringLiteral("B")) continue;
        // One query of the system gives the three figures.
        Espaces e;
        t([&] { e = mesurer_espaces(d.lettre); });
        t([&] { d.espace_libre = valeur_espace(e, 1); });
        t([&] { d.nom_volume = lire_nom_volume(d.lettre); });
        t([&] { d.espace_occupe = valeur_espace(e, 2); });
        t([&] { d.taille_totale = valeur_espace(e, 3); });
        t([&] { d.type_disque = lire_type_disque(d.lettre); });
        t([&] {
            // A used space that moves inside one step rebuilds nothing.
            if (partie_entiere(etat.dernier_occupe[i] / PAS_OCCUPATION) !=
                partie_entiere(d.espace_occupe / PAS_OCCUPATION)) {
                etat.dernier_occupe[i] = d.espace_occupe;
                forcer = true;
            }
        });
        // An entry that now stands for another drive, or that gains or loses
        // its size (a disc put in or taken out), changes the rows even when
        // its used space stays inside one step.
        if (d.lettre != ancienne_lettre || d.type_disque != ancien_type || (d.taille_totale != 0) != avait_taille)
            forcer = true;
    }

    t([&] {
        if (liste.isEmpty()) return;
        if (borne != etat.indice_max) {
            etat.indice_max = static_cast<int16_t>(borne);
            verification_affichage_disk(etat);
            forcer = true;
        }
    });
    if (forcer) t([&] { init_disques(etat); });
}

void mdlDisk::verification_affichage_disk(EtatDisques& e) {
    Piege t(prog.rapporteur(), QStringLiteral("verification_affichage_disk"), MODULE);
    t([&] { prog.fonctions().trace_debug(QStringLiteral(" verification_affichage_disk")); });
    ListView* lv = nullptr;
    t([&] { lv = prog.frmOption().LV.get(); });
    if (lv) t([&] { lv->Clear(); });
    const int borne = std::min<int>(e.indice_max, NB_DISQUES - 1);
    for (int i = 0; i <= borne; ++i) {
        if (lv) t([&] { ajouter_a_la_liste(*lv, i); });
        t([&] { disques[i].afficher = CBool(prog.GetSetting(cle_disque(i), QStringLiteral("True"))); });
    }
}

QString mdlDisk::cle_disque(int i) { return QStringLiteral("disk") + QString::number(i); }

// One entry of the options dialog's drive list: letter, type, size, name,
// ticked as its "disk" setting says (missing is ticked).
void mdlDisk::ajouter_a_la_liste(ListView& lv, int i) {
    const InfoDisque& d = disques.at(static_cast<size_t>(i));
    const QStringList sous{d.type_disque, QString::number(d.taille_totale, 'f', 0), d.nom_volume};
    lv.Add(d.lettre, sous, CBool(prog.GetSetting(cle_disque(i), QStringLiteral("True"))));
}

void mdlDisk::ecrire_compteurs_ligne(int16_t n, const InfoDisque& d) {
    frmMain& f = prog.frmMain();
    mdlPdh& pdh = prog.pdh();
    compteur_pdh& e = pdh.compteurs_ecriture[n];
    compteur_pdh& l = pdh.compteurs_lecture[n];
    const QString base = QStringLiteral("\\Disque logique(") + d.lettre + QStringLiteral(":)\\");
    const QString chemin_e = base + (prog.est_vista ? QStringLiteral("Écritures disque, octets/s")
                                                    : QStringLiteral("Ecritures disque, octets/s"));
    const QString chemin_l = base + QStringLiteral("Lectures disque, octets/s");

    // A row that now shows another drive gets that drive's counters in the
    // query at once, so that it never shows the rates of the drive it showed
    // before under the new name. A refused path reads 0.
    auto ouvrir = [&](compteur_pdh& c, const QString& chemin) {
        if (!pdh.requete_pdh) return;
        if (c.chemin == chemin && c.hcompteur != 0) return;
        int32_t h = 0;
        if (pdh.requete_pdh->addCounter(chemin, h) != PDH_OK) h = 0;
        c.hcompteur = h;
    };
    ouvrir(e, chemin_e);
    ouvrir(l, chemin_l);

    e.chemin = chemin_e;
    e.unite = QStringLiteral("ko/s");
    e.libelle = d.lettre + QStringLiteral(":");
    l.chemin = chemin_l;
    l.unite = QStringLiteral("ko/s");
    l.libelle = d.lettre + QStringLiteral(":");
    e.surface = &f.picDebitDiskE(n);
    l.surface = &f.picDebitDiskL(n);
    if (d.type_disque != TYPE_CDROM) {
        f.picDebitDiskE(n).setToolTipText(e.chemin);
        f.picDebitDiskL(n).setToolTipText(l.chemin);
    }
}

// Shows or hides the eight controls of row n, each statement trapped.
void mdlDisk::visibilite_ligne(Piege& t, frmMain& f, int16_t n, bool visible) {
    t([&] { f.picDisc(n).setVisible(visible); });
    t([&] { f.picDebitDiskE(n).setVisible(visible); });
    t([&] { f.picDebitDiskL(n).setVisible(visible); });
    t([&] { f.lblNomDisc(n).setVisible(visible); });
    t([&] { f.lblTotalDisc(n).setVisible(visible); });
    t([&] { f.lblEspaceOccupe(n).setVisible(visible); });
    t([&] { f.lblEspaceLibre(n).setVisible(visible); });
    t([&] { f.picTypeDisc(n).setVisible(visible); });
}

// Row 0 cannot be unloaded: with no drive shown it is hidden instead.
void mdlDisk::cacher_ligne(int16_t n) {
    Piege t(prog.rapporteur(), QStringLiteral("init_disques"), MODULE);
    visibilite_ligne(t, prog.frmMain(), n, false);
}

void mdlDisk::init_disques(EtatDisques& e) {
    Piege t(prog.rapporteur(), QStringLiteral("init_disques"), MODULE);
    t([&] { prog.fonctions().trace_debug(QStringLiteral(" init_disques")); });
    int16_t n = 0;
    const int borne = std::min<int>(e.indice_max, NB_DISQUES - 1);
    for (int16_t i = 0; i <= borne; ++i) {
        const InfoDisque& d = disques[i];
        const QString& type = d.type_disque;
        if (type.isEmpty() || type == TYPE_INEXISTANT || !d.afficher || d.taille_totale == 0) continue;
        // Drives beyond the rows the counter tables hold are left off the bar.
        if (n >= NB_LIGNES_DISQUE) break;
        t([&] { charger_controle_disque(n); });
        t([&] { alignement_vertical_controles_disk(i, n); });
        t([&] { ecrire_compteurs_ligne(n, d); });
        ++n;
    }

    int lignes = 0;
    t([&] { lignes = prog.frmMain().picDisc.Count(); });
    for (int16_t j = n; j < lignes; ++j) {
        if (j == 0) {
            cacher_ligne(0);
            continue;
        }
        frmMain& f = prog.frmMain();
        t([&] { f.lblEspaceOccupe.Unload(j); });
        t([&] { f.lblEspaceLibre.Unload(j); });
        t([&] { f.picDisc.Unload(j); });
        t([&] { f.lblNomDisc.Unload(j); });
        t([&] { f.lblTotalDisc.Unload(j); });
        t([&] { f.picTypeDisc.Unload(j); });
        t([&] { f.picDebitDiskL.Unload(j); });
        t([&] { f.picDebitDiskE.Unload(j); });
    }

    // The row count starts at 0, so a first rebuild that shows no drive (all
    // of them unticked) would otherwise never size and dock the bar.
    if (e.nb_affiches != n || !barre_placee_) {
        barre_placee_ = true;
        e.nb_affiches = n;
        t([&] { alignement_horizontal_controles_disk(); });
        t([&] { prog.appbar().calcul_taille_fenetre(); });
        t([&] { prog.frmOption().ComboSkin_Click(); });
    }
}

// ---------------------------------------------------------------- drive facts

QString mdlDisk::lire_type_disque(const QString& lettre) {
    QString r;
    Piege t = Piege::muet();
    t([&] {
        switch (prog.plateforme.system.driveType(racine(lettre))) {
        case DRIVE_NO_ROOT_DIR: r = TYPE_INEXISTANT; break;
        case DRIVE_REMOVABLE: r = TYPE_AMOVIBLE; break;
        case DRIVE_FIXED: r = TYPE_FIXE; break;
        case DRIVE_REMOTE: r = TYPE_RESEAU; break;
        case DRIVE_CDROM: r = TYPE_CDROM; break;
        case DRIVE_RAMDISK: r = TYPE_RAM; break;
        default: r = TYPE_INCONNU; break;
        }
    });
    return r;
}

QString mdlDisk::lire_nom_volume(const QString& lettre) {
    QString r;
    Piege t = Piege::muet();
    t([&] { r = prog.plateforme.system.volumeLabel(racine(lettre)); });
    return r;
}

mdlDisk::Espaces mdlDisk::mesurer_espaces(const QString& lettre) {
    Espaces e;
    Piege t = Piege::muet();
    const QString chemin = racine(lettre);
    uint32_t build = 0;
    bool version = false;
    t([&] { version = prog.plateforme.system.versionBuild(build); });
    if (!version) return e;

    e.etat = Espaces::Echec;
    if ((build & 0xFFFF) >= 1111) {
        uint64_t libre = 0, total = 0, libre_total = 0;
        bool ok = false;
        t([&] { ok = prog.plateforme.system.diskFreeSpaceEx(chemin, libre, total, libre_total); });
        if (!ok) return e;
        // Used space is what the files take, as df counts it: the blocks
        // reserved for the administrator are free, not used, though the user
        // may not write to them (free is what the user may still write).
        e.valeur = {static_cast<double>(libre), static_cast<double>(total) - static_cast<double>(libre_total),
                    static_cast<double>(total)};
        e.choisi = {true, true, true};
    } else {
        int32_t secteurs = 0, octets = 0, libres = 0, clusters = 0;
        bool ok = false;
        t([&] { ok = prog.plateforme.system.diskFreeSpace(chemin, secteurs, octets, libres, clusters); });
        if (!ok) return e;
        // The classic figures are 32-bit: a product that overflows leaves that figure empty.
        e.choisi[0] = t([&] { e.valeur[0] = produit32(produit32(secteurs, octets), libres); });
        e.choisi[1] = t([&] {
            const int32_t cluster = produit32(secteurs, octets);
            const int64_t d = int64_t(produit32(cluster, clusters)) - int64_t(produit32(cluster, libres));
            e.valeur[1] = produit32(d, 1);
        });
        e.choisi[2] = t([&] { e.valeur[2] = produit32(produit32(secteurs, octets), clusters); });
    }
    e.etat = Espaces::Valeurs;
    return e;
}

QString mdlDisk::texte_espace(const Espaces& e, int16_t genre) {
    if (e.etat == Espaces::Echec) return QStringLiteral("0");
    QString r;
    if (e.etat != Espaces::Valeurs || genre < 1 || genre > 3) return r;
    const std::size_t i = static_cast<std::size_t>(genre - 1);
    Piege t = Piege::muet();
    if (e.choisi[i]) t([&] { r = format_nombre(e.valeur[i], QStringLiteral("###,###,###,###"), QLocale()); });
    return r;
}

double mdlDisk::valeur_espace(const Espaces& e, int16_t genre) {
    // A whole count of bytes below 10^15 prints with every digit and reads
    // back as itself (0 prints as nothing, which reads as 0 too), so the
    // text is made only for the figures it may change: past 15 digits it
    // keeps 15 of them.
    if (e.etat == Espaces::Valeurs && genre >= 1 && genre <= 3) {
        const std::size_t i = static_cast<std::size_t>(genre - 1);
        const double v = e.valeur[i];
        if (e.choisi[i] && v >= 0 && v < 1e15 && v == std::floor(v)) return v;
    }
    if (e.etat != Espaces::Valeurs) return 0;
    const QString texte = texte_espace(e, genre);
    return nombre_depuis_espace(texte.isEmpty() ? QStringLiteral("0") : texte);
}

QString mdlDisk::espace_disque(const QString& lettre, int16_t genre) {
    return texte_espace(mesurer_espaces(lettre), genre);
}

QString mdlDisk::lire_espace_libre(const QString& lettre) {
    QString r = espace_disque(lettre, 1);
    return r.isEmpty() ? QStringLiteral("0") : r;
}

QString mdlDisk::lire_espace_occupe(const QString& lettre) {
    QString r = espace_disque(lettre, 2);
    return r.isEmpty() ? QStringLiteral("0") : r;
}

QString mdlDisk::lire_taille_totale(const QString& lettre) {
    QString r = espace_disque(lettre, 3);
    return r.isEmpty() ? QStringLiteral("0") : r;
}

// ---------------------------------------------------------------- drive panel

void mdlDisk::charger_controle_disque(int16_t n) {
    Piege t(prog.rapporteur(), QStringLiteral("charger_controle_disque"), MODULE);
    frmMain* fp = nullptr;
    t([&] { fp = &prog.frmMain(); });
    if (!fp) return;
    frmMain& f = *fp;
    if (f.picDisc.UBound() < n) {
        t([&] { f.picDisc.Load(n); });
        t([&] { f.lblNomDisc.Load(n); });
        t([&] { f.lblTotalDisc.Load(n); });
        t([&] { f.lblEspaceOccupe.Load(n); });
        t([&] { f.lblEspaceLibre.Load(n); });
        t([&] { f.picTypeDisc.Load(n); });
        t([&] { f.picDebitDiskL.Load(n); });
        t([&] { f.picDebitDiskE.Load(n); });
    }
    // A new background colour clears the surface; the same one again is left
    // alone, so that an unchanged drive picture need not be drawn again.
    t([&] {
        if (f.picDisc(n).BackColor() != RGB(255, 255, 255)) f.picDisc(n).setBackColor(RGB(255, 255, 255));
    });
    t([&] { f.lblEspaceOccupe(n).setContainer(&f.picDisc(n)); });
    t([&] { f.lblEspaceLibre(n).setContainer(&f.picDisc(n)); });

    visibilite_ligne(t, f, n, true);

    std::vector<Controle*> pile;
    t([&] { pile.push_back(&f.picDisc(n)); });
    t([&] { pile.push_back(&f.lblNomDisc(n)); });
    t([&] { pile.push_back(&f.lblTotalDisc(n)); });
    t([&] { pile.push_back(&f.lblEspaceOccupe(n)); });
    t([&] { pile.push_back(&f.lblEspaceLibre(n)); });
    t([&] { pile.push_back(&f.picTypeDisc(n)); });
    t([&] { Controle::ZOrder(pile); });
}

void mdlDisk::alignement_vertical_controles_disk(int16_t i, int16_t n) {
    Piege t(prog.rapporteur(), QStringLiteral("alignement_vertical_controles_disk"), MODULE);
    if (i < 0 || i >= NB_DISQUES) {
        t([&] { lever(ERR_INDICE); });
        return;
    }
    const InfoDisque& d = disques[i];
    frmMain* fp = nullptr;
    t([&] { fp = &prog.frmMain(); });
    if (!fp) return;
    frmMain& f = *fp;

    double W = 0, H = 0;
    int16_t u = 0;
    t([&] { W = f.picDisc(n).Width(); });
    t([&] { H = f.picDisc(0).Height(); });
    t([&] { u = CInt(diviser(W * d.espace_occupe, d.taille_totale)); });

    // Used part in the caption colours, free part framed in white. The rows
    // are rebuilt whenever a drive's used space moves by a step, mostly with
    // the same picture: when the surface still holds what was drawn last from
    // the same figures and colours, it is left alone and nothing repaints.
    PictureBox& disque = f.picDisc(n);
    const DessinLigne dessin{disque.image().cacheKey(),
                             W,
                             H,
                             u,
                             en_qcolor(disque.BackColor()).rgb(),
                             en_qcolor(vbSysteme(COLOR_INACTIVECAPTION)).rgb(),
                             en_qcolor(vbSysteme(COLOR_ACTIVECAPTION)).rgb()};
    const std::size_t ligne = static_cast<std::size_t>(n);
    if (ligne >= dessins_lignes_.size() || !(dessins_lignes_[ligne] == dessin)) {
        t([&] { disque.Cls(); });
        t([&] { boite(disque, 0, 0, u - 15, H - 45, vbSysteme(COLOR_INACTIVECAPTION), PictureBox::Boite); });
        t([&] { boite(disque, 15, 15, u - 30, H - 60, vbSysteme(COLOR_ACTIVECAPTION), PictureBox::BoitePleine); });
        t([&] { boite(disque, u, 0, W - 45, H - 45, RGB(255, 255, 255), PictureBox::Boite); });
        t([&] { boite(disque, u, 15, W - 60, H - 60, vbSysteme(COLOR_INACTIVECAPTION), PictureBox::BoitePleine); });
        if (ligne < dessins_lignes_.size()) {
            dessins_lignes_[ligne] = dessin;
            dessins_lignes_[ligne].image = disque.image().cacheKey();
        }
    }

    t([&] { f.lblNomDisc(n).setCaption(d.lettre + QStringLiteral(":") + d.nom_volume); });
    t([&] { f.lblEspaceOccupe(n).setCaption(prog.fonctions().Affichage(d.espace_occupe, false)); });
    t([&] { f.lblEspaceLibre(n).setCaption(prog.fonctions().Affichage(d.espace_libre, false)); });
    t([&] { f.lblTotalDisc(n).setCaption(prog.fonctions().Affichage(d.taille_totale, true)); });

    t([&] { f.lblEspaceOccupe(n).setLeft(15); });
    t([&] { f.lblEspaceOccupe(n).setTop(0); });
    t([&] { f.lblEspaceLibre(n).setLeft(f.picDisc(n).Width() - f.lblEspaceLibre(n).Width() - 75); });
    t([&] { f.lblEspaceLibre(n).setTop(0); });

    t([&] { f.picDisc(n).setTop(n * 270.0 + 30); });
    t([&] { f.picDebitDiskE(n).setTop(f.picDisc(n).Top()); });
    t([&] { f.picDebitDiskL(n).setTop(f.picDisc(n).Top()); });
    t([&] { f.lblTotalDisc(n).setTop(f.picDisc(n).Top() + 30); });
    t([&] { f.lblNomDisc(n).setTop(f.picDisc(n).Top() + 30); });
    t([&] { f.picTypeDisc(n).setTop(f.picDisc(n).Top()); });

    t([&] { f.picDisc(n).setToolTipText(d.type_disque); });

    t([&] {
        Image* source = nullptr;
        if (d.type_disque == TYPE_AMOVIBLE) source = f.ImageAMOVIBLE.get();
        else if (d.type_disque == TYPE_FIXE || d.type_disque == TYPE_RESEAU) source = f.ImageHARD.get();
        else if (d.type_disque == TYPE_CDROM) source = f.ImageDISK.get();
        else if (d.type_disque == TYPE_RAM || d.type_disque == TYPE_INCONNU) source = f.ImageFLOPPY.get();
        if (source) f.picTypeDisc(n).setPicture(source->Picture());
    });
}

void mdlDisk::alignement_horizontal_controles_disk() {
    Piege t(prog.rapporteur(), QStringLiteral("alignement_horizontal_controles_disk"), MODULE);
    frmMain* fp = nullptr;
    t([&] { fp = &prog.frmMain(); });
    if (!fp) return;
    frmMain& f = *fp;
    const int lignes = f.picDisc.Count();

    int16_t m = 0;
    for (int k = 0; k < lignes; ++k)
        t([&] {
            if (f.lblNomDisc(k).Width() > m) m = CInt(f.lblNomDisc(k).Width());
        });
    for (int k = 0; k < lignes; ++k) {
        t([&] { f.picTypeDisc(k).setLeft(100); });
        t([&] { f.lblNomDisc(k).setLeft(410); });
        t([&] { f.picDisc(k).setLeft(m + 475); });
        t([&] { f.lblTotalDisc(k).setLeft(m + 540 + f.picDisc(k).Width()); });
    }

    int16_t r = 0;
    for (int k = 0; k < lignes; ++k)
        t([&] {
            const double droite = f.lblTotalDisc(k).Left() + f.lblTotalDisc(k).Width();
            if (droite > r) r = CInt(droite);
        });
    for (int k = 0; k < lignes; ++k) {
        t([&] { f.picDebitDiskL(k).setLeft(r + 100); });
        t([&] { f.picDebitDiskE(k).setLeft(f.picDebitDiskL(k).Left() + f.picDebitDiskL(k).Width() + 45); });
    }
}

// ---------------------------------------------------------------- events

// Opens the row's drive in the file manager: the drive's folder is handed
// over as one argument, never as shell text.
void mdlDisk::picTypeDisc_Click(int index) {
    Piege t(prog.rapporteur(), QStringLiteral("picTypeDisc_Click"), FENETRE);
    QString lettre;
    t([&] { lettre = prog.frmMain().lblNomDisc(index).Caption().left(1); });
    if (lettre.isEmpty()) return;
    QString dossier;
    t([&] { dossier = prog.plateforme.system.driveFolder(lettre); });
    if (dossier.isEmpty()) return;
    t([&] { prog.plateforme.files.openWithDesktop(dossier); });
}

void mdlDisk::picTypeDisc_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picTypeDisc_MouseMove"), FENETRE);
    t([&] { prog.aide().afficher_aide(AIDE_ICONE_DISQUE, CInt(index)); });
}

void mdlDisk::picDebitDiskL_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picDebitDiskL_MouseMove"), FENETRE);
    t([&] { prog.aide().afficher_aide(AIDE_LECTURE_DISQUE, CInt(index)); });
}

void mdlDisk::picDebitDiskE_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picDebitDiskE_MouseMove"), FENETRE);
    t([&] { prog.aide().afficher_aide(AIDE_ECRITURE_DISQUE, CInt(index)); });
}

} // namespace tk
