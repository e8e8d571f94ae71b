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

bool LinuxFiles::canWriteFolder(const QString& dossier) {
    if (dossier.isEmpty()) return false;
    return ::access(QFile::encodeName(dossier).constData(), W_OK | X_OK) == 0;
}

QString LinuxFiles::stateFolderPath() {
    // A relative XDG_STATE_HOME is invalid and ignored, as the XDG rules say.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tarvik");
}

QString LinuxFiles::stateFolder() {
    const QString dossier = stateFolderPath();
    if (QFileInfo(dossier).isDir()) return dossier;
    // The parents are created as the XDG rules ask (0700); the log may hold
    // paths and names, so the folder is the user's alone.
    if (!QDir().mkpath(dossier)) return {};
    QFile::setPermissions(dossier, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return dossier;
}

bool LinuxFiles::exists(const QString& chemin) { return QFileInfo::exists(chemin); }

int64_t LinuxFiles::size(const QString& chemin) {
    const QFileInfo info(chemin);
    return info.exists() ? info.size() : -1;
}

bool LinuxFiles::remove(const QString& chemin) { return QFile::remove(chemin); }

bool LinuxFiles::copy(const QString& source, const QString& dest) {
    if (!QFileInfo(source).isFile()) return false;
    // Copy beside the destination, then rename over it: the destination is
    // either the old file or the whole new one, never a half-copied file.
    QString temporaire;
    {
        QTemporaryFile t(QFileInfo(dest).absolutePath() + QStringLiteral("/.copy.XXXXXX"));
        if (!t.open()) return false;
        temporaire = t.fileName();
    } // removed here; QFile::copy refuses an existing target
    if (!QFile::copy(source, temporaire)) return false;
    if (!rename(temporaire, dest)) {
        QFile::remove(temporaire);
        return false;
    }
    return true;
}

bool LinuxFiles::rename(const QString& source, const QString& dest) {
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(dest).constData()) == 0;
}

bool LinuxFiles::setExecutable(const QString& chemin) {
    QFile f(chemin);
    if (!f.exists()) return false;
    QFileDevice::Permissions p = f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (p & QFileDevice::ReadGroup) p |= QFileDevice::ExeGroup;
    if (p & QFileDevice::ReadOther) p |= QFileDevice::ExeOther;
    return f.setPermissions(p);
}

bool LinuxFiles::appendText(const QString& chemin, const QByteArray& donnees) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    const bool ok = f.write(donnees) == donnees.size();
    return f.flush() && ok;
}

bool LinuxFiles::readAll(const QString& chemin, QByteArray& donnees) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return false;
    donnees = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool LinuxFiles::startDetached(const QString& programme, const QStringList& arguments) {
    return QProcess::startDetached(programme, arguments);
}

bool LinuxFiles::runForOutput(const QString& programme, const QStringList& arguments, int delaiMs, qint64 tailleMax,
                              QByteArray& sortie) {
    sortie.clear();
    QProcess p;
    p.setProgram(programme);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    const QDeadlineTimer limite(std::max(0, delaiMs));
    p.start();
    if (!p.waitForStarted(static_cast<int>(std::max<qint64>(0, limite.remainingTime())))) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    // Read as it comes, so that a program that writes without end is stopped
    // at the limit instead of filling memory.
    bool trop = false;
    while (p.state() != QProcess::NotRunning && !limite.hasExpired()) {
        p.waitForReadyRead(static_cast<int>(std::min<qint64>(100, std::max<qint64>(1, limite.remainingTime()))));
        const QByteArray morceau = p.readAllStandardOutput();
        if (morceau.size() > tailleMax - sortie.size()) {
            trop = true;
            break;
        }
        sortie += morceau;
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    const QByteArray reste = p.readAllStandardOutput();
    if (trop || reste.size() > tailleMax - sortie.size()) return false;
    sortie += reste;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool LinuxFiles::openWithDesktop(const QString& cible) {
    if (cible.isEmpty()) return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {cible});
}

bool LinuxFiles::setPriority(int nice) {
    // On Linux a nice value belongs to each thread: set the calling (UI)
    // thread first, which tells whether the system allows it, then the others.
    if (::setpriority(PRIO_PROCESS, 0, nice) != 0) return false;
    const pid_t moi = static_cast<pid_t>(::gettid());
    const QStringList taches = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& t : taches) {
        bool ok = false;
        const int tid = t.toInt(&ok);
        if (ok && tid != moi) ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
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
