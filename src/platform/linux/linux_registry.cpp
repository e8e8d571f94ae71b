#include "platform/linux/linux_registry.h"

#include "platform/linux/desktop_entry.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace tk {

namespace {

const QString kProductKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
const QString kDesktopKey = QStringLiteral("Control Panel\\Desktop");
const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// Registry path without its trailing backslashes.
QString normalPath(QString c) {
    while (c.endsWith(QLatin1Char('\\'))) c.chop(1);
    return c;
}

} // namespace

LinuxRegistry::LinuxRegistry() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    paths_.config = config;
    paths_.home = QDir::homePath();
    paths_.osRelease = {QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")};
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) runtime = QDir::tempPath();
    paths_.rootPicture =
        runtime + QStringLiteral("/tarvik-fond-ecran-") + QString::number(::getuid()) + QStringLiteral(".png");
    run_ = [](const QString& p, const QStringList& a, QByteArray& s) { return runHelper(p, a, s); };
    settings_ = SettingsFiles(paths_.config);
}

LinuxRegistry::LinuxRegistry(Paths paths, HelperRunner run)
    : paths_(std::move(paths)), run_(std::move(run)), settings_(paths_.config) {}

QString LinuxRegistry::getSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& fallback) {
    return settings_.get(app, section, key, fallback);
}

void LinuxRegistry::saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    settings_.save(app, section, key, value);
}

void LinuxRegistry::beginWrites(const QString& app) { settings_.beginWrites(app); }

void LinuxRegistry::endWrites(const QString& app) { settings_.endWrites(app); }

QString LinuxRegistry::autostartFile(const QString& name) const { return tk::autostartFile(paths_.config, name); }

bool LinuxRegistry::readValue(RegistryRoot root, const QString& path, const QString& name, QString& value) {
    const QString c = normalPath(path);
    QString r;
    if (root == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kProductKey) &&
        sameName(name, QLatin1String("productname"))) {
        r = productName(paths_.osRelease);
    } else if (root == RegistryRoot::HKEY_CURRENT_USER && sameName(c, kDesktopKey) &&
               sameName(name, QLatin1String("Wallpaper"))) {
        r = wallpaper(run_, paths_.home, paths_.rootPicture);
    } else if (root == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kRunKey)) {
        if (name.isEmpty() || name.contains(QLatin1Char('/'))) return false;
        r = readAutostart(autostartFile(name));
    } else {
        const auto it = others_.constFind(QString::number(static_cast<int>(root)) + QLatin1Char('\\') +
                                          c.toCaseFolded() + QLatin1Char('\\') + name.toCaseFolded());
        if (it == others_.constEnd()) return false;
        value = it.value();
        return true;
    }
    if (r.isEmpty()) return false;
    value = r;
    return true;
}

bool LinuxRegistry::writeValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) {
    const QString c = normalPath(path);
    if (root == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kRunKey)) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            return false;
        return writeAutostart(autostartFile(name), name, value);
    }
    if ((root == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kProductKey)) ||
        (root == RegistryRoot::HKEY_CURRENT_USER && sameName(c, kDesktopKey)))
        return false; // read from the system; not ours to change
    others_.insert(QString::number(static_cast<int>(root)) + QLatin1Char('\\') + c.toCaseFolded() + QLatin1Char('\\') +
                       name.toCaseFolded(),
                   value);
    return true;
}

bool LinuxRegistry::deleteValue(RegistryRoot root, const QString& path, const QString& name) {
    const QString c = normalPath(path);
    if (root == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kRunKey)) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            return false;
        return removeAutostart(autostartFile(name));
    }
    return others_.remove(QString::number(static_cast<int>(root)) + QLatin1Char('\\') + c.toCaseFolded() +
                          QLatin1Char('\\') + name.toCaseFolded()) > 0;
}

} // namespace tk
