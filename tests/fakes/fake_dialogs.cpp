#include "fakes/fake_dialogs.h"

namespace tk {

int FakeDialogs::msgBox(const QString& texte, int style, const QString& titre) {
    boxes.push_back({texte, style, titre});
    if (duringBox) duringBox(boxes.back());
    if (!replies.empty()) {
        const int r = replies.front();
        replies.pop_front();
        return r;
    }
    return defaultReply ? *defaultReply : dismissAnswer(style);
}

QString FakeDialogs::openFile(const QString& titre, const QString& filtre, const QString& dossier) {
    fileRequests.push_back({titre, filtre, dossier});
    if (fichiers.empty()) return {};
    const QString r = fichiers.front();
    fichiers.pop_front();
    return r;
}

} // namespace tk
