#include "fakes/fake_registry.h"

#include <QStringList>

namespace tk {

QString FakeRegistry::settingKey(const QString& appli, const QString& section, const QString& cle) {
    return appli.toCaseFolded() + QLatin1Char('\n') + section.toCaseFolded() + QLatin1Char('\n') + cle.toCaseFolded();
}

QString FakeRegistry::valueKey(RegistryRoot racine, const QString& chemin, const QString& nom) {
    QString c = chemin;
    while (c.endsWith(QLatin1Char('\\'))) c.chop(1);
    return QString::number(static_cast<int>(racine)) + QLatin1Char('\n') + c.toCaseFolded() + QLatin1Char('\n') +
           nom.toCaseFolded();
}

QString FakeRegistry::getSetting(const QString& appli, const QString& section, const QString& cle,
                                 const QString& defaut) {
    ++reads;
    return settings.value(settingKey(appli, section, cle), defaut);
}

void FakeRegistry::saveSetting(const QString& appli, const QString& section, const QString& cle,
                               const QString& valeur) {
    writes.push_back({appli, section, cle, valeur});
    settings.insert(settingKey(appli, section, cle), valeur);
    if (groups > 0) pending = true;
    else ++rewrites;
}

void FakeRegistry::beginWrites(const QString&) { ++groups; }

void FakeRegistry::endWrites(const QString&) {
    if (groups > 0) --groups;
    if (groups == 0 && pending) {
        pending = false;
        ++rewrites;
    }
}

bool FakeRegistry::readValue(RegistryRoot racine, const QString& chemin, const QString& nom, QString& valeur) {
    const auto it = values.constFind(valueKey(racine, chemin, nom));
    if (it == values.constEnd()) return false;
    valeur = it.value();
    return true;
}

bool FakeRegistry::writeValue(RegistryRoot racine, const QString& chemin, const QString& nom, const QString& valeur) {
    operations.push_back({true, racine, chemin, nom, valeur});
    values.insert(valueKey(racine, chemin, nom), valeur);
    return true;
}

bool FakeRegistry::deleteValue(RegistryRoot racine, const QString& chemin, const QString& nom) {
    operations.push_back({false, racine, chemin, nom, {}});
    values.remove(valueKey(racine, chemin, nom));
    return true;
}

void FakeRegistry::put(const QString& appli, const QString& cle, const QString& valeur, const QString& section) {
    settings.insert(settingKey(appli, section, cle), valeur);
}

bool FakeRegistry::has(const QString& appli, const QString& cle, const QString& section) const {
    return settings.contains(settingKey(appli, section, cle));
}

QString FakeRegistry::valeur(const QString& appli, const QString& cle, const QString& section) const {
    return settings.value(settingKey(appli, section, cle));
}

void FakeRegistry::putValue(RegistryRoot racine, const QString& chemin, const QString& nom, const QString& valeur) {
    values.insert(valueKey(racine, chemin, nom), valeur);
}

bool FakeRegistry::hasValue(RegistryRoot racine, const QString& chemin, const QString& nom) const {
    return values.contains(valueKey(racine, chemin, nom));
}

QStringList FakeRegistry::writtenKeys() const {
    QStringList r;
    for (const Write& e : writes) r << e.cle;
    return r;
}

} // namespace tk
