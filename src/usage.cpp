#include "usage.h"

#include "app/programme.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <unistd.h>

namespace tk {

namespace {

// The running executable, as the program sees itself once started.
QString executable() {
    const QString cible = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return cible.isEmpty() ? QStringLiteral("tarvik") : cible;
}

} // namespace

std::string texte_usage() {
    const QFileInfo exe(executable());
    const QString nom = exe.fileName();
    const QString dossier = exe.absolutePath();
    LinuxRegistry registre;
    // The same choice as the program's: beside the executable when that folder is writable.
    const bool dossier_ecrivable = ::access(QFile::encodeName(dossier).constData(), W_OK | X_OK) == 0;
    const QString log = (dossier_ecrivable ? dossier : LinuxFiles::stateFolderPath()) + QStringLiteral("/err.log");

    const QString texte =
        QStringLiteral("Usage: %1 [--help | --version]\n"
                       "\n"
                       "Tarvik %2.%3.%4 docks a thin bar along the top of the screen with processor,\n"
                       "memory, drive, network, volume and mail meters. Right-click the bar for its\n"
                       "menu: tray icon, options, exit.\n"
                       "\n"
                       "Options:\n"
                       "  --help      print this help and exit\n"
                       "  --version   print the version and exit\n"
                       "\n"
                       "Files of this user:\n"
                       "  settings          %5\n"
                       "  error log         %6\n"
                       "                    (beside the program when its folder is writable,\n"
                       "                    else in $XDG_STATE_HOME/tarvik, ~/.local/state/tarvik)\n"
                       "  start with the session  %7\n"
                       "                    (written while that option is ticked)\n"
                       "\n"
                       "Privacy: while \"Verifier les mises à jour\" is ticked in the options (the\n"
                       "default), the program asks its server for a newer version and sends it a\n"
                       "usage report (user and computer names, version, use count, last error).\n"
                       "Untick it to stop both. See tarvik(1).\n")
            .arg(nom)
            .arg(Programme::version_major())
            .arg(Programme::version_minor())
            .arg(Programme::version_revision())
            .arg(registre.settingsFile(nom), log, registre.autostartFile(nom));
    return texte.toStdString();
}

} // namespace tk
