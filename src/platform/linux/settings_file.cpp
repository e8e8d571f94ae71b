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

bool blanc(QChar c) { return c == u' ' || c == u'\t'; }

} // namespace

bool sameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

QString trimBlanks(const QString& s) {
    qsizetype debut = 0, fin = s.size();
    while (debut < fin && blanc(s[debut])) ++debut;
    while (fin > debut && blanc(s[fin - 1])) --fin;
    return s.mid(debut, fin - debut);
}

namespace {

QString hexa(QChar c) { return QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0')); }

QString echapper(const QString& s, bool cle) {
    QString r;
    r.reserve(s.size() + 8);
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        const bool bord = i == 0 || i == n - 1;
        switch (c.unicode()) {
        case u'\\': r += QStringLiteral("\\\\"); break;
        case u'\n': r += QStringLiteral("\\n"); break;
        case u'\r': r += QStringLiteral("\\r"); break;
        case u'\t': r += QStringLiteral("\\t"); break;
        case 0: r += QStringLiteral("\\0"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c == u' ' && bord) ||
                (cle && (c == u'=' || c == u'[' || c == u']' || (i == 0 && (c == u';' || c == u'#')))))
                r += hexa(c);
            else r += c;
        }
    }
    return r;
}

QString desechapper(const QString& s) {
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

bool writeAtomically(const QString& path, const QByteArray& contenu, mode_t mode, const WriteStepHook& hook) {
    auto etape = [&](const char* nom) {
        if (hook) hook(nom);
    };
    const QFileInfo info(path);
    const QByteArray dossier = QFile::encodeName(info.absolutePath());
    QByteArray modele = dossier + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(modele.data(), O_CLOEXEC); // mkostemp creates with 0600
    if (fd < 0) return false;
    etape("created");
    bool ok = ::fchmod(fd, mode) == 0;
    qsizetype ecrit = 0;
    while (ok && ecrit < contenu.size()) {
        const ssize_t n = ::write(fd, contenu.constData() + ecrit, static_cast<size_t>(contenu.size() - ecrit));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else ecrit += n;
        etape("written");
    }
    ok = ok && ::fsync(fd) == 0;
    etape("synced");
    ok = ::close(fd) == 0 && ok;
    etape("closed");
    const QByteArray cible = QFile::encodeName(info.absoluteFilePath());
    ok = ok && ::rename(modele.constData(), cible.constData()) == 0;
    if (!ok) {
        ::unlink(modele.constData());
        return false;
    }
    etape("renamed");
    const int fdDossier = ::open(dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDossier >= 0) {
        ::fsync(fdDossier);
        ::close(fdDossier);
    }
    etape("folder synced");
    return true;
}

QString SettingsFiles::path(const QString& appli) const {
    QString nom = appli;
    nom.replace(QLatin1Char('/'), QLatin1Char('_'));
    nom.replace(QChar(0), QLatin1Char('_'));
    if (nom.isEmpty() || nom.startsWith(QLatin1Char('.'))) nom.prepend(QLatin1Char('_'));
    return config_ + QStringLiteral("/tarvik/") + nom + QStringLiteral(".ini");
}

SettingsFiles::File& SettingsFiles::load(const QString& appli) {
    const bool premier = files_.find(appli) == files_.end();
    File& f = files_[appli];
    if (premier) removeLeftovers(appli);
    // Changes held by a group of writes are not lost to a read of the file.
    if (f.read && f.changed) return f;
    const QByteArray chemin = QFile::encodeName(path(appli));
    struct stat st {};
    quint64 inode = 0, device = 0;
    qint64 taille = -1, mtime = -1;
    if (::stat(chemin.constData(), &st) == 0) {
        inode = st.st_ino;
        device = st.st_dev;
        taille = st.st_size;
        mtime = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    if (f.read && f.inode == inode && f.device == device && f.size == taille && f.mtimeNs == mtime) return f;

    f = File{};
    f.read = true;
    f.inode = inode;
    f.device = device;
    f.size = taille;
    f.mtimeNs = mtime;
    QFile fichier(QFile::decodeName(chemin));
    if (taille < 0 || !fichier.open(QIODevice::ReadOnly)) return f;
    f.sections = parseSettings(QString::fromUtf8(fichier.readAll()));
    return f;
}

std::vector<SettingsSection> parseSettings(const QString& texte) {
    std::vector<SettingsSection> sections;
    qsizetype courante = -1;
    for (QString ligne : texte.split(QLatin1Char('\n'))) {
        if (ligne.endsWith(QLatin1Char('\r'))) ligne.chop(1);
        ligne = trimBlanks(ligne);
        if (ligne.isEmpty() || ligne[0] == u';' || ligne[0] == u'#') continue;
        if (ligne[0] == u'[' && ligne.back() == u']') {
            const QString nom = desechapper(ligne.mid(1, ligne.size() - 2));
            courante = -1;
            for (size_t i = 0; i < sections.size(); ++i)
                if (sameName(sections[i].name, nom)) courante = static_cast<qsizetype>(i);
            if (courante < 0) {
                sections.push_back({nom, {}});
                courante = static_cast<qsizetype>(sections.size()) - 1;
            }
            continue;
        }
        const qsizetype egal = ligne.indexOf(QLatin1Char('='));
        if (egal < 0 || courante < 0) continue;
        const QString cle = desechapper(trimBlanks(ligne.left(egal)));
        const QString valeur = desechapper(trimBlanks(ligne.mid(egal + 1)));
        bool remplace = false;
        for (SettingsEntry& e : sections[static_cast<size_t>(courante)].entries)
            if (sameName(e.key, cle)) {
                e.value = valeur; // a repeated key: the last line wins
                remplace = true;
            }
        if (!remplace) sections[static_cast<size_t>(courante)].entries.push_back({cle, valeur});
    }
    return sections;
}

QString formatSettings(const std::vector<SettingsSection>& sections) {
    QString texte;
    for (const SettingsSection& s : sections) {
        if (!texte.isEmpty()) texte += QLatin1Char('\n');
        texte += QLatin1Char('[') + echapper(s.name, true) + QStringLiteral("]\n");
        for (const SettingsEntry& e : s.entries)
            texte += echapper(e.key, true) + QLatin1Char('=') + echapper(e.value, false) + QLatin1Char('\n');
    }
    return texte;
}

void SettingsFiles::removeLeftovers(const QString& appli) {
    const QFileInfo info(path(appli));
    const QString prefixe = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    // Names are compared here rather than with a wildcard filter: a filter
    // is compiled into a regular expression, which alone would bring the
    // expression engine and its compiler into memory at every start.
    const QStringList restes = QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& r : restes) {
        // Exactly the names our rewrite makes: the prefix and six letters or digits.
        if (!r.startsWith(prefixe)) continue;
        const QString suffixe = r.mid(prefixe.size());
        bool nom_du_modele = suffixe.size() == 6;
        for (const QChar c : suffixe)
            if (!(c.isLetterOrNumber() && c.unicode() < 128)) nom_du_modele = false;
        if (nom_du_modele) QFile::remove(info.absolutePath() + QLatin1Char('/') + r);
    }
}

bool SettingsFiles::write(const QString& appli, File& f) {
    const QString texte = formatSettings(f.sections);
    const QString chemin = path(appli);
    f.changed = false;
    if (!makeFolder(QFileInfo(chemin).absolutePath(), 0700) || !writeAtomically(chemin, texte.toUtf8(), 0600, hook_)) {
        qWarning("Settings not written to %s", qPrintable(chemin));
        return false;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(chemin).constData(), &st) == 0) {
        f.inode = st.st_ino;
        f.device = st.st_dev;
        f.size = st.st_size;
        f.mtimeNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return true;
}

QString SettingsFiles::get(const QString& appli, const QString& section, const QString& cle, const QString& defaut) {
    const File& f = load(appli);
    for (const SettingsSection& s : f.sections) {
        if (!sameName(s.name, section)) continue;
        for (const SettingsEntry& e : s.entries)
            if (sameName(e.key, cle)) return e.value;
    }
    return defaut;
}

void SettingsFiles::save(const QString& appli, const QString& section, const QString& cle, const QString& valeur) {
    File& f = load(appli);
    SettingsSection* cible = nullptr;
    for (SettingsSection& s : f.sections)
        if (sameName(s.name, section)) cible = &s;
    if (!cible) {
        f.sections.push_back({section, {}});
        cible = &f.sections.back();
    }
    SettingsEntry* entree = nullptr;
    for (SettingsEntry& e : cible->entries)
        if (sameName(e.key, cle)) entree = &e;
    if (entree) {
        if (entree->value == valeur && f.size >= 0) return; // already on disk
        entree->value = valeur;                             // the first spelling of the key stays
    } else {
        cible->entries.push_back({cle, valeur});
    }
    if (f.groups > 0) f.changed = true;
    else write(appli, f);
}

void SettingsFiles::beginWrites(const QString& appli) { ++load(appli).groups; }

void SettingsFiles::endWrites(const QString& appli) {
    File& f = load(appli);
    if (f.groups > 0) --f.groups;
    if (f.groups == 0 && f.changed) write(appli, f);
}

} // namespace tk
