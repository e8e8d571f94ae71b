#include "fakes/fake_dialogs.h"

namespace tk {

int FakeDialogs::msgBox(const QString& text, int style, const QString& title) {
    boxes.push_back({text, style, title});
    if (duringBox) duringBox(boxes.back());
    if (!replies.empty()) {
        const int r = replies.front();
        replies.pop_front();
        return r;
    }
    return defaultReply ? *defaultReply : dismissAnswer(style);
}

QString FakeDialogs::openFile(const QString& title, const QString& filter, const QString& folder) {
    fileRequests.push_back({title, filter, folder});
    if (files.empty()) return {};
    const QString r = files.front();
    files.pop_front();
    return r;
}

} // namespace tk
