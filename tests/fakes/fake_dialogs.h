// Scripted message boxes and file dialogs for unit tests.
#pragma once

#include "platform/dialogs.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tk {

class FakeDialogs : public Dialogs {
public:
    struct Boite {
        QString texte;
        int style;
        QString titre;
    };
    struct DemandeFichier {
        QString titre, filtre, dossier;
    };

    // Answers given in order. When the queue is empty a box answers
    // `reponseDefaut` if set, else what closing it gives (Cancel, No or OK),
    // and a file dialog answers "" (cancelled).
    std::deque<int> reponses;
    std::optional<int> reponseDefaut;
    std::deque<QString> fichiers;
    // Called while a box is open (before it answers), as a modal box lets events run.
    std::function<void(const Boite&)> pendantBoite;

    std::vector<Boite> boites;
    std::vector<DemandeFichier> demandesFichier;

    void repondre(int reponse) { reponses.push_back(reponse); }
    void choisir(const QString& fichier) { fichiers.push_back(fichier); }

    int msgBox(const QString& texte, int style, const QString& titre) override;
    QString openFile(const QString& titre, const QString& filtre, const QString& dossier) override;
};

} // namespace tk
