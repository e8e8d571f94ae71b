#include "fakes/fake_dialogs.h"

namespace tk {

int FakeDialogs::msgBox(const QString& texte, int style, const QString& titre) {
    boites.push_back({texte, style, titre});
    if (pendantBoite) pendantBoite(boites.back());
    if (!reponses.empty()) {
        const int r = reponses.front();
        reponses.pop_front();
        return r;
    }
    return reponseDefaut ? *reponseDefaut : reponse_fermeture(style);
}

QString FakeDialogs::openFile(const QString& titre, const QString& filtre, const QString& dossier) {
    demandesFichier.push_back({titre, filtre, dossier});
    if (fichiers.empty()) return {};
    const QString r = fichiers.front();
    fichiers.pop_front();
    return r;
}

} // namespace tk
