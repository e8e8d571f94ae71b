// In-memory files, processes and program facts for unit tests.
#pragma once

#include "platform/files.h"

#include <QMap>
#include <QSet>
#include <exception>
#include <functional>
#include <vector>

namespace tk {

// Thrown by FakeFiles::endProcess, so a test can see the program end. It is
// no std::exception on purpose: a statement trap must not catch it, as the
// real end of the process leaves every trap behind.
class ProcessEnd {
public:
    explicit ProcessEnd(int code) : code(code) {}
    int code;
};

class FakeFiles : public Files {
public:
    struct Launch {
        QString program;
        QStringList arguments;
    };

    // Program facts; exePath() is folder + "/" + exeName.
    QString folder = QStringLiteral("/opt/tarvik");
    QString exeName = QStringLiteral("tarvik");
    QString commandText;
    QString user = QStringLiteral("user");
    QString computer = QStringLiteral("PC");
    // The program folder is writable unless it is listed here (an installed program).
    QSet<QString> protectedFolders;
    // The user's state folder; empty: it cannot be created.
    QString stateDir = QStringLiteral("/home/user/.local/state/tarvik");

    // Files by full path.
    QMap<QString, QByteArray> files;
    QSet<QString> executables;
    QSet<QString> undeletable; // remove() fails on these (a locked or protected file)
    QSet<QString> unwritable;  // appendText, copy and rename onto these fail

    // Processes.
    std::vector<Launch> launches; // startDetached calls
    std::vector<Launch> runs;     // runForOutput calls
    // What runForOutput answers: the program's output and whether it ended
    // well; by default a run fails with no output.
    std::function<bool(const Launch&, QByteArray&)> onRun;
    QStringList openedPaths; // openWithDesktop targets
    bool launchesFail = false;
    int nice = 0;
    bool privileged = false;           // false: a nice value below the current one is refused
    std::vector<int> priorityRequests; // every setPriority request, refused ones included
    std::vector<int> sleeps;           // sleepMs calls
    std::function<void(int)> duringSleep;

    // A file may be written at `path`: not listed as unwritable, not in a protected folder.
    bool writable(const QString& path) const;

    // Test helper: the path of a file in the program folder.
    QString inFolder(const QString& name) const { return folder + QLatin1Char('/') + name; }

    QString programFolder() override { return folder; }
    QString exeBaseName() override { return exeName; }
    QString exePath() override { return inFolder(exeName); }
    QString commandLine() override { return commandText; }
    QString userName() override { return user; }
    QString computerName() override { return computer; }
    bool canWriteFolder(const QString& d) override { return !protectedFolders.contains(d); }
    QString stateFolder() override { return stateDir; }

    bool exists(const QString& path) override;
    int64_t size(const QString& path) override;
    bool remove(const QString& path) override;
    bool copy(const QString& source, const QString& dest) override;
    bool rename(const QString& source, const QString& dest) override;
    bool setExecutable(const QString& path) override;
    bool appendText(const QString& path, const QByteArray& data) override;
    bool readAll(const QString& path, QByteArray& data) override;

    bool startDetached(const QString& program, const QStringList& arguments) override;
    bool runForOutput(const QString& program, const QStringList& arguments, int timeoutMs, qint64 maxSize,
                      QByteArray& output) override;
    bool openWithDesktop(const QString& target) override;
    bool setPriority(int value) override;
    int priority() override { return nice; }
    void sleepMs(int ms) override;
    [[noreturn]] void endProcess(int code) override;
};

} // namespace tk
