// Files, processes and program facts on Linux.
#pragma once

#include "platform/files.h"

namespace tk {

// Program facts come from QCoreApplication (an application object must exist).
// - exeBaseName is the executable's file name: Linux executables carry no extension.
// - copy overwrites the destination (through a temporary file in the same folder);
//   rename replaces the destination in one step.
// - setPriority applies the nice value to every thread of the process; false,
//   with nothing changed, when the system refuses it (raising without the right).
// - canWriteFolder asks the system (access(2)), so a read-only mount counts
//   as not writable, even for root.
// - endProcess flushes the standard streams and ends at once, without running
//   destructors: everything the program keeps on disk is written synchronously.
class LinuxFiles : public Files {
public:
    QString programFolder() override;
    QString exeBaseName() override;
    QString exePath() override;
    QString commandLine() override;
    QString userName() override;
    QString computerName() override;
    bool canWriteFolder(const QString& folder) override;
    QString stateFolder() override;
    // The path stateFolder() uses, without creating anything; needs no
    // application object.
    static QString stateFolderPath();

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
    bool setPriority(int nice) override;
    int priority() override;
    void sleepMs(int ms) override;
    [[noreturn]] void endProcess(int code) override;
};

} // namespace tk
