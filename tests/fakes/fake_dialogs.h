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
        QString text;
        int style;
        QString title;
    };
    struct FileRequest {
        QString title, filter, folder;
    };

    // Answers given in order. When the queue is empty a box answers
    // `defaultReply` if set, else what closing it gives (Cancel, No or OK),
    // and a file dialog answers "" (cancelled).
    std::deque<int> replies;
    std::optional<int> defaultReply;
    std::deque<QString> files;
    // Called while a box is open (before it answers), as a modal box lets events run.
    std::function<void(const Box&)> duringBox;

    std::vector<Box> boxes;
    std::vector<FileRequest> fileRequests;

    void reply(int answer) { replies.push_back(answer); }
    void choose(const QString& file) { files.push_back(file); }

    int msgBox(const QString& text, int style, const QString& title) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
};

} // namespace tk
