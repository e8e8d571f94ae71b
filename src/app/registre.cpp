#include "app/registre.h"

#include "app/programme.h"

namespace tk {

const char* const CLE_RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

QString lire_registre(Programme& prog, RacineRegistre racine, const QString& chemin, const QString& nom) {
    try {
        QString valeur;
        if (!prog.plateforme.registry.readValue(racine, chemin, nom, valeur)) return QString();
        const qsizetype nul = valeur.indexOf(QChar(u'\0'));
        return nul < 0 ? valeur : valeur.left(nul);
    } catch (...) {
        return QString();
    }
}

void ecrire_registre(Programme& prog, RacineRegistre racine, const QString& chemin, const QString& nom,
                     const QString& donnees) {
    try {
        prog.plateforme.registry.writeValue(racine, chemin, nom, donnees);
    } catch (...) {
    }
}

void effacer_valeur_registre(Programme& prog, RacineRegistre racine, const QString& chemin, const QString& nom) {
    try {
        prog.plateforme.registry.deleteValue(racine, chemin, nom);
    } catch (...) {
    }
}

void activer_demarrage_auto(Programme& prog) {
    // The entry starts this very executable.
    ecrire_registre(prog, RacineRegistre::HKEY_LOCAL_MACHINE, QString::fromLatin1(CLE_RUN),
                    prog.plateforme.files.exeBaseName(), prog.plateforme.files.exePath());
}

void desactiver_demarrage_auto(Programme& prog) {
    effacer_valeur_registre(prog, RacineRegistre::HKEY_LOCAL_MACHINE, QString::fromLatin1(CLE_RUN),
                            prog.plateforme.files.exeBaseName());
}

} // namespace tk
