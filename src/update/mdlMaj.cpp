#include "update/mdlMaj.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "app/mdlFonctions.h"
#include "diag/numerique.h"
#include "options/frmOption.h"
#include "update/frmMaj.h"
#include "protocol/verification.h"

#include <QHostAddress>
#include <QUrl>

namespace tk {

namespace {

const QString NON_CONNECTE = QStringLiteral("Non connecté...");

} // namespace

mdlMaj::mdlMaj(Programme& p) : prog(p) {}

// The automatic check is started by the network timer; nothing to wire here.
void mdlMaj::brancher(frmMain&) {}

QString mdlMaj::version_courante() {
    return QString::number(Programme::version_major()) + QLatin1Char('.') +
           QString::number(Programme::version_minor()) + QLatin1Char('.') +
           QString::number(Programme::version_revision());
}

QString mdlMaj::dans_dossier(const QString& nom) const {
    return prog.plateforme.files.programFolder() + QLatin1Char('/') + nom;
}

QString mdlMaj::chemin_version() const {
    return prog.fonctions().dossier_ecriture() + QLatin1Char('/') + nom_produit + QStringLiteral(".ini");
}

bool mdlMaj::remplacement_possible() const {
    Files& fichiers = prog.plateforme.files;
    return fichiers.canWriteFolder(fichiers.programFolder());
}

QString mdlMaj::texte_gestionnaire_paquets() {
    return QStringLiteral("Une nouvelle version de Tarvik est disponible.") + QStringLiteral("\r\n") +
           QStringLiteral("Tarvik est installé dans un dossier protégé : mettez-le à jour avec le gestionnaire "
                          "de paquets du système.");
}

bool mdlMaj::adresse_sure(const QString& adresse) {
    const QUrl url(adresse, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString schema = url.scheme().toLower();
    if (schema == QLatin1String("https")) return true;
    if (schema != QLatin1String("http")) return false;
    // Plain http only from this machine, where nobody can alter the file on its way.
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress hote(url.host());
    return !hote.isNull() && hote.isLoopback();
}

void mdlMaj::info(const QString& texte) {
    frmOption& o = prog.frmOption();
    if (o.txtInfo) o.txtInfo->setCaption(texte);
}

void mdlMaj::recherche_mise_a_jour() {
    // Events run during the waits and downloads: a click on the button or a
    // timer tick must not start a second check inside this one.
    if (en_cours_) return;
    en_cours_ = true;
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;

    t([&] { nom_produit = QStringLiteral("tarvik"); });
    t([&] { info(QStringLiteral("Looking for update server...")); });
    t([&] { DoEvents(); });
    t([&] { fichiers.sleepMs(500); });

    // Only this check's own probe allows the comparison: after a failed probe
    // there is no version file to compare with.
    bool joignable = false;
    t([&] {
        QString dossier = prog.adresse_serveur() + QStringLiteral("/tarvik/");
        joignable = serveur_maj_joignable(dossier);
        if (joignable) adresse_maj = dossier;
    });

    if (joignable && !adresse_maj.isEmpty()) {
        t([&] { prog.fonctions().MAF(); });
        t([&] { info(QStringLiteral("Verify software version...")); });
        t([&] { DoEvents(); });
        t([&] { fichiers.sleepMs(500); });
        bool differente = false;
        t([&] { differente = version_differente(); });
        if (differente && !remplacement_possible()) {
            // Installed in a folder this user cannot write (by a package):
            // nothing is downloaded; the user is told where updates come from.
            t([&] { prog.plateforme.sound.beep(); });
            t([&] { info(QStringLiteral("Mise à jour disponible !")); });
            t([&] { prog.frmMaj().Unload(vbFormCode); });
            t([&] {
                prog.plateforme.dialogs.msgBox(texte_gestionnaire_paquets(), vbInformation, QStringLiteral("Tarvik"));
            });
            en_cours_ = false;
            return;
        }
        if (differente) {
            t([&] { prog.plateforme.sound.beep(); });
            t([&] {
                frmMaj& f = prog.frmMaj();
                f.txtInfo->setCaption(frmMaj::texte_question());
                f.btnAction(0).setCaption(QStringLiteral("Oui"));
                f.btnAction(1).setCaption(QStringLiteral("Non"));
                f.Show();
            });
            en_cours_ = false;
            return;
        }
        t([&] { info(QStringLiteral("Votre version est à jour!")); });
        t([&] { prog.frmMaj().Unload(vbFormCode); });
    } else {
        t([&] { nb_echecs_maj = CInt(nb_echecs_maj + 1); });
        if (nb_echecs_maj < 4) {
            t([&] { info(NON_CONNECTE); });
        } else {
            t([&] {
                prog.plateforme.dialogs.msgBox(QStringLiteral("Impossible de joindre le serveur de mise à jour."),
                                               vbCritical, fichiers.exeBaseName());
            });
            t([&] { info(QStringLiteral("Server MAj introuvable !")); });
        }
    }
    en_cours_ = false;
}

bool mdlMaj::serveur_maj_joignable(QString& adresse) {
    Piege t = Piege::muet();
    // The network service neither reads nor fills a cache: both files always
    // come from the server.
    t([&] { DoEvents(); });
    if (!adresse_sure(adresse)) return false;
    bool ok = false;
    t([&] {
        const HttpReply r = prog.plateforme.network.download(adresse + nom_produit + QStringLiteral(".ver"),
                                                             chemin_version(), DELAI_VERSION_MS, MAX_VERSION_SIZE);
        ok = r.ok;
    });
    return ok;
}

bool mdlMaj::version_differente() {
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;
    const QString version = version_courante();
    const QString ini = chemin_version();

    t([&] { prog.frmMaj().txtVersion(0).setCaption(version); });
    QString ligne;
    t([&] {
        QByteArray contenu;
        if (fichiers.readAll(ini, contenu)) ligne = premiere_ligne(contenu);
    });
    version_offerte = ligne;
    t([&] { prog.frmMaj().txtVersion(1).setCaption(ligne); });
    t([&] {
        if (fichiers.exists(ini)) fichiers.remove(ini);
    });
    // No ordering: any other text, an older version too, is offered.
    return ligne != version;
}

bool mdlMaj::telechargement_fichier(QString& distant, QString& local) {
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;
    const QString chemin = dans_dossier(local);
    bool ok = false;
    t([&] {
        if (!adresse_sure(adresse_maj)) return;
        const HttpReply r =
            prog.plateforme.network.download(adresse_maj + distant, chemin, DELAI_EXECUTABLE_MS, MAX_EXECUTABLE_SIZE);
        ok = r.ok && r.status == 200 && fichiers.size(chemin) > 0 && fichiers.setExecutable(chemin);
    });
    // Whatever is under the local name now (a partial file, an older
    // download) must not be started as the new program.
    if (!ok) t([&] { fichiers.remove(chemin); });
    return ok;
}

bool mdlMaj::programme_telecharge_valide(const QString& local) {
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;
    const QString chemin = dans_dossier(local);
    bool ok = false;
    t([&] {
        QByteArray sortie;
        ok = fichiers.runForOutput(chemin, {QStringLiteral("--version")}, DELAI_VERSION_PROGRAMME_MS, 4096, sortie) &&
             version_annoncee(sortie, version_offerte);
    });
    // A file that is not the offered program is never started.
    if (!ok) t([&] { fichiers.remove(chemin); });
    return ok;
}

} // namespace tk
