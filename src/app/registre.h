// Registry string routines and the start-with-the-session entry.
#pragma once

#include "platform/registry.h"

#include <QString>

namespace tk {

class Programme;

// Reads a value; the text is cut before its first NUL. Errors give "".
QString lire_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom);
void ecrire_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom,
                     const QString& donnees);
void effacer_valeur_registre(Programme& prog, RegistryRoot racine, const QString& chemin, const QString& nom);
// The program starts with the user's session (an autostart entry named after the executable).
void activer_demarrage_auto(Programme& prog);
void desactiver_demarrage_auto(Programme& prog);

extern const char* const CLE_RUN;

} // namespace tk
