#include "platform/linux/linux_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace tk {

int LinuxDialogs::msgBox(const QString& texte, int style, const QString& titre) {
    QMessageBox boite;
    boite.setWindowTitle(titre.isEmpty() ? QCoreApplication::applicationName() : titre);
    // Error texts carry what servers and files said: shown as text, never as markup.
    boite.setTextFormat(Qt::PlainText);
    boite.setText(texte);
    boite.setWindowFlag(Qt::WindowStaysOnTopHint); // above the docked bar
    switch (style & 0x70) {
    case vbCritical: boite.setIcon(QMessageBox::Critical); break;
    case vbQuestion: boite.setIcon(QMessageBox::Question); break;
    case vbExclamation: boite.setIcon(QMessageBox::Warning); break;
    case vbInformation: boite.setIcon(QMessageBox::Information); break;
    default: boite.setIcon(QMessageBox::NoIcon);
    }
    std::vector<std::pair<QMessageBox::StandardButton, int>> boutons;
    switch (style & 7) {
    case vbOKCancel: boutons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        boutons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        boutons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: boutons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: boutons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: boutons = {{QMessageBox::Ok, vbOK}};
    }
    QMessageBox::StandardButtons ensemble;
    for (const auto& b : boutons) ensemble |= b.first;
    boite.setStandardButtons(ensemble);
    boite.setDefaultButton(boutons.front().first);
    const int fermeture = dismissAnswer(style);
    for (const auto& b : boutons)
        if (b.second == fermeture) boite.setEscapeButton(b.first);
    boite.exec();
    const QAbstractButton* clique = boite.clickedButton();
    for (const auto& b : boutons)
        if (clique && boite.button(b.first) == clique) return b.second;
    return fermeture;
}

QString LinuxDialogs::qtFilter(const QString& filtre) {
    const QStringList morceaux = filtre.split(QLatin1Char('|'));
    QStringList r;
    for (qsizetype i = 0; i + 1 < morceaux.size(); i += 2) {
        QStringList motifs = morceaux[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& m : motifs) m = m.trimmed();
        // Qt shows the description followed by the pattern list in brackets; a
        // description that already ends with its own list loses it, so that
        // the patterns show once.
        QString description = morceaux[i].trimmed();
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype ouvrante = description.lastIndexOf(QLatin1Char('('));
            if (ouvrante > 0) description = description.left(ouvrante).trimmed();
        }
        r << QStringLiteral("%1 (%2)").arg(description, motifs.join(QLatin1Char(' ')));
    }
    if (morceaux.size() % 2 == 1 && !morceaux.back().trimmed().isEmpty() && r.isEmpty())
        r << morceaux.back().trimmed(); // a bare pattern list
    return r.join(QStringLiteral(";;"));
}

QString LinuxDialogs::openFile(const QString& titre, const QString& filtre, const QString& dossier) {
    return QFileDialog::getOpenFileName(nullptr, titre, dossier, qtFilter(filtre));
}

} // namespace tk
