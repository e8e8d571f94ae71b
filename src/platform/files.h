// Files, processes and program facts.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace tk {

class Files {
public:
    virtual ~Files() = default;

    // Program facts.
    virtual QString programFolder() = 0; // folder of the running executable, no trailing slash
    virtual QString exeBaseName() = 0;   // executable name without folder and extension
    virtual QString exePath() = 0;       // full path of the running executable
    virtual QString commandLine() = 0;   // the arguments as one string, joined by blanks
    virtual QString userName() = 0;
    virtual QString computerName() = 0;
    // True when this user may create and write files in `folder`.
    virtual bool canWriteFolder(const QString& folder) = 0;
    // The user's own folder for the program's files when its folder is not
    // writable: $XDG_STATE_HOME/tarvik, or ~/.local/state/tarvik; created
    // (mode 0700) when missing. Empty when it cannot be created.
    virtual QString stateFolder() = 0;

    // Files.
    virtual bool exists(const QString& path) = 0;
    virtual int64_t size(const QString& path) = 0; // -1 when missing
    virtual bool remove(const QString& path) = 0;
    virtual bool copy(const QString& source, const QString& dest) = 0;
    virtual bool rename(const QString& source, const QString& dest) = 0;
    virtual bool setExecutable(const QString& path) = 0;
    virtual bool appendText(const QString& path, const QByteArray& data) = 0;
    virtual bool readAll(const QString& path, QByteArray& data) = 0;

    // Processes.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Runs a program (never through a shell) and waits at most `timeoutMs` for
    // it to end, keeping at most `maxSize` bytes of its standard output in
    // `output`. True only when it ran to a normal end with status 0 within
    // the time and output limits; otherwise it is killed if still running.
    virtual bool runForOutput(const QString& program, const QStringList& arguments, int timeoutMs, qint64 maxSize,
                              QByteArray& output) = 0;
    // Opens a folder or address with the desktop's handler; the target is one argument, never shell text.
    virtual bool openWithDesktop(const QString& target) = 0;
    // Process priority as a nice value; false when the system refused it (nothing changed).
    virtual bool setPriority(int nice) = 0;
    virtual int priority() = 0;
    virtual void sleepMs(int ms) = 0;
    [[noreturn]] virtual void endProcess(int code) = 0;
};

} // namespace tk
