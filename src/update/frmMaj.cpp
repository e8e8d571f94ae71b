#include "update/frmMaj.h"

#include "app/frmMain.h"
#include "app/programme.h"
#include "options/frmOption.h"
#include "update/dessins_maj.h"
#include "update/mdlMaj.h"

#include <QFileInfo>
#include <QFont>
#include <QMetaObject>

namespace tk {

namespace {

const QString MODULE = QStringLiteral("frmMaj");

const QString CRLF = QStringLiteral("\r\n");

// Design geometry (twips).
constexpr double LARGEUR = 5400, HAUTEUR = 3060;
constexpr double APPLI = 720;                    // program pictures, 48 px
constexpr double FLECHE_L = 720, FLECHE_H = 480; // arrows, 48 x 32 px

} // namespace

frmMaj::frmMaj(Programme& p) : Forme(QStringLiteral("frmMaj")), prog(p) {
    setCaption(QStringLiteral("Tarvik - Mise à jour"));
    largeur_conception_ = LARGEUR;
    hauteur_conception_ = HAUTEUR;
}

frmMaj::~frmMaj() = default;

QString frmMaj::texte_question() {
    return QStringLiteral("Une mise à jour de TARVIK est disponible") + CRLF +
           QStringLiteral("Souhaitez vous la télécharger ?");
}

QString frmMaj::texte_echec_telechargement() {
    return QStringLiteral("Le téléchargement de la mise à jour a échoué.") + CRLF +
           QStringLiteral("Souhaitez vous réessayer ?");
}

bool frmMaj::dialogue_fixe() const { return true; }

Qt::WindowFlags frmMaj::drapeaux_fenetre() const {
    // A small fixed dialog above the docked bar.
    return Qt::Window | Qt::WindowStaysOnTopHint;
}

Label& frmMaj::etiquette(std::unique_ptr<Label>& place, QWidget* parent, const char* nom, double l, double t, double w,
                         double h) {
    Label& c = creer(place, parent, nom, l, t, w, h);
    c.setBackStyleTransparent(true);
    c.setAlignment(Label::vbCenter);
    return c;
}

void frmMaj::creer_controles(QWidget* w) {
    w->setFont(police(Police::MSSansSerif, 8.25));

    // The old program on the left, the new one on the right, arrows between.
    creer(picAppli, w, 600, 240, APPLI, APPLI).setPicture(dessins::image_appli(48));
    picAppli.Load(1);
    picAppli(1).Move(LARGEUR - 600 - APPLI, 240, APPLI, APPLI);
    picAppli(1).setVisible(true);

    creer(picFleche, w, 1920, 360, FLECHE_L, FLECHE_H).setPicture(dessins::image_fleche(48, 32, QColor(150, 160, 175)));
    picFleche.Load(1);
    picFleche(1).Move(2760, 360, FLECHE_L, FLECHE_H);
    picFleche(1).setPicture(dessins::image_fleche(48, 32, QColor(70, 190, 90)));
    picFleche(1).setVisible(true);

    creer(txtVersion, w, 360, 1020, 1200, 255);
    txtVersion(0).setBackStyleTransparent(true);
    txtVersion(0).setAlignment(Label::vbCenter);
    txtVersion.Load(1);
    txtVersion(1).Move(LARGEUR - 360 - 1200, 1020, 1200, 255);
    txtVersion(1).setVisible(true);

    etiquette(txtInfo, w, "txtInfo", 240, 1440, LARGEUR - 480, 600).setWordWrap(true);

    CommandButton& ok = creer(btnAction, w, 1440, 2280, 1200, 375, QStringLiteral("OK"));
    // The answer runs from the event loop, not inside the button's own
    // click signal: "Non" unloads the window that holds the button.
    ok.Click = [this](int index) {
        QMetaObject::invokeMethod(
            this, [this, index] { btnAction_Click(static_cast<int16_t>(index)); }, Qt::QueuedConnection);
    };
    btnAction.Load(1);
    btnAction(1).Move(2760, 2280, 1200, 375);
    btnAction(1).setCaption(QStringLiteral("Annuler"));
    btnAction(1).setVisible(true);

    creer(TimerCligno, "TimerCligno", 200);
    TimerCligno->Tick = [this] { TimerCligno_Timer(); };
}

void frmMaj::Form_Load() {
    Piege t(prog.rapporteur(), QStringLiteral("Form_Load"), MODULE);
    // Centred on the screen.
    t([&] { Move((Ecran::Width() - Width()) / 2, (Ecran::Height() - Height()) / 2, Width(), Height()); });
    t([&] { TimerCligno->setEnabled(true); });
}

void frmMaj::TimerCligno_Timer() {
    Piege t(prog.rapporteur(), QStringLiteral("TimerCligno_Timer"), MODULE);
    t([&] { picFleche(1).setVisible(!picFleche(1).Visible()); });
}

void frmMaj::etape(Piege& t, const QString& texte, int attenteMs) {
    t([&] { txtInfo->setCaption(texte); });
    t([&] { DoEvents(); });
    t([&] { prog.plateforme.files.sleepMs(attenteMs); });
}

// ------------------------------------------------------------------ question

void frmMaj::btnAction_Click(int16_t Index) {
    // Only the question gives the buttons a meaning.
    if (!charge() || !btnAction.existe(0) || btnAction(0).Caption() != QStringLiteral("Oui")) return;
    if (en_reponse_) return;
    Piege t(prog.rapporteur(), QStringLiteral("btnAction_Click"), MODULE);
    if (Index == 0) {
        en_reponse_ = true;
        accepter_mise_a_jour(); // ends the process unless the download failed
        en_reponse_ = false;
    } else if (Index == 1) {
        t([&] {
            frmOption& o = prog.frmOption();
            if (o.txtInfo) o.txtInfo->setCaption(QStringLiteral("Mise à jour disponible !"));
        });
        t([&] { Unload(vbFormCode); });
    }
}

void frmMaj::accepter_mise_a_jour() {
    // Part of the button's handler: failures are reported under its name.
    Piege t(prog.rapporteur(), QStringLiteral("btnAction_Click"), MODULE);
    Files& fichiers = prog.plateforme.files;
    mdlMaj& maj = prog.maj();

    t([&] { fichiers.openWithDesktop(prog.adresse_serveur() + QStringLiteral("/tarvik/index_2.html")); });
    t([&] { DoEvents(); });
    etape(t, QStringLiteral("Verify update components..."), 500);

    t([&] { txtInfo->setCaption(QStringLiteral("Downloading... ")); });
    QString distant = (maj.nom_produit.isEmpty() ? QStringLiteral("tarvik") : maj.nom_produit) + QStringLiteral(".exe");
    QString local = fichiers.exeBaseName() + QLatin1Char('_');
    bool telecharge = false;
    t([&] { telecharge = maj.telechargement_fichier(distant, local) && maj.programme_telecharge_valide(local); });
    t([&] { DoEvents(); });
    t([&] { fichiers.sleepMs(500); });
    if (!telecharge) {
        // Nothing to hand over to (no complete file, or one that is not the
        // offered version): the bar stays, the question stays open so that
        // the user can try again or decline.
        t([&] { txtInfo->setCaption(texte_echec_telechargement()); });
        return;
    }

    etape(t, QStringLiteral("Rebooting Tarvik"), 1000);
    t([&] {
        if (tk::frmMain* f = prog.frmMain_si_charge()) f->Unload(vbFormCode);
    });
    t([&] {
        if (tk::frmOption* o = prog.frmOption_si_charge()) o->Unload(vbFormCode);
    });
    t([&] { DoEvents(); });
    t([&] { fichiers.sleepMs(500); });
    t([&] { fichiers.startDetached(maj.dans_dossier(local), {QStringLiteral("-reboot")}); });
    t([&] { Unload(vbFormCode); });
    fichiers.endProcess(0);
}

// --------------------------------------------------------------- replacement

bool frmMaj::est_programme_courant(const QString& chemin) {
    const QString courant = prog.plateforme.files.exePath();
    if (chemin == courant) return true;
    const QString a = QFileInfo(chemin).canonicalFilePath(), b = QFileInfo(courant).canonicalFilePath();
    return !a.isEmpty() && a == b;
}

QString frmMaj::copie_temporaire(const QString& source) {
    Files& fichiers = prog.plateforme.files;
    if (!fichiers.exists(source)) return {};
    const QString copie = prog.plateforme.files.programFolder() + QStringLiteral("/.") + QFileInfo(source).fileName() +
                          QStringLiteral(".nouveau");
    if (fichiers.exists(copie)) fichiers.remove(copie);
    const int64_t taille = fichiers.size(source);
    if (!fichiers.copy(source, copie) || taille <= 0 || fichiers.size(copie) != taille ||
        !fichiers.setExecutable(copie)) {
        fichiers.remove(copie);
        return {};
    }
    return copie;
}

void frmMaj::preparer_progression() {
    Piege t = Piege::muet();
    const QString version = mdlMaj::version_courante();
    t([&] { txtVersion(0).setCaption(version); });
    t([&] { txtVersion(1).setCaption(version); });
    t([&] { btnAction(0).setEnabled(false); });
    t([&] { btnAction(1).setEnabled(false); });
    t([&] { Show(); });
}

void frmMaj::session_reboot() {
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;
    Dialogs& boites = prog.plateforme.dialogs;

    // The old program is the running name without its final "_"; the
    // replacement is that name followed by "_".
    QString ancien, remplacement;
    t([&] {
        QString nom = fichiers.exeBaseName();
        if (nom.endsWith(QLatin1Char('_'))) nom.chop(1);
        ancien = prog.maj().dans_dossier(nom);
        remplacement = ancien + QLatin1Char('_');
    });

    preparer_progression();
    etape(t, QStringLiteral("Mise à jour en cours..."), 100);

    // The old program is never deleted: a complete copy of the replacement
    // is renamed over it in one step, so a runnable program stays under its
    // name whatever happens. The running process's own file is never
    // replaced: it counts as a file that cannot be deleted.
    QString copie;
    bool remplace = false, copie_impossible = false;
    for (int essai = 1; essai <= 9; ++essai) {
        etape(t, QStringLiteral("Suppression ancienne version (essai N°") + QString::number(essai) + QLatin1Char(')'),
              1500);
        bool fini = false;
        t([&] { fini = remplace || !fichiers.exists(ancien); });
        if (fini) break;
        if (est_programme_courant(ancien)) continue;
        if (copie.isEmpty()) {
            t([&] { copie = copie_temporaire(remplacement); });
            if (copie.isEmpty()) {
                // No complete replacement: nothing is touched.
                copie_impossible = true;
                break;
            }
        }
        t([&] { remplace = fichiers.rename(copie, ancien); });
    }

    bool reste = false;
    t([&] { reste = !remplace && fichiers.exists(ancien); });
    if (reste && !copie_impossible) {
        t([&] {
            if (!copie.isEmpty()) fichiers.remove(copie);
        });
        t([&] {
            boites.msgBox(QStringLiteral("Can't delete TARVIK.EXE Please delete manualy and launch again Tarvik"),
                          vbExclamation, QString());
        });
        t([&] { DoEvents(); });
        fichiers.endProcess(0);
    }

    if (!copie_impossible) {
        etape(t, QStringLiteral("Supprimé!"), 1000);
        etape(t, QStringLiteral("Copie nouvelle version..."), 500);
        // The old program was absent: the replacement is copied now.
        if (!remplace) {
            t([&] {
                if (copie.isEmpty()) copie = copie_temporaire(remplacement);
                if (!copie.isEmpty()) remplace = fichiers.rename(copie, ancien);
            });
        }
    }

    bool copie_faite = false;
    t([&] { copie_faite = remplace && fichiers.exists(ancien); });
    if (!copie_faite) {
        t([&] {
            if (!copie.isEmpty() && fichiers.exists(copie)) fichiers.remove(copie);
        });
        t([&] {
            boites.msgBox(
                QStringLiteral("Can't copy TARVIK_.EXE to TARVIK.EXE Please copy manualy and launch again Tarvik"),
                vbExclamation, QString());
        });
        t([&] { DoEvents(); });
        fichiers.endProcess(0);
    }

    etape(t, QStringLiteral("Copié!"), 500);
    etape(t, QStringLiteral("Redémarrage Tarvik..."), 500);
    t([&] { fichiers.startDetached(ancien, {}); });
    fichiers.endProcess(0);
}

// ------------------------------------------------------------------ clean-up

void frmMaj::session_nettoyage() {
    Piege t = Piege::muet();
    Files& fichiers = prog.plateforme.files;

    t([&] { picAppli(0).setVisible(false); });
    t([&] { txtVersion(0).setVisible(false); });
    t([&] { picAppli(1).setVisible(false); });
    t([&] { txtVersion(1).setVisible(false); });
    t([&] { picFleche(0).setVisible(false); });
    t([&] { picFleche(1).setVisible(false); });
    preparer_progression();
    etape(t, QStringLiteral("Chargement Tarvik en cours..."), 500);

    QString reste;
    t([&] { reste = prog.maj().dans_dossier(fichiers.exeBaseName() + QLatin1Char('_')); });
    for (int essai = 1; essai <= 9; ++essai) {
        bool present = false;
        t([&] { present = fichiers.exists(reste) && !est_programme_courant(reste); });
        if (!present) break;
        t([&] { fichiers.remove(reste); });
        etape(t, QStringLiteral("Nettoyage des fichiers (essai N°") + QString::number(essai) + QLatin1Char(')'), 1000);
    }
    // A copy left by a replacement that was interrupted.
    t([&] {
        const QString copie =
            fichiers.programFolder() + QStringLiteral("/.") + fichiers.exeBaseName() + QStringLiteral("_.nouveau");
        if (fichiers.exists(copie)) fichiers.remove(copie);
    });

    t([&] { txtInfo->setCaption(QStringLiteral("Chargement...")); });
    t([&] { DoEvents(); });
}

} // namespace tk
