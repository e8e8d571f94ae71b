// In-memory settings store and registry values for unit tests.
#pragma once

#include "platform/registry.h"

#include <QMap>
#include <QString>
#include <vector>

namespace tk {

class FakeRegistry : public Registry {
public:
    // One write to the settings store, as the program made it (key spelling included).
    struct Write {
        QString app, section, key, value;
    };
    // One write or deletion of a registry value.
    struct Operation {
        bool isWrite; // false: deleteValue
        RegistryRoot root;
        QString path, name, value;
    };

    std::vector<Write> writes;         // saveSetting calls, in order
    std::vector<Operation> operations; // writeValue / deleteValue calls, in order
    int reads = 0;                     // getSetting calls
    // Rewrites of the store's file the writes would cost: one per write
    // outside a group, one per outermost group that wrote something.
    int rewrites = 0;
    int groups = 0; // groups of writes open

    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) override;
    void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) override;
    void beginWrites(const QString& app) override;
    void endWrites(const QString& app) override;
    bool readValue(RegistryRoot root, const QString& path, const QString& name, QString& value) override;
    bool writeValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) override;
    bool deleteValue(RegistryRoot root, const QString& path, const QString& name) override;

    // Test helpers; they record nothing. Section "Settings" unless given.
    void put(const QString& app, const QString& key, const QString& value,
             const QString& section = QStringLiteral("Settings"));
    bool has(const QString& app, const QString& key, const QString& section = QStringLiteral("Settings")) const;
    QString value(const QString& app, const QString& key, const QString& section = QStringLiteral("Settings")) const;
    void putValue(RegistryRoot root, const QString& path, const QString& name, const QString& value);
    bool hasValue(RegistryRoot root, const QString& path, const QString& name) const;
    // Keys of the settings written, in order ("Skin", "mail0", ...).
    QStringList writtenKeys() const;

    // Settings and values, keyed without regard to case.
    QMap<QString, QString> settings;
    QMap<QString, QString> values;

private:
    bool pending = false;
    static QString settingKey(const QString& app, const QString& section, const QString& key);
    static QString valueKey(RegistryRoot root, const QString& path, const QString& name);
};

} // namespace tk
