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
    struct Box {
        QString texte;
        int style;
        QString titre;
    };
    struct FileRequest {
        QString titre, filtre, dossier;
    };

    // Answers given in order. When the queue is empty a box answers
    // `defaultReply` if set, else what closing it gives (Cancel, No or OK),
    // and a file dialog answers "" (cancelled).
    std::deque<int> replies;
    std::optional<int> defaultReply;
    std::deque<QString> fichiers;
    // Called while a box is open (before it answers), as a modal box lets events run.
    std::function<void(const Box&)> duringBox;

    std::vector<Box> boxes;
    std::vector<FileRequest> fileRequests;

    void reply(int reponse) { replies.push_back(reponse); }
    void choose(const QString& fichier) { fichiers.push_back(fichier); }

    int msgBox(const QString& texte, int style, const QString& titre) override;
    QString openFile(const QString& titre, const QString& filtre, const QString& dossier) override;
};

} // namespace tk
