// The running program: the program-wide values, the modules, the forms and
// the platform. Two program objects can live side by side (tests).
#pragma once

#include "diag/erreur.h"
#include "platform/platform.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace tk {

class mdlFonctions;
class mdlAppBar;
class mdlPdh;
class modAntiAlias;
class mdlDisk;
class mdlRezo;
class mdlVolume;
class mdlMail;
class mdlAide;
class mdlMaj;
class frmMain;
class frmOption;
class frmMaj;
class frmPostit;

// The tray-icon record: owner window, identifier, flags, callback message, tool-tip.
struct NOTIFYICONDATA {
    int32_t cbSize = 0;
    void* hWnd = nullptr;
    int32_t uID = 0;
    int32_t uFlags = 0;
    int32_t uCallbackMessage = 0;
    QString szTip;
};

// The bar's modes, with the numbers kept in the settings.
enum ModeBarre : int16_t {
    BARRE_CACHEE = 0,   // hidden: slides in when the mouse reaches the top of the screen
    BARRE_PETITE = 1,   // small: the meters only
    BARRE_COMPLETE = 2, // full: the drive rows as well
};

class Programme {
public:
    explicit Programme(const Platform& plateforme);
    ~Programme();
    Programme(const Programme&) = delete;
    Programme& operator=(const Programme&) = delete;

    const Platform plateforme;

    // Program-wide values.
    int16_t modeBarre = BARRE_COMPLETE; // a ModeBarre
    bool est_vista = false;
    bool aide_active = false;
    bool lissage = false;
    bool maj_auto_faite = false;
    bool animation_en_cours = false;
    int16_t decalage_compteurs = 0;
    QString reponse_boite_mail;
    MEMORYSTATUS etat_memoire;
    APPBARDATA donnees_barre;
    NOTIFYICONDATA donnees_icone;

    // Modules.
    mdlFonctions& fonctions();
    mdlAppBar& appbar();
    mdlPdh& pdh();
    modAntiAlias& antialias();
    mdlDisk& disk();
    mdlRezo& rezo();
    mdlVolume& volume();
    mdlMail& mail();
    mdlAide& aide();
    mdlMaj& maj();

    // Forms: each accessor loads its form when it is not loaded (running its load handler).
    tk::frmMain& frmMain();
    tk::frmOption& frmOption();
    tk::frmMaj& frmMaj();
    tk::frmPostit& frmPostit();
    // The same without loading (null when unloaded).
    tk::frmMain* frmMain_si_charge();
    tk::frmOption* frmOption_si_charge();
    tk::frmMaj* frmMaj_si_charge();
    tk::frmPostit* frmPostit_si_charge();

    // Error convention: where trapped errors go, and a trap for one procedure.
    RapporteurErreur rapporteur();

    // Settings store of this program: application = executable base name, section "Settings".
    QString GetSetting(const QString& cle, const QString& defaut);
    void SaveSetting(const QString& cle, const QString& valeur);
    // For as long as the returned object lives, settings written go to the
    // store's file together, in one rewrite when it ends.
    class EcrituresGroupees {
    public:
        explicit EcrituresGroupees(Programme& p);
        ~EcrituresGroupees();
        EcrituresGroupees(const EcrituresGroupees&) = delete;
        EcrituresGroupees& operator=(const EcrituresGroupees&) = delete;

    private:
        Programme& prog_;
        QString appli_;
    };

    // Program version.
    static int version_major();
    static int version_minor();
    static int version_revision();

    // The server behind reports, updates and the web page (the key
    // "adresseServeur" of the settings store overrides it).
    QString adresse_serveur();

private:
    struct Modules;
    std::unique_ptr<Modules> m_;
};

} // namespace tk
