// Per-user settings store and the few system registry values the program
// touches. On Linux the store is one INI file per application name under the
// user's configuration folder, section "Settings".
#pragma once

#include <QString>

namespace tk {

enum class RegistryRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

class Registry {
public:
    virtual ~Registry() = default;

    // Settings store: (application, section, key) -> text; keys without regard to case.
    // A missing key yields `fallback`.
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& fallback) = 0;
    virtual void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) = 0;
    // A group of writes: between beginWrites and endWrites (groups nest) the
    // writes of `app` change its values at once for readers but reach the
    // disk together, in one atomic rewrite when the outermost group ends.
    // A write outside any group reaches the disk before it returns.
    virtual void beginWrites(const QString& app) = 0;
    virtual void endWrites(const QString& app) = 0;

    // Raw registry values. Linux maps the handful the program uses:
    //  - HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "productname": /etc/os-release;
    //  - HKCU "Control Panel\Desktop" "Wallpaper": the desktop's wallpaper file;
    //  - HKLM "Software\Microsoft\Windows\CurrentVersion\Run\" <name>: an XDG autostart entry.
    // A value that cannot be read returns false and leaves `value` untouched.
    virtual bool readValue(RegistryRoot root, const QString& path, const QString& name, QString& value) = 0;
    virtual bool writeValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) = 0;
    virtual bool deleteValue(RegistryRoot root, const QString& path, const QString& name) = 0;
};

} // namespace tk
