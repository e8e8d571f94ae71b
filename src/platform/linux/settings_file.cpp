#include "platform/linux/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk {

namespace {

bool blank(QChar c) { return c == u' ' || c == u'\t'; }

} // namespace

bool sameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

QString trimBlanks(const QString& s) {
    qsizetype start = 0, end = s.size();
    while (start < end && blank(s[start])) ++start;
    while (end > start && blank(s[end - 1])) --end;
    return s.mid(start, end - start);
}

namespace {

QString hex(QChar c) { return QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0')); }

QString escape(const QString& s, bool key) {
    QString r;
    r.reserve(s.size() + 8);
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        const bool edge = i == 0 || i == n - 1;
        switch (c.unicode()) {
        case u'\\': r += QStringLiteral("\\\\"); break;
        case u'\n': r += QStringLiteral("\\n"); break;
        case u'\r': r += QStringLiteral("\\r"); break;
        case u'\t': r += QStringLiteral("\\t"); break;
        case 0: r += QStringLiteral("\\0"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c == u' ' && edge) ||
                (key && (c == u'=' || c == u'[' || c == u']' || (i == 0 && (c == u';' || c == u'#')))))
                r += hex(c);
            else r += c;
        }
    }
    return r;
}

QString unescape(const QString& s) {
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c != u'\\' || i + 1 == s.size()) {
            r += c;
            continue;
        }
        const QChar e = s[++i];
        switch (e.unicode()) {
        case u'n': r += QLatin1Char('\n'); break;
        case u'r': r += QLatin1Char('\r'); break;
        case u't': r += QLatin1Char('\t'); break;
        case u'0': r += QChar(0); break;
        case u'x': {
            bool ok = false;
            const int code = s.mid(i + 1, 2).toInt(&ok, 16);
            if (ok && i + 2 < s.size()) {
                r += QChar(code);
                i += 2;
            } else {
                r += e;
            }
            break;
        }
        default: r += e; // "\\" and any unknown escape: the character itself
        }
    }
    return r;
}

} // namespace

bool makeFolder(const QString& folder, mode_t mode) {
    if (QFileInfo(folder).isDir()) return true;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray d = QFile::encodeName(folder);
    return ::mkdir(d.constData(), mode) == 0 || errno == EEXIST;
}

bool writeAtomically(const QString& path, const QByteArray& content, mode_t mode, const WriteStepHook& hook) {
    auto step = [&](const char* name) {
        if (hook) hook(name);
    };
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray pattern = folder + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC); // mkostemp creates with 0600
    if (fd < 0) return false;
    step("created");
    bool ok = ::fchmod(fd, mode) == 0;
    qsizetype written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, static_cast<size_t>(content.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else written += n;
        step("written");
    }
    ok = ok && ::fsync(fd) == 0;
    step("synced");
    ok = ::close(fd) == 0 && ok;
    step("closed");
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    ok = ok && ::rename(pattern.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(pattern.constData());
        return false;
    }
    step("renamed");
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    step("folder synced");
    return true;
}

QString SettingsFiles::path(const QString& app) const {
    QString name = app;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QChar(0), QLatin1Char('_'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QLatin1Char('_'));
    return config_ + QStringLiteral("/tarvik/") + name + QStringLiteral(".ini");
}

