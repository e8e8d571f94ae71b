// Every answer a person gives through a dialog comes through this service,
// so that tests can script it.
#pragma once

#include <QString>

class QWidget;

namespace tk {

// Message-box styles and answers, with the classic values.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The answer a box gives when it is dismissed without a button (Escape, or
// closing the window): Cancel where there is one, else No, Ignore or OK.
inline int dismissAnswer(int style) {
    switch (style & 7) {
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel: return vbCancel;
    case vbYesNo: return vbNo;
    case vbAbortRetryIgnore: return vbIgnore;
    default: return vbOK;
    }
}

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int msgBox(const QString& text, int style, const QString& title) = 0;
    // Returns the file chosen, or an empty text when cancelled. `filter` in the
    // classic "Description|*.a;*.b|..." form.
    virtual QString openFile(const QString& title, const QString& filter, const QString& folder) = 0;
};

} // namespace tk
