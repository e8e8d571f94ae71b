#include "fakes/fake_registry.h"

#include <QStringList>

namespace tk {

QString FakeRegistry::cleSetting(const QString& appli, const QString& section, const QString& cle) {
    return appli.toCaseFolded() + QLatin1Char('\n') + section.toCaseFolded() + QLatin1Char('\n') + cle.toCaseFolded();
}

QString FakeRegistry::cleValeur(RacineRegistre racine, const QString& chemin, const QString& nom) {
    QString c = chemin;
    while (c.endsWith(QLatin1Char('\\'))) c.chop(1);
    return QString::number(static_cast<int>(racine)) + QLatin1Char('\n') + c.toCaseFolded() + QLatin1Char('\n') +
           nom.toCaseFolded();
}

QString FakeRegistry::getSetting(const QString& appli, const QString& section, const QString& cle,
                                 const QString& defaut) {
    ++lectures;
    return settings.value(cleSetting(appli, section, cle), defaut);
}

void FakeRegistry::saveSetting(const QString& appli, const QString& section, const QString& cle,
                               const QString& valeur) {
    ecritures.push_back({appli, section, cle, valeur});
    settings.insert(cleSetting(appli, section, cle), valeur);
    if (groupes > 0) enAttente = true;
    else ++reecritures;
}

void FakeRegistry::beginWrites(const QString&) { ++groupes; }

void FakeRegistry::endWrites(const QString&) {
    if (groupes > 0) --groupes;
    if (groupes == 0 && enAttente) {
        enAttente = false;
        ++reecritures;
    }
}

bool FakeRegistry::readValue(RacineRegistre racine, const QString& chemin, const QString& nom, QString& valeur) {
    const auto it = valeurs.constFind(cleValeur(racine, chemin, nom));
    if (it == valeurs.constEnd()) return false;
    valeur = it.value();
    return true;
}

bool FakeRegistry::writeValue(RacineRegistre racine, const QString& chemin, const QString& nom,
                              const QString& valeur) {
    operations.push_back({true, racine, chemin, nom, valeur});
    valeurs.insert(cleValeur(racine, chemin, nom), valeur);
    return true;
}

bool FakeRegistry::deleteValue(RacineRegistre racine, const QString& chemin, const QString& nom) {
    operations.push_back({false, racine, chemin, nom, {}});
    valeurs.remove(cleValeur(racine, chemin, nom));
    return true;
}

void FakeRegistry::poser(const QString& appli, const QString& cle, const QString& valeur, const QString& section) {
    settings.insert(cleSetting(appli, section, cle), valeur);
}

bool FakeRegistry::contient(const QString& appli, const QString& cle, const QString& section) const {
    return settings.contains(cleSetting(appli, section, cle));
}

QString FakeRegistry::valeur(const QString& appli, const QString& cle, const QString& section) const {
    return settings.value(cleSetting(appli, section, cle));
}

void FakeRegistry::poserValeur(RacineRegistre racine, const QString& chemin, const QString& nom,
                               const QString& valeur) {
    valeurs.insert(cleValeur(racine, chemin, nom), valeur);
}

bool FakeRegistry::contientValeur(RacineRegistre racine, const QString& chemin, const QString& nom) const {
    return valeurs.contains(cleValeur(racine, chemin, nom));
}

QStringList FakeRegistry::clesEcrites() const {
    QStringList r;
    for (const Ecriture& e : ecritures) r << e.cle;
    return r;
}

} // namespace tk