SettingsFiles::File& SettingsFiles::load(const QString& app) {
    const bool first = files_.find(app) == files_.end();
    File& f = files_[app];
    if (first) removeLeftovers(app);
    // Changes held by a group of writes are not lost to a read of the file.
    if (f.read && f.changed) return f;
    const QByteArray filePath = QFile::encodeName(path(app));
    struct stat st {};
    quint64 inode = 0, device = 0;
    qint64 size = -1, mtime = -1;
    if (::stat(filePath.constData(), &st) == 0) {
        inode = st.st_ino;
        device = st.st_dev;
        size = st.st_size;
        mtime = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    if (f.read && f.inode == inode && f.device == device && f.size == size && f.mtimeNs == mtime) return f;

    f = File{};
    f.read = true;
    f.inode = inode;
    f.device = device;
    f.size = size;
    f.mtimeNs = mtime;
    QFile file(QFile::decodeName(filePath));
    if (size < 0 || !file.open(QIODevice::ReadOnly)) return f;
    f.sections = parseSettings(QString::fromUtf8(file.readAll()));
    return f;
}

std::vector<SettingsSection> parseSettings(const QString& text) {
    std::vector<SettingsSection> sections;
    qsizetype current = -1;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        line = trimBlanks(line);
        if (line.isEmpty() || line[0] == u';' || line[0] == u'#') continue;
        if (line[0] == u'[' && line.back() == u']') {
            const QString name = unescape(line.mid(1, line.size() - 2));
            current = -1;
            for (size_t i = 0; i < sections.size(); ++i)
                if (sameName(sections[i].name, name)) current = static_cast<qsizetype>(i);
            if (current < 0) {
                sections.push_back({name, {}});
                current = static_cast<qsizetype>(sections.size()) - 1;
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || current < 0) continue;
        const QString key = unescape(trimBlanks(line.left(equals)));
        const QString value = unescape(trimBlanks(line.mid(equals + 1)));
        bool replaced = false;
        for (SettingsEntry& e : sections[static_cast<size_t>(current)].entries)
            if (sameName(e.key, key)) {
                e.value = value; // a repeated key: the last line wins
                replaced = true;
            }
        if (!replaced) sections[static_cast<size_t>(current)].entries.push_back({key, value});
    }
    return sections;
}

QString formatSettings(const std::vector<SettingsSection>& sections) {
    QString text;
    for (const SettingsSection& s : sections) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += QLatin1Char('[') + escape(s.name, true) + QStringLiteral("]\n");
        for (const SettingsEntry& e : s.entries)
            text += escape(e.key, true) + QLatin1Char('=') + escape(e.value, false) + QLatin1Char('\n');
    }
    return text;
}

void SettingsFiles::removeLeftovers(const QString& app) {
    const QFileInfo info(path(app));
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    // Names are compared here rather than with a wildcard filter: a filter
    // is compiled into a regular expression, which alone would bring the
    // expression engine and its compiler into memory at every start.
    const QStringList names = QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& r : names) {
        // Exactly the names our rewrite makes: the prefix and six letters or digits.
        if (!r.startsWith(prefix)) continue;
        const QString suffix = r.mid(prefix.size());
        bool matchesPattern = suffix.size() == 6;
        for (const QChar c : suffix)
            if (!(c.isLetterOrNumber() && c.unicode() < 128)) matchesPattern = false;
        if (matchesPattern) QFile::remove(info.absolutePath() + QLatin1Char('/') + r);
    }
}

bool SettingsFiles::write(const QString& app, File& f) {
    const QString text = formatSettings(f.sections);
    const QString filePath = path(app);
    f.changed = false;
    if (!makeFolder(QFileInfo(filePath).absolutePath(), 0700) ||
        !writeAtomically(filePath, text.toUtf8(), 0600, hook_)) {
        qWarning("Settings not written to %s", qPrintable(filePath));
        return false;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(filePath).constData(), &st) == 0) {
        f.inode = st.st_ino;
        f.device = st.st_dev;
        f.size = st.st_size;
        f.mtimeNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return true;
}

QString SettingsFiles::get(const QString& app, const QString& section, const QString& key, const QString& fallback) {
    const File& f = load(app);
    for (const SettingsSection& s : f.sections) {
        if (!sameName(s.name, section)) continue;
        for (const SettingsEntry& e : s.entries)
            if (sameName(e.key, key)) return e.value;
    }
    return fallback;
}

void SettingsFiles::save(const QString& app, const QString& section, const QString& key, const QString& value) {
    File& f = load(app);
    SettingsSection* target = nullptr;
    for (SettingsSection& s : f.sections)
        if (sameName(s.name, section)) target = &s;
    if (!target) {
        f.sections.push_back({section, {}});
        target = &f.sections.back();
    }
    SettingsEntry* entry = nullptr;
    for (SettingsEntry& e : target->entries)
        if (sameName(e.key, key)) entry = &e;
    if (entry) {
        if (entry->value == value && f.size >= 0) return; // already on disk
        entry->value = value;                             // the first spelling of the key stays
    } else {
        target->entries.push_back({key, value});
    }
    if (f.groups > 0) f.changed = true;
    else write(app, f);
}

void SettingsFiles::beginWrites(const QString& app) { ++load(app).groups; }

void SettingsFiles::endWrites(const QString& app) {
    File& f = load(app);
    if (f.groups > 0) --f.groups;
    if (f.groups == 0 && f.changed) write(app, f);
}

} // namespace tk
