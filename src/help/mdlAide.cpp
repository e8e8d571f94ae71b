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
    auto sur_compteur = [this](int index, int b, int s, float x, float y) { picCompteur_MouseMove(index, b, s, x, y); };
    f.picCompteur.pour_chaque([&](auto& c) { c.MouseMove = sur_compteur; });
}

void mdlAide::picMail_MouseMove(int, int, int, float, float) { afficher_aide(AIDE_MAIL, 0); }

void mdlAide::picCompteur_MouseMove(int index, int, int, float, float) {
    Piege t(prog.rapporteur(), QStringLiteral("picCompteur_MouseMove"), FENETRE);
    t([&] { afficher_aide(AIDE_COMPTEUR, CInt(index)); });
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

struct mdlAide::Bulle {
    frmMain& f;
    tk::frmPostit& b;
    Label& texte;
    Piege& t;
    void ajouter(const QString& ligne) { texte.setCaption(texte.Caption() + ligne); }
};

void mdlAide::afficher_aide(int16_t sujet, int16_t numero) {
    Piege t = Piege::muet();
    if (!(prog.aide_active || sujet == AIDE_MAIL || (sujet == AIDE_COMPTEUR && numero == 1))) return;

    frmMain& f = prog.frmMain();
    tk::frmPostit& b = prog.frmPostit();
    Bulle a{f, b, *b.lbl1, t};

    t([&] { b.setTop(f.Top() + f.Height()); });
    t([&] { b.setLeft(Ecran::Width() / 3); });
    t([&] { b.Show(); });
    t([&] { f.timerAide->setEnabled(true); });

    switch (sujet) {
    case AIDE_BOUTON_REDUIRE:
    case AIDE_BOUTON_AGRANDIR: aide_taille_barre(a, sujet); break;
    case AIDE_MAIL: aide_mail(a); break;
    case AIDE_SON: aide_son(a); break;
    case AIDE_LECTURE_DISQUE:
    case AIDE_ECRITURE_DISQUE: aide_debit_disque(a, sujet, numero); break;
    case AIDE_ICONE_DISQUE: aide_icone_disque(a, numero); break;
    case AIDE_COMPTEUR:
        a.texte.setCaption(QString());
        if (numero == 0) aide_processeur(a);
        else if (numero == 1) aide_memoire(a);
        else if (numero >= 2) aide_reseau(a, numero);
        break;
    default: break;
    }

    // The text and the frame fill the balloon's height.
    t([&] { a.texte.setHeight(b.Height()); });
    t([&] { b.Shape1->setHeight(b.Height()); });
}

void mdlAide::aide_taille_barre(Bulle& a, int16_t sujet) {
    a.t([&] { a.b.Image1->setPicture(a.f.picTailleBarre(sujet - 1).Picture()); });
    static const char* const textes[3][2] = {
        {"Bouton inactif. La barre est en mode \"caché\".", "Passer la barre en position small."},
        {"Passer en mode caché.", "Déployer la barre."},
        {"Passer en mode small.", "Bouton inactif. La barre est étendue au maximum."},
    };
    if (prog.modeBarre >= BARRE_CACHEE && prog.modeBarre <= BARRE_COMPLETE)
        a.t([&] { a.texte.setCaption(QString::fromUtf8(textes[prog.modeBarre][sujet - 1])); });
}

void mdlAide::aide_mail(Bulle& a) {
    a.t([&] {
        if (!a.f.picMail(1).Visible()) {
            a.b.Image1->setPicture(a.f.picMail(0).Picture());
            a.texte.setCaption(QStringLiteral("Vous n'avez pas de mail en attente dans votre boite de reception."));
        } else {
            a.b.Image1->setPicture(a.f.picMail(1).Picture());
            a.texte.setCaption(QStringLiteral("Contenu de votre boite de reception:") + CRLF + prog.reponse_boite_mail);
        }
    });
    a.t([&] { a.b.setHeight(600); });
}

void mdlAide::aide_son(Bulle& a) {
    a.t([&] {
        if (a.f.picSon(0).Visible()) {
            a.b.Image1->setPicture(a.f.picSon(0).Picture());
            a.texte.setCaption(QStringLiteral("Cliquez pour activer le son."));
        } else {
            a.b.Image1->setPicture(a.f.picSon(1).Picture());
            a.texte.setCaption(QStringLiteral("Cliquez pour desactiver le son."));
        }
    });
    a.t([&] { a.b.setHeight(400); });
}

void mdlAide::aide_debit_disque(Bulle& a, int16_t sujet, int16_t numero) {
    a.t([&] { a.b.Image1->setPicture(a.f.picTypeDisc(numero).Picture()); });
    // The drive of the row: the first entry whose letter begins the row's name.
    int indice = -1;
    a.t([&] {
        const QString lettre = a.f.lblNomDisc(numero).Caption().left(1);
        const auto& disques = prog.disk().disques;
        for (int i = 0; i < static_cast<int>(disques.size()) && !lettre.isEmpty(); ++i)
            if (disques[static_cast<size_t>(i)].lettre == lettre) {
                indice = i;
                break;
            }
    });
    a.texte.setCaption(QString());
    a.ajouter(sujet == AIDE_LECTURE_DISQUE ? QStringLiteral("Débit de lecture du disque.") + CRLF
                                           : QStringLiteral("Débit d'écriture du disque.") + CRLF);
    if (indice >= 0) {
        const InfoDisque& d = prog.disk().disques[static_cast<size_t>(indice)];
        mdlFonctions& fn = prog.fonctions();
        a.t([&] { a.ajouter(QStringLiteral("Emplacement du disque: ") + d.lettre + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("Nom du volume: ") + d.nom_volume + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("Type de disque: ") + d.type_disque + CRLF); });
        a.t([&] {
            a.ajouter(QStringLiteral("Taille totale du disque: ") + fn.Affichage(d.taille_totale, false) + CRLF);
        });
        a.t([&] { a.ajouter(QStringLiteral("Espace occupé: ") + fn.Affichage(d.espace_occupe, false) + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("Espace libre: ") + fn.Affichage(d.espace_libre, false) + CRLF); });
    }
    a.t([&] { a.b.setHeight(1500); });
}

void mdlAide::aide_icone_disque(Bulle& a, int16_t numero) {
    a.t([&] { a.b.Image1->setPicture(a.f.picTypeDisc(numero).Picture()); });
    a.t([&] { a.texte.setCaption(QStringLiteral("Cliquez sur l'icone pour explorer le disque.") + CRLF); });
    a.t([&] { a.b.setHeight(600); });
}

void mdlAide::aide_processeur(Bulle& a) {
    a.t([&] { a.b.Image1->setPicture(a.f.imageCPU->Picture()); });
    a.ajouter(QStringLiteral("Informations sur L'occupation du processeur."));
    a.t([&] { a.b.setHeight(600); });
}

void mdlAide::aide_memoire(Bulle& a) {
    a.t([&] { a.b.Image1->setPicture(a.f.imageRAM->Picture()); });
    // Kilobytes from the 64-bit byte counts.
    const MEMORYSTATUS& m = prog.etat_memoire;
    const double total = arrondi(static_cast<double>(m.dwTotalPhys) / 1024);
    const double libre = arrondi(static_cast<double>(m.dwAvailPhys) / 1024);
    const QString motif = QStringLiteral("####.# Mo");
    mdlFonctions& fn = prog.fonctions();
    a.ajouter(QStringLiteral("Informations sur la memoire:") + CRLF);
    a.t([&] {
        a.ajouter(QStringLiteral("Memoire physique totale: ") + format_nombre(total / 1024, motif, QLocale()) + CRLF);
    });
    a.t([&] {
        a.ajouter(QStringLiteral("Memoire physique libre: ") + format_nombre(libre / 1024, motif, QLocale()) + CRLF);
    });
    a.t([&] {
        a.ajouter(QStringLiteral("Memoire virtuelle totale: ") +
                  fn.Affichage(static_cast<double>(m.dwTotalVirtual), false) + CRLF);
    });
    a.t([&] {
        a.ajouter(QStringLiteral("Memoire virtuelle disponible: ") +
                  fn.Affichage(static_cast<double>(m.dwAvailVirtual), false) + CRLF);
    });
    a.t([&] { a.b.setHeight(1200); });
}

void mdlAide::aide_reseau(Bulle& a, int16_t numero) {
    a.t([&] { a.b.Image1->setPicture(a.f.imageNET->Picture()); });
    a.ajouter(QStringLiteral("Informations carte reseau:") + CRLF);
    int16_t i = -1;
    a.t([&] { i = carte_du_compteur(numero); });
    if (i >= 0) {
        const CarteReseau& c = prog.rezo().cartes_reseau[static_cast<size_t>(i)];
        a.t([&] { a.ajouter(QStringLiteral("admin_status: ") + c.etat_admin + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("IP: ") + c.adresse_ip + CRLF); });
        a.t([&] {
            a.ajouter(QStringLiteral("maxi: ") + prog.fonctions().Affichage(nombre_depuis_espace(c.vitesse), false) +
                      CRLF);
        });
        a.t([&] { a.ajouter(QStringLiteral("nom_carte: ") + c.nom + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("oper_status: ") + c.etat_oper + CRLF); });
        a.t([&] { a.ajouter(QStringLiteral("type: ") + c.type_carte); });
    }
    a.t([&] { a.b.setHeight(1900); });
}

} // namespace tk
