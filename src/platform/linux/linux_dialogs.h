// Message boxes and file dialogs on Linux, with Qt widgets.
#pragma once

#include "platform/dialogs.h"

#include <QString>

namespace tk {

class LinuxDialogs : public Dialogs {
public:
    // Buttons and icon from the style bits; the first button is the default.
    // An empty title gives the application's name.
    int msgBox(const QString& text, int style, const QString& title) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;

    // "Desc|*.a;*.b|Other|*.c" -> "Desc (*.a *.b);;Other (*.c)".
    static QString qtFilter(const QString& filter);
};

} // namespace tk
