#include "fakes/fake_registry.h"

#include <QStringList>

namespace tk {

QString FakeRegistry::settingKey(const QString& app, const QString& section, const QString& key) {
    return app.toCaseFolded() + QLatin1Char('\n') + section.toCaseFolded() + QLatin1Char('\n') + key.toCaseFolded();
}

QString FakeRegistry::valueKey(RegistryRoot root, const QString& path, const QString& name) {
    QString c = path;
    while (c.endsWith(QLatin1Char('\\'))) c.chop(1);
    return QString::number(static_cast<int>(root)) + QLatin1Char('\n') + c.toCaseFolded() + QLatin1Char('\n') +
           name.toCaseFolded();
}

QString FakeRegistry::getSetting(const QString& app, const QString& section, const QString& key,
                                 const QString& fallback) {
    ++reads;
    return settings.value(settingKey(app, section, key), fallback);
}

void FakeRegistry::saveSetting(const QString& app, const QString& section, const QString& key, const QString& value) {
    writes.push_back({app, section, key, value});
    settings.insert(settingKey(app, section, key), value);
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

bool FakeRegistry::readValue(RegistryRoot root, const QString& path, const QString& name, QString& value) {
    const auto it = values.constFind(valueKey(root, path, name));
    if (it == values.constEnd()) return false;
    value = it.value();
    return true;
}

bool FakeRegistry::writeValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) {
    operations.push_back({true, root, path, name, value});
    values.insert(valueKey(root, path, name), value);
    return true;
}

bool FakeRegistry::deleteValue(RegistryRoot root, const QString& path, const QString& name) {
    operations.push_back({false, root, path, name, {}});
    values.remove(valueKey(root, path, name));
    return true;
}

void FakeRegistry::put(const QString& app, const QString& key, const QString& value, const QString& section) {
    settings.insert(settingKey(app, section, key), value);
}

bool FakeRegistry::has(const QString& app, const QString& key, const QString& section) const {
    return settings.contains(settingKey(app, section, key));
}

QString FakeRegistry::value(const QString& app, const QString& key, const QString& section) const {
    return settings.value(settingKey(app, section, key));
}

void FakeRegistry::putValue(RegistryRoot root, const QString& path, const QString& name, const QString& value) {
    values.insert(valueKey(root, path, name), value);
}

bool FakeRegistry::hasValue(RegistryRoot root, const QString& path, const QString& name) const {
    return values.contains(valueKey(root, path, name));
}

QStringList FakeRegistry::writtenKeys() const {
    QStringList r;
    for (const Write& e : writes) r << e.key;
    return r;
}

} // namespace tk
