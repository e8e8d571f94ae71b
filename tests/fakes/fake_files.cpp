#include "fakes/fake_files.h"

namespace tk {

bool FakeFiles::ecrivable(const QString& chemin) const {
    if (nonEcrivables.contains(chemin)) return false;
    const qsizetype barre = chemin.lastIndexOf(QLatin1Char('/'));
    return barre < 0 || !dossiersProteges.contains(chemin.left(barre));
}

bool FakeFiles::exists(const QString& chemin) { return fichiers.contains(chemin); }

int64_t FakeFiles::size(const QString& chemin) {
    const auto it = fichiers.constFind(chemin);
    return it == fichiers.constEnd() ? -1 : it->size();
}

bool FakeFiles::remove(const QString& chemin) {
    if (!fichiers.contains(chemin) || nonSupprimables.contains(chemin)) return false;
    fichiers.remove(chemin);
    executables.remove(chemin);
    return true;
}

bool FakeFiles::copy(const QString& source, const QString& dest) {
    if (!fichiers.contains(source) || !ecrivable(dest)) return false;
    fichiers.insert(dest, fichiers.value(source));
    if (executables.contains(source)) executables.insert(dest);
    else executables.remove(dest);
    return true;
}

bool FakeFiles::rename(const QString& source, const QString& dest) {
    if (!fichiers.contains(source) || !ecrivable(dest)) return false;
    if (source == dest) return true;
    fichiers.insert(dest, fichiers.take(source));
    if (executables.remove(source)) executables.insert(dest);
    else executables.remove(dest);
    return true;
}

bool FakeFiles::setExecutable(const QString& chemin) {
    if (!fichiers.contains(chemin)) return false;
    executables.insert(chemin);
    return true;
}

bool FakeFiles::appendText(const QString& chemin, const QByteArray& donnees) {
    if (!ecrivable(chemin)) return false;
    fichiers[chemin].append(donnees);
    return true;
}

bool FakeFiles::readAll(const QString& chemin, QByteArray& donnees) {
    const auto it = fichiers.constFind(chemin);
    if (it == fichiers.constEnd()) return false;
    donnees = *it;
    return true;
}

bool FakeFiles::startDetached(const QString& programme, const QStringList& arguments) {
    lancements.push_back({programme, arguments});
    return !lancementsEchouent;
}

bool FakeFiles::runForOutput(const QString& programme, const QStringList& arguments, int, qint64 tailleMax,
                             QByteArray& sortie) {
    executions.push_back({programme, arguments});
    sortie.clear();
    if (!surExecution) return false;
    const bool ok = surExecution(executions.back(), sortie);
    if (sortie.size() > tailleMax) {
        sortie.clear();
        return false;
    }
    return ok;
}

bool FakeFiles::openWithDesktop(const QString& cible) {
    ouvertures << cible;
    return !lancementsEchouent;
}

bool FakeFiles::setPriority(int valeur) {
    demandesPriorite.push_back(valeur);
    if (valeur < nice && !privilegie) return false;
    nice = valeur;
    return true;
}

void FakeFiles::sleepMs(int ms) {
    sommeils.push_back(ms);
    if (pendantSommeil) pendantSommeil(ms);
}

void FakeFiles::endProcess(int code) { throw FinProcessus(code); }

} // namespace tk
