#include "network/mdlRezo.h"

#include "app/frmMain.h"
#include "diag/numerique.h"
#include "diag/textes.h"
#include "app/programme.h"
#include "bar/mdlAppBar.h"
#include "meters/mdlPdh.h"
#include "options/frmOption.h"
#include "update/mdlMaj.h"

#include <QLocale>
#include <algorithm>
#include <vector>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("mdlRezo");
const QString FENETRE = QStringLiteral("frmMain");
constexpr int DERNIERE_ENTREE = 30;
const QString NON_CONNECTE = QStringLiteral("Non connecté...");
} // namespace

mdlRezo::mdlRezo(Programme& p) : prog(p) {}

void mdlRezo::brancher(frmMain& f) {
    f.TimerCarteReseau->Tick = [this] { TimerCarteReseau_Timer(); };
}

QString mdlRezo::texte_type(uint32_t type) {
    switch (type) {
    case 1: return QStringLiteral("Other");
    case 6: return QStringLiteral("Ethernet");
    case 71: return QStringLiteral("Ethernet"); // wireless is shown like wired
    case 9: return QStringLiteral("TokenRing");
    case 15: return QStringLiteral("FDDI");
    case 23: return QStringLiteral("Point-to-Point");
    case 24: return QStringLiteral("Loopback");
    case 28: return QStringLiteral("Slip");
    default: return QString::number(type);
    }
}

QString mdlRezo::texte_etat_admin(uint32_t etat) {
    switch (etat) {
    case 1: return QStringLiteral("Enabled");
    case 2: return QStringLiteral("Disabled");
    case 3: return QStringLiteral("Testing");
    default: return QString::number(etat);
    }
}

QString mdlRezo::texte_etat_oper(uint32_t etat) {
    switch (etat) {
    case 0: return QStringLiteral("Non-operational");
    case 1: return QStringLiteral("Unreachable");
    case 2: return QStringLiteral("Disconnected");
    case 3: return QStringLiteral("Connecting");
    case 4: return QStringLiteral("Connected");
    case 5: return QStringLiteral("Operational");
    default: return QString::number(etat);
    }
}

// Counter paths put the name between parentheses and use "/" and "#" for
// themselves, so those characters are replaced.
QString mdlRezo::nettoyer_nom(QString nom) {
    nom.replace(u'/', u'_');
    nom.replace(u'(', u'[');
    nom.replace(u')', u']');
    nom.replace(u'#', u'_');
    return nom;
}

void mdlRezo::inventaire_cartes_reseau() {
    Piege t(prog.rapporteur(), QStringLiteral("inventaire_cartes_reseau"), MODULE);
    std::vector<MIB_IFROW> lignes;
    bool lu = false;
    t([&] { lu = prog.plateforme.system.ifTable(lignes); });
    // A table that cannot be read leaves the previous inventory as it was.
    if (!lu) return;

    const int nb = static_cast<int>(lignes.size());
    // Rows beyond the table's last entry are left out.
    for (int k = 1; k <= nb && k <= DERNIERE_ENTREE; ++k) {
        const MIB_IFROW& ligne = lignes[static_cast<size_t>(k - 1)];
        CarteReseau& c = cartes_reseau[static_cast<size_t>(k)];
        t([&] { c.nom = nettoyer_nom(sans_nul_final(ligne.bDescr)); });
        t([&] { c.type_carte = texte_type(ligne.dwType); });
        // 64 bits: a 2.5 or 10 Gbit/s link does not fit a signed 32-bit number.
        t([&] { c.vitesse = QLocale().toString(static_cast<qlonglong>(ligne.dwSpeed)); });
        t([&] { c.etat_admin = texte_etat_admin(ligne.dwAdminStatus); });
        t([&] { c.etat_oper = texte_etat_oper(ligne.dwOperStatus); });
        t([&] { c.adresse_ip.clear(); });
    }
    // Entries past the current rows are emptied so that an interface that has
    // gone away can never pass the filter again.
    for (int k = std::max(nb + 1, 1); k <= DERNIERE_ENTREE; ++k) cartes_reseau[static_cast<size_t>(k)] = CarteReseau{};
}

bool mdlRezo::carte_affichable(int16_t i) {
    if (i < 0 || i > DERNIERE_ENTREE) lever(ERR_INDICE);
    const CarteReseau& c = cartes_reseau[static_cast<size_t>(i)];
    if (c.type_carte != QStringLiteral("Ethernet") || c.etat_oper != QStringLiteral("Operational")) return false;
    if (c.nom.left(8).toUpper() == QStringLiteral("MINIPORT")) return false;
    if (c.nom.toUpper().contains(QStringLiteral("PACKET SCHEDULER"))) return false;
    return true;
}

void mdlRezo::TimerCarteReseau_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("TimerCarteReseau_Timer"), FENETRE);

    // 1. Count the interfaces shown.
    t([&] { nb_cartes_reseau = 0; });
    t([&] { inventaire_cartes_reseau(); });
    for (int16_t i = 1; i <= DERNIERE_ENTREE; ++i)
        t([&] {
            if (carte_affichable(i)) nb_cartes_reseau = CInt(nb_cartes_reseau + 1);
        });

    // 2. Rebuild the meters when that number changed.
    if (nb_cartes_reseau != nb_cartes_precedent) {
        t([&] { nb_cartes_precedent = nb_cartes_reseau; });
        t([&] { prog.pdh().init_pdh(); });
        t([&] { prog.appbar().alignement_global_compteurs(); });
    }

    // 3. The automatic update check, once per run (again on each tick while
    //    no server answers).
    t([&] {
        frmOption& o = prog.frmOption();
        if (!o.checkmajAuto || o.checkmajAuto->Value() != 1 || prog.maj_auto_faite) return;
        // A check the user started is still running: the automatic one waits for the next tick.
        if (prog.maj().verification_en_cours()) return;
        frmMain& f = prog.frmMain();
        f.TimerCarteReseau->setInterval(10000);
        prog.maj().recherche_mise_a_jour();
        // The check may have unloaded the options dialog: read it again.
        frmOption& apres = prog.frmOption();
        if (!apres.txtInfo || apres.txtInfo->Caption() != NON_CONNECTE) prog.maj_auto_faite = true;
    });

    // 4. Dock the bar again when it has drifted down.
    t([&] {
        if (prog.appbar().barre_deplacee()) prog.appbar().calcul_taille_fenetre();
    });
}

} // namespace tk
