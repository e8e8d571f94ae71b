#include "app/programme.h"

#include "app/frmMain.h"
#include "bar/mdlAppBar.h"
#include "app/mdlFonctions.h"
#include "drives/mdlDisk.h"
#include "help/frmPostit.h"
#include "help/mdlAide.h"
#include "mail/mdlMail.h"
#include "meters/mdlPdh.h"
#include "meters/modAntiAlias.h"
#include "network/mdlRezo.h"
#include "options/frmOption.h"
#include "update/frmMaj.h"
#include "update/mdlMaj.h"
#include "volume/mdlVolume.h"

namespace tk {

// The default server of reports, updates and the web page.
static const char* const ADRESSE_SERVEUR = "https://tarvik.org";

struct Programme::Modules {
    explicit Modules(Programme& p)
        : fonctions(p), appbar(p), pdh(p), antialias(p), disk(p), rezo(p), volume(p), mail(p), aide(p), maj(p), main(p),
          option(p), majf(p), postit(p) {}
    mdlFonctions fonctions;
    mdlAppBar appbar;
    mdlPdh pdh;
    modAntiAlias antialias;
    mdlDisk disk;
    mdlRezo rezo;
    mdlVolume volume;
    mdlMail mail;
    mdlAide aide;
    mdlMaj maj;
    tk::frmMain main;
    tk::frmOption option;
    tk::frmMaj majf;
    tk::frmPostit postit;
};

Programme::Programme(const Platform& p) : plateforme(p), m_(std::make_unique<Modules>(*this)) {}

Programme::~Programme() {
    // Forms go first: their unload handlers still reach the modules.
    m_->postit.Unload(vbFormCode);
    m_->majf.Unload(vbFormCode);
    m_->main.Unload(vbFormCode);
    m_->option.Unload(vbFormCode);
}

mdlFonctions& Programme::fonctions() { return m_->fonctions; }
mdlAppBar& Programme::appbar() { return m_->appbar; }
mdlPdh& Programme::pdh() { return m_->pdh; }
modAntiAlias& Programme::antialias() { return m_->antialias; }
mdlDisk& Programme::disk() { return m_->disk; }
mdlRezo& Programme::rezo() { return m_->rezo; }
mdlVolume& Programme::volume() { return m_->volume; }
mdlMail& Programme::mail() { return m_->mail; }
mdlAide& Programme::aide() { return m_->aide; }
mdlMaj& Programme::maj() { return m_->maj; }

namespace {
// A form reached through the program: loaded first when it is not.
template <class F>
F& chargee(F& forme) {
    forme.Load();
    return forme;
}
} // namespace

tk::frmMain& Programme::frmMain() { return chargee(m_->main); }
tk::frmOption& Programme::frmOption() { return chargee(m_->option); }
tk::frmMaj& Programme::frmMaj() { return chargee(m_->majf); }
tk::frmPostit& Programme::frmPostit() { return chargee(m_->postit); }
tk::frmMain* Programme::frmMain_si_charge() { return m_->main.charge() ? &m_->main : nullptr; }
tk::frmOption* Programme::frmOption_si_charge() { return m_->option.charge() ? &m_->option : nullptr; }
tk::frmMaj* Programme::frmMaj_si_charge() { return m_->majf.charge() ? &m_->majf : nullptr; }
tk::frmPostit* Programme::frmPostit_si_charge() { return m_->postit.charge() ? &m_->postit : nullptr; }

RapporteurErreur Programme::rapporteur() {
    return [this](const QString& description, double numero, const QString& routine, const QString& module) {
        m_->fonctions.afficher_erreur(description, numero, routine, module);
    };
}

QString Programme::GetSetting(const QString& cle, const QString& defaut) {
    return plateforme.registry.getSetting(plateforme.files.exeBaseName(), QStringLiteral("Settings"), cle, defaut);
}

void Programme::SaveSetting(const QString& cle, const QString& valeur) {
    plateforme.registry.saveSetting(plateforme.files.exeBaseName(), QStringLiteral("Settings"), cle, valeur);
}

Programme::EcrituresGroupees::EcrituresGroupees(Programme& p) : prog_(p), appli_(p.plateforme.files.exeBaseName()) {
    prog_.plateforme.registry.beginWrites(appli_);
}

Programme::EcrituresGroupees::~EcrituresGroupees() { prog_.plateforme.registry.endWrites(appli_); }

QString Programme::adresse_serveur() {
    QString a = GetSetting(QStringLiteral("adresseServeur"), QString()).trimmed();
    if (a.isEmpty()) a = QString::fromLatin1(ADRESSE_SERVEUR);
    while (a.endsWith(QLatin1Char('/'))) a.chop(1);
    return a;
}

} // namespace tk
