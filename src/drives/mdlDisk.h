// The drive inventory and the drive rows of the bar.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;
class Piege;
class ListView;

constexpr int NB_DISQUES = 21;            // entries of the drive table, 0 to 20
constexpr int NB_LIGNES_DISQUE = 19;      // drive rows the counter tables can hold, 0 to 18
constexpr double PAS_OCCUPATION = 900000; // used-space step that rebuilds the rows

// Type names given by lire_type_disque.
inline const QString TYPE_INEXISTANT = QStringLiteral("N'existe pas");
inline const QString TYPE_AMOVIBLE = QStringLiteral("Amovible");
inline const QString TYPE_FIXE = QStringLiteral("Fixe");
inline const QString TYPE_RESEAU = QStringLiteral("Réseau");
inline const QString TYPE_CDROM = QStringLiteral("CdRom");
inline const QString TYPE_RAM = QStringLiteral("Ram disk");
inline const QString TYPE_INCONNU = QStringLiteral("Non identifié");

// One entry of the system's drive list.
struct InfoDisque {
    QString nom_volume;
    QString type_disque;
    QString lettre;
    double espace_occupe = 0;
    double espace_libre = 0;
    double taille_totale = 0;
    bool afficher = false;
};

struct EtatDisques {
    int16_t indice_max = 0;
    std::array<double, 31> dernier_occupe{};
    int16_t nb_affiches = 0;
};

class mdlDisk {
public:
    explicit mdlDisk(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    // Refreshes the drive table; `forcer` comes back true when something
    // changed, and the rows are rebuilt when it is true at the end.
    void recuperation_info_Disk(bool& forcer);
    // Refills the options dialog's drive list and reloads every `afficher`.
    void verification_affichage_disk(EtatDisques& etat);
    void ajouter_a_la_liste(ListView& lv, int i);
    static QString cle_disque(int i);
    // Rebuilds the drive rows and the disk counter records.
    void init_disques(EtatDisques& etat);

    // Drive facts; only the first character of `lettre` is used. They never raise.
    QString lire_type_disque(const QString& lettre);
    QString lire_nom_volume(const QString& lettre);
    // genre 1 free, 2 used, 3 total: the byte count with digit grouping,
    // "" for 0 or when the version is unknown, "0" when the query fails.
    QString espace_disque(const QString& lettre, int16_t genre);
    // What one query of the system says of a drive, for the three genres:
    // espace_disque is its text, valeur_espace the number that text reads as
    // (0 for an empty text).
    struct Espaces {
        enum Etat { SansVersion, Echec, Valeurs } etat = SansVersion;
        std::array<double, 3> valeur{};
        std::array<bool, 3> choisi{}; // false: the figure overflowed, its text is empty
    };
    Espaces mesurer_espaces(const QString& lettre);
    static QString texte_espace(const Espaces& e, int16_t genre);
    static double valeur_espace(const Espaces& e, int16_t genre);
    // espace_disque with genre 1, 2 and 3; "0" instead of an empty text.
    QString lire_espace_libre(const QString& lettre);
    QString lire_espace_occupe(const QString& lettre);
    QString lire_taille_totale(const QString& lettre);

    // Drive panel.
    void charger_controle_disque(int16_t n);
    void alignement_vertical_controles_disk(int16_t i, int16_t n);
    void alignement_horizontal_controles_disk();

    // Bar-window event handlers of the drive rows (index = row).
    void picTypeDisc_Click(int index);
    void picTypeDisc_MouseMove(int index, int bouton, int shift, float x, float y);
    void picDebitDiskL_MouseMove(int index, int bouton, int shift, float x, float y);
    void picDebitDiskE_MouseMove(int index, int bouton, int shift, float x, float y);

    std::array<InfoDisque, NB_DISQUES> disques;
    EtatDisques etat;

private:
    void ecrire_compteurs_ligne(int16_t n, const InfoDisque& d);
    void cacher_ligne(int16_t n);
    void visibilite_ligne(Piege& t, frmMain& f, int16_t n, bool visible);
    // The first rebuild sizes and docks the bar even when it shows no row.
    bool barre_placee_ = false;
    // What each row's drive picture was last drawn from, and the surface's
    // image as that drawing left it (any later change to the image, or a new
    // surface, gives another key).
    struct DessinLigne {
        qint64 image = 0;
        double W = 0, H = 0;
        int16_t u = 0;
        QRgb fond = 0, cadre = 0, plein = 0;
        bool operator==(const DessinLigne&) const = default;
    };
    std::array<DessinLigne, NB_LIGNES_DISQUE> dessins_lignes_{};
    // The system's last drive list and its entries, split once per change.
    QString texte_lecteurs_;
    QStringList lecteurs_;
    bool lecteurs_lus_ = false;
    Programme& prog;
};

// A size text of espace_disque back to a number (the user's digit grouping accepted).
double nombre_depuis_espace(const QString& texte);

} // namespace tk
