#include "platform/linux/linux_registry.h"

#include "platform/linux/desktop_entry.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace tk {

namespace {

const QString kProduit = QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
const QString kBureau = QStringLiteral("Control Panel\\Desktop");
const QString kDemarrage = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// Registry path without its trailing backslashes.
QString chemin_normal(QString c) {
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

QString LinuxRegistry::getSetting(const QString& appli, const QString& section, const QString& cle,
                                  const QString& defaut) {
    return settings_.get(appli, section, cle, defaut);
}

void LinuxRegistry::saveSetting(const QString& appli, const QString& section, const QString& cle,
                                const QString& valeur) {
    settings_.save(appli, section, cle, valeur);
}

void LinuxRegistry::beginWrites(const QString& appli) { settings_.beginWrites(appli); }

void LinuxRegistry::endWrites(const QString& appli) { settings_.endWrites(appli); }

QString LinuxRegistry::autostartFile(const QString& nom) const { return tk::autostartFile(paths_.config, nom); }

bool LinuxRegistry::readValue(RegistryRoot racine, const QString& chemin, const QString& nom, QString& valeur) {
    const QString c = chemin_normal(chemin);
    QString r;
    if (racine == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kProduit) &&
        sameName(nom, QLatin1String("productname"))) {
        r = productName(paths_.osRelease);
    } else if (racine == RegistryRoot::HKEY_CURRENT_USER && sameName(c, kBureau) &&
               sameName(nom, QLatin1String("Wallpaper"))) {
        r = wallpaper(run_, paths_.home, paths_.rootPicture);
    } else if (racine == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/'))) return false;
        r = readAutostart(autostartFile(nom));
    } else {
        const auto it = others_.constFind(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') +
                                          c.toCaseFolded() + QLatin1Char('\\') + nom.toCaseFolded());
        if (it == others_.constEnd()) return false;
        valeur = it.value();
        return true;
    }
    if (r.isEmpty()) return false;
    valeur = r;
    return true;
}

bool LinuxRegistry::writeValue(RegistryRoot racine, const QString& chemin, const QString& nom, const QString& valeur) {
    const QString c = chemin_normal(chemin);
    if (racine == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/')) || nom == QLatin1String(".") || nom == QLatin1String(".."))
            return false;
        return writeAutostart(autostartFile(nom), nom, valeur);
    }
    if ((racine == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kProduit)) ||
        (racine == RegistryRoot::HKEY_CURRENT_USER && sameName(c, kBureau)))
        return false; // read from the system; not ours to change
    others_.insert(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') + c.toCaseFolded() +
                       QLatin1Char('\\') + nom.toCaseFolded(),
                   valeur);
    return true;
}

bool LinuxRegistry::deleteValue(RegistryRoot racine, const QString& chemin, const QString& nom) {
    const QString c = chemin_normal(chemin);
    if (racine == RegistryRoot::HKEY_LOCAL_MACHINE && sameName(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/')) || nom == QLatin1String(".") || nom == QLatin1String(".."))
            return false;
        return removeAutostart(autostartFile(nom));
    }
    return others_.remove(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') + c.toCaseFolded() +
                          QLatin1Char('\\') + nom.toCaseFolded()) > 0;
}

} // namespace tk
