// Message boxes and file dialogs on Linux, with Qt widgets.
#pragma once

#include "platform/dialogs.h"

#include <QString>

namespace tk {

class LinuxDialogs : public Dialogs {
public:
    // Buttons and icon from the style bits; the first button is the default.
    // An empty title gives the application's name.
    int msgBox(const QString& texte, int style, const QString& titre) override;
    QString openFile(const QString& titre, const QString& filtre, const QString& dossier) override;

    // "Desc|*.a;*.b|Other|*.c" -> "Desc (*.a *.b);;Other (*.c)".
    static QString qtFilter(const QString& filtre);
};

} // namespace tk
