// Files, processes and program facts; message boxes and file-dialog filters.
#include "platform/linux/linux_dialogs.h"
#include "platform/linux/linux_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tk;

namespace {
QByteArray contenu(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void ecrire(const QString& chemin, const QByteArray& donnees) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(donnees);
}
} // namespace

TEST(LinuxFiles, AppendCreatesThenAppends) {
    QTemporaryDir d;
    LinuxFiles f;
    const QString log = d.path() + "/err.log";
    EXPECT_FALSE(f.exists(log));
    EXPECT_EQ(f.size(log), -1);
    ASSERT_TRUE(f.appendText(log, "one\r\n"));
    ASSERT_TRUE(f.appendText(log, "two\r\n"));
    EXPECT_EQ(f.size(log), 10);
    QByteArray lu;
    ASSERT_TRUE(f.readAll(log, lu));
    EXPECT_EQ(lu, "one\r\ntwo\r\n");
    EXPECT_TRUE(f.remove(log));
    EXPECT_FALSE(f.readAll(log, lu));
    EXPECT_FALSE(f.appendText(d.path() + "/no/such/folder/x", "x"));
}

TEST(LinuxFiles, CopyAndRenameReplaceTheDestination) {
    QTemporaryDir d;
    LinuxFiles f;
    const QString a = d.path() + "/tarvik_", b = d.path() + "/tarvik";
    ecrire(a, "new build");
    ecrire(b, "old build");
    ASSERT_TRUE(f.setExecutable(a));
    EXPECT_TRUE(QFileInfo(a).isExecutable());

    ASSERT_TRUE(f.copy(a, b));
    EXPECT_EQ(contenu(b), "new build");
    EXPECT_TRUE(QFileInfo(b).isExecutable());                                  // permissions follow the copy
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
    EXPECT_FALSE(f.copy(d.path() + "/missing", b));
    EXPECT_EQ(contenu(b), "new build");

    ecrire(b, "old again");
    ASSERT_TRUE(f.rename(a, b));
    EXPECT_EQ(contenu(b), "new build");
    EXPECT_FALSE(f.exists(a));
}

TEST(LinuxFiles, ProgramFacts) {
    LinuxFiles f;
    EXPECT_EQ(f.programFolder() + "/" + f.exeBaseName(), f.exePath());
    EXPECT_EQ(f.exeBaseName(), "test_linux");
    EXPECT_FALSE(f.userName().isEmpty());
    EXPECT_FALSE(f.computerName().isEmpty());
}

TEST(LinuxFiles, PriorityLowersAndRefusedRaiseChangesNothing) {
    LinuxFiles f;
    const int depart = f.priority();
    if (depart >= 19) GTEST_SKIP() << "already at the lowest priority";
    ASSERT_TRUE(f.setPriority(depart + 1));
    EXPECT_EQ(f.priority(), depart + 1);
    const bool remonte = f.setPriority(depart);
    if (::geteuid() == 0) {
        EXPECT_TRUE(remonte);
        EXPECT_EQ(f.priority(), depart);
    } else {
        EXPECT_FALSE(remonte); // an unprivileged process may not raise its priority
        EXPECT_EQ(f.priority(), depart + 1);
    }
}

TEST(LinuxDialogs, FilterInQtForm) {
    EXPECT_EQ(LinuxDialogs::qtFilter("Pictures|*.bmp;*.jpg;*.JPG"), "Pictures (*.bmp *.jpg *.JPG)");
    // A description that names its patterns shows them once.
    EXPECT_EQ(LinuxDialogs::qtFilter("Sons (*.wav)|*.wav;*.WAV|Tous|*.*"), "Sons (*.wav *.WAV);;Tous (*.*)");
    EXPECT_EQ(LinuxDialogs::qtFilter("Fichiers image (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp"),
              "Fichiers image (*.jpg *.jpeg *.bmp)");
    EXPECT_EQ(LinuxDialogs::qtFilter(""), "");
}

TEST(LinuxDialogs, MessageBoxAnswers) {
    LinuxDialogs d;
    auto reply = [](QMessageBox::StandardButton bouton) {
        QTimer::singleShot(50, [bouton] {
            auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(boite, nullptr);
            if (bouton == QMessageBox::NoButton) boite->close();
            else boite->button(bouton)->click();
        });
    };
    reply(QMessageBox::No);
    EXPECT_EQ(d.msgBox("Encore ?", vbYesNo + vbQuestion, "Tarvik"), vbNo);
    reply(QMessageBox::Ok);
    EXPECT_EQ(d.msgBox("Envoyer ?", vbOKCancel + vbCritical, "Tarvik"), vbOK);
    reply(QMessageBox::NoButton); // closed without a button
    EXPECT_EQ(d.msgBox("Envoyer ?", vbOKCancel + vbCritical, "Tarvik"), vbCancel);
}
