#include "help/mdlAide.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "diag/format.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "drives/mdlDisk.h"
#include "help/frmPostit.h"
#include "network/mdlRezo.h"

#include <QLocale>

namespace tk {

namespace {

const QString FENETRE = QStringLiteral("frmMain");
const QString CRLF = QStringLiteral("\r\n");
} // namespace

mdlAide::mdlAide(Programme& p) : prog(p) {}

void mdlAide::brancher(frmMain& f) {
    f.timerAide->Tick = [this] { timerAide_Timer(); };
    // Members loaded later (network meters) copy member 0's handler.
    auto sur_mail = [this](int index, int b, int s, float x, float y) { picMail_MouseMove(index, b, s, x, y); };
    f.picMail.pour_chaque([&](auto& c) { c.MouseMove = sur_mail; });
    auto sur_compteur = [this](int index, int b, int s, float x, float y) {
        picCompteur_MouseMove(index, b, s, x, y);
    };
    f.picCompteur.pour_chaque([&](auto& c) { c.MouseMove = sur_compteur; });
}

void mdlAide::picMail_MouseMove(int, int, int, float, float) { afficher_aide(3, 0); }

void mdlAide::picCompteur_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picCompteur_MouseMove"), FENETRE);
    t([&] { afficher_aide(8, CInt(index)); });
}

void mdlAide::timerAide_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("timerAide_Timer"), FENETRE);
    t([&] {
        if (tk::frmPostit* b = prog.frmPostit_si_charge()) b->Unload(vbFormCode);
    });
    t([&] {
        if (tk::frmMain* f = prog.frmMain_si_charge()) f->timerAide->setEnabled(false);
    });
}

int16_t mdlAide::carte_du_compteur(int16_t numero) {
    const int16_t k = static_cast<int16_t>(partie_entiere(numero / 2.0));
    int16_t vues = 0;
    for (int16_t i = 1; i <= 30 && k >= 1; ++i) {
        if (prog.rezo().carte_affichable(i) && ++vues == k) return i;
    }
    lever(ERR_INDICE);
}

