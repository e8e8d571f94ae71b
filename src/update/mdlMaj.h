// Update check: probe of the update folder, version comparison, question in
// the update window, download of the new executable.
#pragma once

#include <QString>
#include <cstdint>

namespace tk {

class Programme;
class frmMain;

class mdlMaj {
public:
    explicit mdlMaj(Programme& prog);
    // Connects this module's event handlers to the bar window's controls.
    void brancher(frmMain& f);

    // The whole check; progress goes to the options dialog's status label,
    // the question to the update window.
    void recherche_mise_a_jour();
    // True while a check runs (it lets events run, so a timer may ask meanwhile).
    bool verification_en_cours() const { return en_cours_; }
    // Fetches the version file of `adresse` (a folder address ending in "/")
    // into "tarvik.ini" (see chemin_version); true when it arrived.
    bool serveur_maj_joignable(QString& adresse);
    // True when the first line of "tarvik.ini" is not the running version.
    bool version_differente();
    // Fetches `adresse_maj` + `distant` into the program folder as `local`,
    // executable; true only when a non-empty file arrived with status 200.
    // On failure nothing is left under the local name.
    bool telechargement_fichier(QString& distant, QString& local);
    // Runs the downloaded program `local` (in the program folder) with
    // "--version" (at most 10 s); true when it names `version_offerte`.
    // Otherwise the file is deleted.
    bool programme_telecharge_valide(const QString& local);

    // "major.minor.revision" of the running program.
    static QString version_courante();
    // The path of a file in the program's folder.
    QString dans_dossier(const QString& nom) const;
    // Where the version file is fetched to: "tarvik.ini" beside the program,
    // or in the user's state folder when the program's folder is not writable.
    QString chemin_version() const;
    // True when the program's folder is writable, so that a downloaded
    // version can be put in place; an installed program is updated by the
    // system's package manager instead.
    bool remplacement_possible() const;
    // The box shown instead of the question when a newer version exists and
    // the program cannot replace itself.
    static QString texte_gestionnaire_paquets();
    // Updates come only over https, or plain http from this machine (tests).
    static bool adresse_sure(const QString& adresse);

    QString nom_produit;
    QString adresse_maj;       // set by the first probe that succeeds, never cleared
    int16_t nb_echecs_maj = 0; // failed probes since start, never reset
    QString version_offerte;   // first line of the last version file read

    // Time limits of the two downloads.
    static constexpr int DELAI_VERSION_MS = 15000;
    static constexpr int DELAI_EXECUTABLE_MS = 180000;
    static constexpr int DELAI_VERSION_PROGRAMME_MS = 10000;

private:
    // Shows a text in the options dialog's status label.
    void info(const QString& texte);

    Programme& prog;
    bool en_cours_ = false; // a check is running (events run inside it)
};

} // namespace tk
