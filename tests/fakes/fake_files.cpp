#include "fakes/fake_files.h"

namespace tk {

bool FakeFiles::writable(const QString& path) const {
    if (unwritable.contains(path)) return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || !protectedFolders.contains(path.left(slash));
}

bool FakeFiles::exists(const QString& path) { return files.contains(path); }

int64_t FakeFiles::size(const QString& path) {
    const auto it = files.constFind(path);
    return it == files.constEnd() ? -1 : it->size();
}

bool FakeFiles::remove(const QString& path) {
    if (!files.contains(path) || undeletable.contains(path)) return false;
    files.remove(path);
    executables.remove(path);
    return true;
}

bool FakeFiles::copy(const QString& source, const QString& dest) {
    if (!files.contains(source) || !writable(dest)) return false;
    files.insert(dest, files.value(source));
    if (executables.contains(source)) executables.insert(dest);
    else executables.remove(dest);
    return true;
}

bool FakeFiles::rename(const QString& source, const QString& dest) {
    if (!files.contains(source) || !writable(dest)) return false;
    if (source == dest) return true;
    files.insert(dest, files.take(source));
    if (executables.remove(source)) executables.insert(dest);
    else executables.remove(dest);
    return true;
}

bool FakeFiles::setExecutable(const QString& path) {
    if (!files.contains(path)) return false;
    executables.insert(path);
    return true;
}

bool FakeFiles::appendText(const QString& path, const QByteArray& data) {
    if (!writable(path)) return false;
    files[path].append(data);
    return true;
}

bool FakeFiles::readAll(const QString& path, QByteArray& data) {
    const auto it = files.constFind(path);
    if (it == files.constEnd()) return false;
    data = *it;
    return true;
}

bool FakeFiles::startDetached(const QString& program, const QStringList& arguments) {
    launches.push_back({program, arguments});
    return !launchesFail;
}

bool FakeFiles::runForOutput(const QString& program, const QStringList& arguments, int, qint64 maxSize,
                             QByteArray& output) {
    runs.push_back({program, arguments});
    output.clear();
    if (!onRun) return false;
    const bool ok = onRun(runs.back(), output);
    if (output.size() > maxSize) {
        output.clear();
        return false;
    }
    return ok;
}

bool FakeFiles::openWithDesktop(const QString& target) {
    openedPaths << target;
    return !launchesFail;
}

bool FakeFiles::setPriority(int value) {
    priorityRequests.push_back(value);
    if (value < nice && !privileged) return false;
    nice = value;
    return true;
}

void FakeFiles::sleepMs(int ms) {
    sleeps.push_back(ms);
    if (duringSleep) duringSleep(ms);
}

void FakeFiles::endProcess(int code) { throw ProcessEnd(code); }

} // namespace tk
