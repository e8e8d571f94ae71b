#include "fakes/fake_files.h"

namespace tk {

bool FakeFiles::writable(const QString& chemin) const {
    if (unwritable.contains(chemin)) return false;
    const qsizetype barre = chemin.lastIndexOf(QLatin1Char('/'));
    return barre < 0 || !protectedFolders.contains(chemin.left(barre));
}

bool FakeFiles::exists(const QString& chemin) { return fichiers.contains(chemin); }

int64_t FakeFiles::size(const QString& chemin) {
    const auto it = fichiers.constFind(chemin);
    return it == fichiers.constEnd() ? -1 : it->size();
}

bool FakeFiles::remove(const QString& chemin) {
    if (!fichiers.contains(chemin) || undeletable.contains(chemin)) return false;
    fichiers.remove(chemin);
    executables.remove(chemin);
    return true;
}

bool FakeFiles::copy(const QString& source, const QString& dest) {
    if (!fichiers.contains(source) || !writable(dest)) return false;
    fichiers.insert(dest, fichiers.value(source));
    if (executables.contains(source)) executables.insert(dest);
    else executables.remove(dest);
    return true;
}

bool FakeFiles::rename(const QString& source, const QString& dest) {
    if (!fichiers.contains(source) || !writable(dest)) return false;
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
    if (!writable(chemin)) return false;
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
    launches.push_back({programme, arguments});
    return !launchesFail;
}

bool FakeFiles::runForOutput(const QString& programme, const QStringList& arguments, int, qint64 tailleMax,
                             QByteArray& sortie) {
    runs.push_back({programme, arguments});
    sortie.clear();
    if (!onRun) return false;
    const bool ok = onRun(runs.back(), sortie);
    if (sortie.size() > tailleMax) {
        sortie.clear();
        return false;
    }
    return ok;
}

bool FakeFiles::openWithDesktop(const QString& cible) {
    openedPaths << cible;
    return !launchesFail;
}

bool FakeFiles::setPriority(int valeur) {
    priorityRequests.push_back(valeur);
    if (valeur < nice && !privileged) return false;
    nice = valeur;
    return true;
}

void FakeFiles::sleepMs(int ms) {
    sleeps.push_back(ms);
    if (duringSleep) duringSleep(ms);
}

void FakeFiles::endProcess(int code) { throw ProcessEnd(code); }

} // namespace tk
