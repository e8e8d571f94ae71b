#include "diag/erreur.h"

namespace tk {

QString description_erreur(int numero) {
    switch (numero) {
    case ERR_APPEL_INCORRECT: return QStringLiteral("Argument ou appel de procédure incorrect");
    case ERR_DEPASSEMENT: return QStringLiteral("Dépassement de capacité");
    case ERR_INDICE: return QStringLiteral("L'indice n'appartient pas à la sélection");
    case ERR_DIVISION_ZERO: return QStringLiteral("Division par zéro");
    case ERR_TYPE: return QStringLiteral("Incompatibilité de type");
    case ERR_FICHIER_INTROUVABLE: return QStringLiteral("Fichier introuvable");
    case ERR_OBJET_NON_DEFINI: return QStringLiteral("Variable objet non définie");
    case ERR_ELEMENT_GROUPE: return QStringLiteral("L'élément de groupe de contrôles n'existe pas");
    case ERR_ELEMENT_EXISTE: return QStringLiteral("Objet déjà chargé");
    case ERR_DECHARGEMENT:
        return QStringLiteral("Impossible de décharger les contrôles créés au moment de la création");
    case ERR_VALEUR_PROPRIETE: return QStringLiteral("Valeur de propriété non valide");
    case ERR_IMAGE_INCORRECTE: return QStringLiteral("Image incorrecte");
    default: return QStringLiteral("Erreur définie par l'application ou par l'objet");
    }
}

ErreurVB::ErreurVB(int numero, QString description)
    : numero_(numero), description_(description.isEmpty() ? description_erreur(numero) : std::move(description)),
      what_(description_.toStdString()) {}

void lever(int numero, const QString& description) { throw ErreurVB(numero, description); }

Piege::Piege(RapporteurErreur rapport, QString routine, QString module)
    : rapport_(std::move(rapport)), routine_(std::move(routine)), module_(std::move(module)) {}

Piege Piege::muet() { return Piege(nullptr, {}, {}); }

void Piege::signaler(const QString& description, int numero) {
    if (rapport_) {
        try {
            rapport_(description, numero, routine(), module_);
        } catch (...) {
            // The handler ignores its own errors: nothing escapes a procedure.
        }
    }
}

} // namespace tk
