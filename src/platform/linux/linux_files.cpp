#include "platform/linux/linux_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tk {

QString LinuxFiles::programFolder() { return QCoreApplication::applicationDirPath(); }

QString LinuxFiles::exeBaseName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

QString LinuxFiles::exePath() { return QCoreApplication::applicationFilePath(); }

QString LinuxFiles::commandLine() { return QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')); }

QString LinuxFiles::userName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString LinuxFiles::computerName() { return QSysInfo::machineHostName(); }

bool LinuxFiles::canWriteFolder(const QString& folder) {
    if (folder.isEmpty()) return false;
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString LinuxFiles::stateFolderPath() {
    // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules say.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tarvik");
}

QString LinuxFiles::stateFolder() {
    const QString folder = stateFolderPath();
    if (QFileInfo(folder).isDir()) return folder;
    // The parents are created as the XDG rules ask (0700); the log may hold
    // paths and names, so the folder is the user's alone.
    if (!QDir().mkpath(folder)) return {};
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

bool LinuxFiles::exists(const QString& path) { return QFileInfo::exists(path); }

int64_t LinuxFiles::size(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

bool LinuxFiles::remove(const QString& path) { return QFile::remove(path); }

bool LinuxFiles::copy(const QString& source, const QString& dest) {
    if (!QFileInfo(source).isFile()) return false;
    // Copy beside the destination, then rename over it: the destination is
    // either the old file or the whole new one, never a half-copied file.
    QString temporary;
    {
        QTemporaryFile t(QFileInfo(dest).absolutePath() + QStringLiteral("/.copy.XXXXXX"));
        if (!t.open()) return false;
        temporary = t.fileName();
    } // removed here; QFile::copy refuses an existing target
    if (!QFile::copy(source, temporary)) return false;
    if (!rename(temporary, dest)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool LinuxFiles::rename(const QString& source, const QString& dest) {
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(dest).constData()) == 0;
}

bool LinuxFiles::setExecutable(const QString& path) {
    QFile f(path);
    if (!f.exists()) return false;
    QFileDevice::Permissions p = f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (p & QFileDevice::ReadGroup) p |= QFileDevice::ExeGroup;
    if (p & QFileDevice::ReadOther) p |= QFileDevice::ExeOther;
    return f.setPermissions(p);
}

bool LinuxFiles::appendText(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    const bool ok = f.write(data) == data.size();
    return f.flush() && ok;
}

bool LinuxFiles::readAll(const QString& path, QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    data = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool LinuxFiles::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool LinuxFiles::runForOutput(const QString& program, const QStringList& arguments, int timeoutMs, qint64 maxSize,
                              QByteArray& output) {
    output.clear();
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    const QDeadlineTimer limit(std::max(0, timeoutMs));
    p.start();
    if (!p.waitForStarted(static_cast<int>(std::max<qint64>(0, limit.remainingTime())))) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    // Read as it comes, so that a program that writes without end is stopped
    // at the limit instead of filling memory.
    bool tooLong = false;
    while (p.state() != QProcess::NotRunning && !limit.hasExpired()) {
        p.waitForReadyRead(static_cast<int>(std::min<qint64>(100, std::max<qint64>(1, limit.remainingTime()))));
        const QByteArray piece = p.readAllStandardOutput();
        if (piece.size() > maxSize - output.size()) {
            tooLong = true;
            break;
        }
        output += piece;
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    const QByteArray rest = p.readAllStandardOutput();
    if (tooLong || rest.size() > maxSize - output.size()) return false;
    output += rest;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool LinuxFiles::openWithDesktop(const QString& target) {
    if (target.isEmpty()) return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

bool LinuxFiles::setPriority(int nice) {
    // On Linux a nice value belongs to each thread: set the calling (UI)
    // thread first, which tells whether the system allows it, then the others.
    if (::setpriority(PRIO_PROCESS, 0, nice) != 0) return false;
    const pid_t self = static_cast<pid_t>(::gettid());
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& t : tasks) {
        bool ok = false;
        const int tid = t.toInt(&ok);
        if (ok && tid != self) ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
    }
    return true;
}

int LinuxFiles::priority() {
    errno = 0;
    const int p = ::getpriority(PRIO_PROCESS, 0);
    return (p == -1 && errno != 0) ? 0 : p;
}

void LinuxFiles::sleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

void LinuxFiles::endProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}

} // namespace tk
