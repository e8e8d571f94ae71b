#include "app/registre.h"

#include "app/programme.h"
#include "diag/textes.h"

namespace tk {

const char* const CLE_RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

QString lire_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom) {
    QString resultat;
    Piege::muet()([&] {
        QString valeur;
        if (!prog.plateforme.registry.readValue(racine, chemin, nom, valeur)) return;
        resultat = sans_nul_final(valeur);
    });
    return resultat;
}

void ecrire_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom,
                     const QString& donnees) {
    Piege::muet()([&] { prog.plateforme.registry.writeValue(racine, chemin, nom, donnees); });
}

void effacer_valeur_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom) {
    Piege::muet()([&] { prog.plateforme.registry.deleteValue(racine, chemin, nom); });
}

void activer_demarrage_auto(Programme& prog) {
    // The entry starts this very executable.
    ecrire_registre(prog, RegistryRoot::HKEY_LOCAL_MACHINE, QString::fromLatin1(CLE_RUN),
                    prog.plateforme.files.exeBaseName(), prog.plateforme.files.exePath());
}

void desactiver_demarrage_auto(Programme& prog) {
    effacer_valeur_registre(prog, RegistryRoot::HKEY_LOCAL_MACHINE, QString::fromLatin1(CLE_RUN),
                            prog.plateforme.files.exeBaseName());
}

} // namespace tk
