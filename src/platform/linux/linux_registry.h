// Settings store and registry values on Linux.
//
// Settings live in one INI file per application name (settings_file.h).
// Registry values (paths compared without regard to case and to a trailing
// backslash, value names without regard to case):
//  - HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "productname": the
//    system's product name (desktop_facts.h);
//  - HKCU "Control Panel\Desktop" "Wallpaper": the desktop's wallpaper file
//    (desktop_facts.h);
//  - HKLM "Software\Microsoft\Windows\CurrentVersion\Run" <name>: the XDG autostart
//    entry of <name> whose Exec runs <data> as one program path (desktop_entry.h);
//  - any other value lives in memory for the life of the object.
#pragma once

#include "platform/linux/desktop_facts.h"
#include "platform/linux/settings_file.h"
#include "platform/registry.h"

#include <QMap>
#include <QStringList>

namespace tk {

class LinuxRegistry : public Registry {
public:
    struct Paths {
        QString config;        // <config>: $XDG_CONFIG_HOME or ~/.config
        QString home;          // home folder, for ~/.fehbg
        QStringList osRelease; // os-release files, the first readable one wins
        QString rootPicture;   // where the root window's picture is saved; empty: not looked at
    };

    // Paths from the environment; helpers run by QProcess with a 1 s limit.
    LinuxRegistry();
    LinuxRegistry(Paths paths, HelperRunner run);

    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) override;
    void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) override;
    void beginWrites(const QString& app) override;
    void endWrites(const QString& app) override;

    // Called at each step of a settings file rewrite; tests stop the process
    // there to see what an interruption at that moment leaves on disk.
    void setWriteStepHook(WriteStepHook hook) { settings_.setWriteStepHook(std::move(hook)); }

    bool readValue(RegistryRoot root, const QString& path, const QString& name, QString& value) override;
    bool writeValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) override;
    bool deleteValue(RegistryRoot root, const QString& path, const QString& name) override;

    QString settingsFile(const QString& app) const { return settings_.path(app); }
    QString autostartFile(const QString& name) const;

private:
    Paths paths_;
    HelperRunner run_;
    SettingsFiles settings_;
    QMap<QString, QString> others_; // other registry values, in memory
};

} // namespace tk
