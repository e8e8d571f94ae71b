// Every answer a person gives through a dialog comes through this service,
// so that tests can script it.
#pragma once

#include <QString>

class QWidget;

namespace tk {

// Message-box styles and answers, with the classic values.
enum StyleMsg : int {
    vbOKOnly = 0, vbOKCancel = 1, vbYesNo = 4,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
};
enum ReponseMsg : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int msgBox(const QString& texte, int style, const QString& titre) = 0;
    // Returns the file chosen, or an empty text when cancelled. `filtre` in the
    // classic "Description|*.a;*.b|..." form.
    virtual QString openFile(const QString& titre, const QString& filtre, const QString& dossier) = 0;
};

} // namespace tk
