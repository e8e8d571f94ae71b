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
        QString appli, section, cle, valeur;
    };
    // One write or deletion of a registry value.
    struct Operation {
        bool ecriture; // false: deleteValue
        RegistryRoot racine;
        QString chemin, nom, valeur;
    };

    std::vector<Write> writes;         // saveSetting calls, in order
    std::vector<Operation> operations; // writeValue / deleteValue calls, in order
    int reads = 0;                     // getSetting calls
    // Rewrites of the store's file the writes would cost: one per write
    // outside a group, one per outermost group that wrote something.
    int rewrites = 0;
    int groups = 0; // groups of writes open

    QString getSetting(const QString& appli, const QString& section, const QString& cle,
                       const QString& defaut) override;
    void saveSetting(const QString& appli, const QString& section, const QString& cle, const QString& valeur) override;
    void beginWrites(const QString& appli) override;
    void endWrites(const QString& appli) override;
    bool readValue(RegistryRoot racine, const QString& chemin, const QString& nom, QString& valeur) override;
    bool writeValue(RegistryRoot racine, const QString& chemin, const QString& nom, const QString& valeur) override;
    bool deleteValue(RegistryRoot racine, const QString& chemin, const QString& nom) override;

    // Test helpers; they record nothing. Section "Settings" unless given.
    void put(const QString& appli, const QString& cle, const QString& valeur,
             const QString& section = QStringLiteral("Settings"));
    bool has(const QString& appli, const QString& cle, const QString& section = QStringLiteral("Settings")) const;
    QString valeur(const QString& appli, const QString& cle, const QString& section = QStringLiteral("Settings")) const;
    void putValue(RegistryRoot racine, const QString& chemin, const QString& nom, const QString& valeur);
    bool hasValue(RegistryRoot racine, const QString& chemin, const QString& nom) const;
    // Keys of the settings written, in order ("Skin", "mail0", ...).
    QStringList writtenKeys() const;

    // Settings and values, keyed without regard to case.
    QMap<QString, QString> settings;
    QMap<QString, QString> values;

private:
    bool pending = false;
    static QString settingKey(const QString& appli, const QString& section, const QString& cle);
    static QString valueKey(RegistryRoot racine, const QString& chemin, const QString& nom);
};

} // namespace tk