void mdlAide::afficher_aide(int16_t sujet, int16_t numero) {
    Piege t = Piege::muet();
    if (!(prog.aide_active || sujet == 3 || (sujet == 8 && numero == 1))) return;

    frmMain& f = prog.frmMain();
    tk::frmPostit& b = prog.frmPostit();
    Label& texte = *b.lbl1;
    auto ajouter = [&](const QString& ligne) { texte.setCaption(texte.Caption() + ligne); };

    t([&] { b.setTop(f.Top() + f.Height()); });
    t([&] { b.setLeft(Ecran::Width() / 3); });
    t([&] { b.Show(); });
    t([&] { f.timerAide->setEnabled(true); });

    switch (sujet) {
    case 1:
    case 2: {
        t([&] { b.Image1->setPicture(f.picTailleBarre(sujet - 1).Picture()); });
        static const char* const textes[3][2] = {
            {"Bouton inactif. La barre est en mode \"caché\".", "Passer la barre en position small."},
            {"Passer en mode caché.", "Déployer la barre."},
            {"Passer en mode small.", "Bouton inactif. La barre est étendue au maximum."},
        };
        if (prog.modeBarre >= 0 && prog.modeBarre <= 2)
            t([&] { texte.setCaption(QString::fromUtf8(textes[prog.modeBarre][sujet - 1])); });
        break;
    }
    case 3:
        t([&] {
            if (!f.picMail(1).Visible()) {
                b.Image1->setPicture(f.picMail(0).Picture());
                texte.setCaption(QStringLiteral("Vous n'avez pas de mail en attente dans votre boite de reception."));
            } else {
                b.Image1->setPicture(f.picMail(1).Picture());
                texte.setCaption(QStringLiteral("Contenu de votre boite de reception:") + CRLF +
                                 prog.reponse_boite_mail);
            }
        });
        t([&] { b.setHeight(600); });
        break;
    case 4:
        t([&] {
            if (f.picSon(0).Visible()) {
                b.Image1->setPicture(f.picSon(0).Picture());
                texte.setCaption(QStringLiteral("Cliquez pour activer le son."));
            } else {
                b.Image1->setPicture(f.picSon(1).Picture());
                texte.setCaption(QStringLiteral("Cliquez pour desactiver le son."));
            }
        });
        t([&] { b.setHeight(400); });
        break;
    case 5:
    case 7: {
        t([&] { b.Image1->setPicture(f.picTypeDisc(numero).Picture()); });
        // The drive of the row: the first entry whose letter begins the row's name.
        int indice = -1;
        t([&] {
            const QString lettre = f.lblNomDisc(numero).Caption().left(1);
            const auto& disques = prog.disk().disques;
            for (int i = 0; i < static_cast<int>(disques.size()) && !lettre.isEmpty(); ++i)
                if (disques[static_cast<size_t>(i)].lettre == lettre) {
                    indice = i;
                    break;
                }
        });
        texte.setCaption(QString());
        ajouter(sujet == 5 ? QStringLiteral("Débit de lecture du disque.") + CRLF
                           : QStringLiteral("Débit d'écriture du disque.") + CRLF);
        if (indice >= 0) {
            const InfoDisque& d = prog.disk().disques[static_cast<size_t>(indice)];
            mdlFonctions& fn = prog.fonctions();
            t([&] { ajouter(QStringLiteral("Emplacement du disque: ") + d.lettre + CRLF); });
            t([&] { ajouter(QStringLiteral("Nom du volume: ") + d.nom_volume + CRLF); });
            t([&] { ajouter(QStringLiteral("Type de disque: ") + d.type_disque + CRLF); });
            t([&] { ajouter(QStringLiteral("Taille totale du disque: ") + fn.Affichage(d.taille_totale, false) + CRLF); });
            t([&] { ajouter(QStringLiteral("Espace occupé: ") + fn.Affichage(d.espace_occupe, false) + CRLF); });
            t([&] { ajouter(QStringLiteral("Espace libre: ") + fn.Affichage(d.espace_libre, false) + CRLF); });
        }
        t([&] { b.setHeight(1500); });
        break;
    }
    case 6:
        t([&] { b.Image1->setPicture(f.picTypeDisc(numero).Picture()); });
        t([&] { texte.setCaption(QStringLiteral("Cliquez sur l'icone pour explorer le disque.") + CRLF); });
        t([&] { b.setHeight(600); });
        break;
    case 8:
        texte.setCaption(QString());
        if (numero == 0) {
            t([&] { b.Image1->setPicture(f.imageCPU->Picture()); });
            ajouter(QStringLiteral("Informations sur L'occupation du processeur."));
            t([&] { b.setHeight(600); });
        } else if (numero == 1) {
            t([&] { b.Image1->setPicture(f.imageRAM->Picture()); });
            // Kilobytes from the 64-bit byte counts.
            const MEMORYSTATUS& m = prog.etat_memoire;
            const double total = arrondi(static_cast<double>(m.dwTotalPhys) / 1024);
            const double libre = arrondi(static_cast<double>(m.dwAvailPhys) / 1024);
            const QString motif = QStringLiteral("####.# Mo");
            mdlFonctions& fn = prog.fonctions();
            ajouter(QStringLiteral("Informations sur la memoire:") + CRLF);
            t([&] { ajouter(QStringLiteral("Memoire physique totale: ") + format_nombre(total / 1024, motif, QLocale()) + CRLF); });
            t([&] { ajouter(QStringLiteral("Memoire physique libre: ") + format_nombre(libre / 1024, motif, QLocale()) + CRLF); });
            t([&] { ajouter(QStringLiteral("Memoire virtuelle totale: ") + fn.Affichage(static_cast<double>(m.dwTotalVirtual), false) + CRLF); });
            t([&] { ajouter(QStringLiteral("Memoire virtuelle disponible: ") + fn.Affichage(static_cast<double>(m.dwAvailVirtual), false) + CRLF); });
            t([&] { b.setHeight(1200); });
        } else if (numero >= 2) {
            t([&] { b.Image1->setPicture(f.imageNET->Picture()); });
            ajouter(QStringLiteral("Informations carte reseau:") + CRLF);
            int16_t i = -1;
            t([&] { i = carte_du_compteur(numero); });
            if (i >= 0) {
                const CarteReseau& c = prog.rezo().cartes_reseau[static_cast<size_t>(i)];
                t([&] { ajouter(QStringLiteral("admin_status: ") + c.etat_admin + CRLF); });
                t([&] { ajouter(QStringLiteral("IP: ") + c.adresse_ip + CRLF); });
                t([&] {
                    ajouter(QStringLiteral("maxi: ") + prog.fonctions().Affichage(nombre_depuis_espace(c.vitesse), false) + CRLF);
                });
                t([&] { ajouter(QStringLiteral("nom_carte: ") + c.nom + CRLF); });
                t([&] { ajouter(QStringLiteral("oper_status: ") + c.etat_oper + CRLF); });
                t([&] { ajouter(QStringLiteral("type: ") + c.type_carte); });
            }
            t([&] { b.setHeight(1900); });
        }
        break;
    default:
        break;
    }

    // The text and the frame fill the balloon's height.
    t([&] { texte.setHeight(b.Height()); });
    t([&] { b.Shape1->setHeight(b.Height()); });
}

} // namespace tk
