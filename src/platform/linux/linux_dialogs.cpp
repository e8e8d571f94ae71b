#include "platform/linux/linux_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace tk {

int LinuxDialogs::msgBox(const QString& text, int style, const QString& title) {
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    // Error texts carry what servers and files said: shown as text, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowFlag(Qt::WindowStaysOnTopHint); // above the docked bar
    switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon);
    }
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    switch (style & 7) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}};
    }
    QMessageBox::StandardButtons combined;
    for (const auto& b : buttons) combined |= b.first;
    box.setStandardButtons(combined);
    box.setDefaultButton(buttons.front().first);
    const int dismissed = dismissAnswer(style);
    for (const auto& b : buttons)
        if (b.second == dismissed) box.setEscapeButton(b.first);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& b : buttons)
        if (clicked && box.button(b.first) == clicked) return b.second;
    return dismissed;
}

QString LinuxDialogs::qtFilter(const QString& filter) {
    const QStringList pieces = filter.split(QLatin1Char('|'));
    QStringList r;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        QStringList patterns = pieces[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& m : patterns) m = m.trimmed();
        // Qt shows the description followed by the pattern list in brackets; a
        // description that already ends with its own list loses it, so that
        // the patterns show once.
        QString description = pieces[i].trimmed();
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype opening = description.lastIndexOf(QLatin1Char('('));
            if (opening > 0) description = description.left(opening).trimmed();
        }
        r << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    if (pieces.size() % 2 == 1 && !pieces.back().trimmed().isEmpty() && r.isEmpty())
        r << pieces.back().trimmed(); // a bare pattern list
    return r.join(QStringLiteral(";;"));
}

QString LinuxDialogs::openFile(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(nullptr, title, folder, qtFilter(filter));
}

} // namespace tk
