#include "platform/linux/linux_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>
#include <QtDebug>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk {

namespace {

const QString kProduit = QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
const QString kBureau = QStringLiteral("Control Panel\\Desktop");
const QString kDemarrage = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");

bool meme(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

// Registry path without its trailing backslashes.
QString chemin_normal(QString c) {
    while (c.endsWith(QLatin1Char('\\'))) c.chop(1);
    return c;
}

bool blanc(QChar c) { return c == u' ' || c == u'\t'; }

// Trims blanks and tabs only: other white space (no-break spaces...) is data.
QString rogner(const QString& s) {
    qsizetype debut = 0, fin = s.size();
    while (debut < fin && blanc(s[debut])) ++debut;
    while (fin > debut && blanc(s[fin - 1])) --fin;
    return s.mid(debut, fin - debut);
}

QString hexa(QChar c) {
    return QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0'));
}

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
            else
                r += c;
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

// Creates `dossier` (and its parents) when missing; the last level gets `mode`.
bool creer_dossier(const QString& dossier, mode_t mode) {
    if (QFileInfo(dossier).isDir()) return true;
    QDir().mkpath(QFileInfo(dossier).absolutePath());
    const QByteArray d = QFile::encodeName(dossier);
    return ::mkdir(d.constData(), mode) == 0 || errno == EEXIST;
}

// Replaces `chemin` by `contenu` in one step: a temporary file in the same
// folder (created with `mode`, so never more readable than that), synced,
// renamed over the target, then the folder synced so the rename is durable.
bool ecrire_atomique(const QString& chemin, const QByteArray& contenu, mode_t mode,
                     const std::function<void(const char*)>& crochet = {}) {
    auto etape = [&](const char* nom) {
        if (crochet) crochet(nom);
    };
    const QFileInfo info(chemin);
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

// Value of one os-release line: quotes removed, shell escapes undone.
QString valeur_os_release(const QString& brut) {
    const QString v = rogner(brut);
    if (v.isEmpty() || (v[0] != u'"' && v[0] != u'\'')) return v;
    const QChar guillemet = v[0];
    QString r;
    for (qsizetype i = 1; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == guillemet) break;
        if (guillemet == u'"' && c == u'\\' && i + 1 < v.size()) {
            const QChar e = v[i + 1];
            if (e == u'"' || e == u'\\' || e == u'$' || e == u'`') {
                r += e;
                ++i;
                continue;
            }
        }
        r += c;
    }
    return r;
}

// Splits a shell command line into words (quotes and backslashes handled);
// stops at a comment or a command separator.
QStringList mots_shell(const QString& ligne) {
    QStringList mots;
    QString mot;
    bool dansMot = false;
    for (qsizetype i = 0; i < ligne.size(); ++i) {
        const QChar c = ligne[i];
        if (c == u'\'') {
            dansMot = true;
            const qsizetype fin = ligne.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype f = fin < 0 ? ligne.size() : fin;
            mot += ligne.mid(i + 1, f - i - 1);
            i = f;
        } else if (c == u'"') {
            dansMot = true;
            for (++i; i < ligne.size() && ligne[i] != u'"'; ++i) {
                if (ligne[i] == u'\\' && i + 1 < ligne.size() &&
                    QStringView(u"\"\\$`").contains(ligne[i + 1]))
                    ++i;
                mot += ligne[i];
            }
        } else if (c == u'\\' && i + 1 < ligne.size()) {
            dansMot = true;
            mot += ligne[++i];
        } else if (blanc(c)) {
            if (dansMot) mots << mot;
            mot.clear();
            dansMot = false;
        } else if ((c == u'#' && !dansMot) || c == u';' || c == u'&' || c == u'|') {
            break;
        } else {
            dansMot = true;
            mot += c;
        }
    }
    if (dansMot) mots << mot;
    return mots;
}

// A wallpaper setting as a local file: a file:// address (percent-decoded) or a path.
QString fichier_image(QString texte) {
    texte = rogner(texte.trimmed());
    if (texte.size() >= 2 && (texte[0] == u'\'' || texte[0] == u'"') && texte.back() == texte[0]) {
        const QString dedans = texte.mid(1, texte.size() - 2);
        texte.clear();
        for (qsizetype i = 0; i < dedans.size(); ++i) {
            if (dedans[i] == u'\\' && i + 1 < dedans.size()) ++i;
            texte += dedans[i];
        }
    }
    if (texte.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return QUrl(texte).toLocalFile();
    if (texte.startsWith(QLatin1Char('/'))) return texte;
    return {};
}

// A wallpaper candidate is used only when its file is there and is a picture
// the loader reads (a setting may name a file of a desktop not in use).
bool image_lisible(const QString& chemin) {
    return !chemin.isEmpty() && QFileInfo(chemin).isFile() && !QImage(chemin).isNull();
}

} // namespace

LinuxRegistry::LinuxRegistry() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    chemins_.configuration = config;
    chemins_.maison = QDir::homePath();
    chemins_.osRelease = {QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")};
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir()) runtime = QDir::tempPath();
    chemins_.fondRacine = runtime + QStringLiteral("/tarvik-fond-ecran-") + QString::number(::getuid())
                          + QStringLiteral(".png");
    executeur_ = [](const QString& p, const QStringList& a, QByteArray& s) { return executer(p, a, s); };
}

LinuxRegistry::LinuxRegistry(Chemins chemins, Executeur executeur)
    : chemins_(std::move(chemins)), executeur_(std::move(executeur)) {}

QString LinuxRegistry::settingsFile(const QString& appli) const {
    QString nom = appli;
    nom.replace(QLatin1Char('/'), QLatin1Char('_'));
    nom.replace(QChar(0), QLatin1Char('_'));
    if (nom.isEmpty() || nom.startsWith(QLatin1Char('.'))) nom.prepend(QLatin1Char('_'));
    return chemins_.configuration + QStringLiteral("/tarvik/") + nom + QStringLiteral(".ini");
}

QString LinuxRegistry::autostartFile(const QString& nom) const {
    const QString dossier = chemins_.configuration + QStringLiteral("/autostart/");
    const QString exact = dossier + nom + QStringLiteral(".desktop");
    if (QFileInfo::exists(exact)) return exact;
    // Value names ignore case: an entry written as "Tarvik" is the value "tarvik".
    const QStringList entrees = QDir(dossier).entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Hidden);
    for (const QString& e : entrees)
        if (meme(e.chopped(8), nom)) return dossier + e;
    return exact;
}

LinuxRegistry::Fichier& LinuxRegistry::charger(const QString& appli) {
    const bool premier = fichiers_.find(appli) == fichiers_.end();
    Fichier& f = fichiers_[appli];
    if (premier) nettoyer(appli);
    // Changes held by a group of writes are not lost to a read of the file.
    if (f.lu && f.modifie) return f;
    const QByteArray chemin = QFile::encodeName(settingsFile(appli));
    struct stat st {};
    quint64 inode = 0, device = 0;
    qint64 taille = -1, mtime = -1;
    if (::stat(chemin.constData(), &st) == 0) {
        inode = st.st_ino;
        device = st.st_dev;
        taille = st.st_size;
        mtime = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    if (f.lu && f.inode == inode && f.device == device && f.taille == taille && f.mtimeNs == mtime) return f;

    f = Fichier{};
    f.lu = true;
    f.inode = inode;
    f.device = device;
    f.taille = taille;
    f.mtimeNs = mtime;
    QFile fichier(QFile::decodeName(chemin));
    if (taille < 0 || !fichier.open(QIODevice::ReadOnly)) return f;
    f.sections = lireTexte(QString::fromUtf8(fichier.readAll()));
    return f;
}

std::vector<LinuxRegistry::Section> LinuxRegistry::lireTexte(const QString& texte) {
    std::vector<Section> sections;
    qsizetype courante = -1;
    for (QString ligne : texte.split(QLatin1Char('\n'))) {
        if (ligne.endsWith(QLatin1Char('\r'))) ligne.chop(1);
        ligne = rogner(ligne);
        if (ligne.isEmpty() || ligne[0] == u';' || ligne[0] == u'#') continue;
        if (ligne[0] == u'[' && ligne.back() == u']') {
            const QString nom = desechapper(ligne.mid(1, ligne.size() - 2));
            courante = -1;
            for (size_t i = 0; i < sections.size(); ++i)
                if (meme(sections[i].nom, nom)) courante = static_cast<qsizetype>(i);
            if (courante < 0) {
                sections.push_back({nom, {}});
                courante = static_cast<qsizetype>(sections.size()) - 1;
            }
            continue;
        }
        const qsizetype egal = ligne.indexOf(QLatin1Char('='));
        if (egal < 0 || courante < 0) continue;
        const QString cle = desechapper(rogner(ligne.left(egal)));
        const QString valeur = desechapper(rogner(ligne.mid(egal + 1)));
        bool remplace = false;
        for (Entree& e : sections[static_cast<size_t>(courante)].entrees)
            if (meme(e.cle, cle)) {
                e.valeur = valeur; // a repeated key: the last line wins
                remplace = true;
            }
        if (!remplace) sections[static_cast<size_t>(courante)].entrees.push_back({cle, valeur});
    }
    return sections;
}

QString LinuxRegistry::ecrireTexte(const std::vector<Section>& sections) {
    QString texte;
    for (const Section& s : sections) {
        if (!texte.isEmpty()) texte += QLatin1Char('\n');
        texte += QLatin1Char('[') + echapper(s.nom, true) + QStringLiteral("]\n");
        for (const Entree& e : s.entrees)
            texte += echapper(e.cle, true) + QLatin1Char('=') + echapper(e.valeur, false) + QLatin1Char('\n');
    }
    return texte;
}

void LinuxRegistry::nettoyer(const QString& appli) {
    const QFileInfo info(settingsFile(appli));
    const QString prefixe = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    const QStringList restes =
        QDir(info.absolutePath()).entryList({prefixe + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& r : restes) {
        // Exactly the names our rewrite makes: the prefix and six letters or digits.
        const QString suffixe = r.mid(prefixe.size());
        bool nom_du_modele = suffixe.size() == 6;
        for (const QChar c : suffixe)
            if (!(c.isLetterOrNumber() && c.unicode() < 128)) nom_du_modele = false;
        if (nom_du_modele) QFile::remove(info.absolutePath() + QLatin1Char('/') + r);
    }
}

bool LinuxRegistry::ecrireFichier(const QString& appli, Fichier& f) {
    const QString texte = ecrireTexte(f.sections);
    const QString chemin = settingsFile(appli);
    f.modifie = false;
    if (!creer_dossier(QFileInfo(chemin).absolutePath(), 0700) ||
        !ecrire_atomique(chemin, texte.toUtf8(), 0600, crochet_)) {
        qWarning("Settings not written to %s", qPrintable(chemin));
        return false;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(chemin).constData(), &st) == 0) {
        f.inode = st.st_ino;
        f.device = st.st_dev;
        f.taille = st.st_size;
        f.mtimeNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return true;
}

QString LinuxRegistry::getSetting(const QString& appli, const QString& section, const QString& cle,
                                  const QString& defaut) {
    const Fichier& f = charger(appli);
    for (const Section& s : f.sections) {
        if (!meme(s.nom, section)) continue;
        for (const Entree& e : s.entrees)
            if (meme(e.cle, cle)) return e.valeur;
    }
    return defaut;
}

void LinuxRegistry::saveSetting(const QString& appli, const QString& section, const QString& cle,
                                const QString& valeur) {
    Fichier& f = charger(appli);
    Section* cible = nullptr;
    for (Section& s : f.sections)
        if (meme(s.nom, section)) cible = &s;
    if (!cible) {
        f.sections.push_back({section, {}});
        cible = &f.sections.back();
    }
    Entree* entree = nullptr;
    for (Entree& e : cible->entrees)
        if (meme(e.cle, cle)) entree = &e;
    if (entree) {
        if (entree->valeur == valeur && f.taille >= 0) return; // already on disk
        entree->valeur = valeur;                                // the first spelling of the key stays
    } else {
        cible->entrees.push_back({cle, valeur});
    }
    if (f.groupes > 0) f.modifie = true;
    else ecrireFichier(appli, f);
}

void LinuxRegistry::beginWrites(const QString& appli) { ++charger(appli).groupes; }

void LinuxRegistry::endWrites(const QString& appli) {
    Fichier& f = charger(appli);
    if (f.groupes > 0) --f.groupes;
    if (f.groupes == 0 && f.modifie) ecrireFichier(appli, f);
}

// ---------------------------------------------------------------------------
// Registry values

QString LinuxRegistry::execDesktop(const QString& programme) {
    QString arg = QStringLiteral("\"");
    for (const QChar c : programme) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') arg += QLatin1Char('\\');
        if (c == u'%') arg += QLatin1Char('%'); // a literal % is written %%
        arg += c;
    }
    arg += QLatin1Char('"');
    // The value is a string of the key file: its own escapes come on top of the quoting.
    QString r;
    for (const QChar c : arg) {
        switch (c.unicode()) {
        case u'\\': r += QStringLiteral("\\\\"); break;
        case u'\n': r += QStringLiteral("\\n"); break;
        case u'\r': r += QStringLiteral("\\r"); break;
        case u'\t': r += QStringLiteral("\\t"); break;
        default: r += c;
        }
    }
    return r;
}

QString LinuxRegistry::programmeExec(const QString& exec) {
    QString v;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == u'\\' && i + 1 < exec.size()) {
            const QChar e = exec[++i];
            v += e == u'n' ? QChar(u'\n') : e == u'r' ? QChar(u'\r') : e == u't' ? QChar(u'\t')
                : e == u's' ? QChar(u' ') : e;
        } else {
            v += exec[i];
        }
    }
    v = rogner(v);
    QString r;
    if (v.startsWith(QLatin1Char('"'))) {
        qsizetype i = 1;
        for (; i < v.size() && v[i] != u'"'; ++i) {
            if (v[i] == u'\\' && i + 1 < v.size()) ++i;
            r += v[i];
        }
        if (i >= v.size() || i + 1 != v.size()) return {}; // unterminated, or more than one argument
    } else {
        if (v.contains(QLatin1Char(' '))) return {};
        r = v;
    }
    r.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return r;
}

bool LinuxRegistry::executer(const QString& programme, const QStringList& arguments, QByteArray& sortie,
                             int delaiMs) {
    QProcess p;
    p.setProgram(programme);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted(delaiMs)) return false;
    if (!p.waitForFinished(delaiMs)) {
        p.kill();
        p.waitForFinished(200);
        return false;
    }
    sortie = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString LinuxRegistry::produit() {
    for (const QString& chemin : chemins_.osRelease) {
        QFile f(chemin);
        if (!f.open(QIODevice::ReadOnly)) continue;
        QString pretty, nom;
        for (const QString& ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QString l = rogner(ligne);
            if (l.startsWith(QLatin1String("PRETTY_NAME="))) pretty = valeur_os_release(l.mid(12));
            else if (l.startsWith(QLatin1String("NAME="))) nom = valeur_os_release(l.mid(5));
        }
        return pretty.isEmpty() ? nom : pretty;
    }
    return {};
}

QString LinuxRegistry::fondEcran() {
    QByteArray sortie;
    if (executeur_) {
        // GNOME
        for (const char* cle : {"picture-uri", "picture-uri-dark"}) {
            if (executeur_(QStringLiteral("gsettings"),
                           {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"), QLatin1String(cle)},
                           sortie)) {
                const QString f = fichier_image(QString::fromUtf8(sortie));
                if (image_lisible(f)) return f;
            }
        }
        // Xfce: the usual property, else the last-image properties listed.
        const QStringList xfce = {QStringLiteral("-c"), QStringLiteral("xfce4-desktop")};
        if (executeur_(QStringLiteral("xfconf-query"),
                       xfce + QStringList{QStringLiteral("-p"),
                                          QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image")},
                       sortie)) {
            const QString f = fichier_image(QString::fromUtf8(sortie));
            if (image_lisible(f)) return f;
        }
        if (executeur_(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-l")}, sortie)) {
            for (const QString& ligne : QString::fromUtf8(sortie).split(QLatin1Char('\n'))) {
                const QString prop = ligne.trimmed();
                if (!prop.endsWith(QLatin1String("/last-image"))) continue;
                QByteArray valeur;
                if (executeur_(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-p"), prop}, valeur)) {
                    const QString f = fichier_image(QString::fromUtf8(valeur));
                    if (image_lisible(f)) return f;
                }
            }
        }
    }
    // feh: the image named in the command that ~/.fehbg replays.
    QFile fehbg(chemins_.maison + QStringLiteral("/.fehbg"));
    if (fehbg.open(QIODevice::ReadOnly)) {
        for (const QString& ligne : QString::fromUtf8(fehbg.readAll()).split(QLatin1Char('\n'))) {
            const QStringList mots = mots_shell(ligne);
            if (mots.isEmpty() || QFileInfo(mots[0]).fileName() != QLatin1String("feh")) continue;
            for (qsizetype i = 1; i < mots.size(); ++i) {
                if (mots[i] == QLatin1String("--image-bg")) {
                    ++i;
                    continue;
                }
                if (mots[i].startsWith(QLatin1Char('-'))) continue;
                QString f = mots[i];
                if (f.startsWith(QLatin1String("~/"))) f = chemins_.maison + f.mid(1);
                else if (f.startsWith(QLatin1String("file:"))) f = QUrl(f).toLocalFile();
                if (image_lisible(f)) return f;
            }
        }
    }
    return fondRacine();
}

// The picture on the root window of the X display, as a PNG file: wallpaper
// setters (feh, nitrogen, xfdesktop, hsetroot...) leave its pixmap in
// _XROOTPMAP_ID. Pixmaps of 24 or 32 bits in 32-bit pixels, the usual kind,
// are read; any other gives nothing.
QString LinuxRegistry::fondRacine() {
    if (chemins_.fondRacine.isEmpty() || !qGuiApp) return {};
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return {};
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t ecran = xcb_setup_roots_iterator(setup);
    if (!ecran.rem) return {};
    const QByteArray nom("_XROOTPMAP_ID");
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(nom.size()), nom.constData()), nullptr);
    const xcb_atom_t atome = a ? a->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(a);
    if (atome == XCB_ATOM_NONE) return {};
    xcb_pixmap_t pixmap = XCB_NONE;
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, ecran.data->root, atome, XCB_ATOM_PIXMAP, 0, 1), nullptr);
    if (p && p->type == XCB_ATOM_PIXMAP && p->format == 32 && xcb_get_property_value_length(p) >= 4)
        pixmap = *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(p));
    std::free(p);
    if (pixmap == XCB_NONE) return {};
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr);
    if (!g) return {}; // the pixmap is gone
    const int largeur = g->width, hauteur = g->height, profondeur = g->depth;
    std::free(g);
    int bits = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == profondeur) bits = f.data->bits_per_pixel;
    if ((profondeur != 24 && profondeur != 32) || bits != 32 || largeur <= 0 || hauteur <= 0
        || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return {};
    xcb_get_image_reply_t* im = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, static_cast<uint16_t>(largeur),
                      static_cast<uint16_t>(hauteur), ~0u),
        nullptr);
    if (!im) return {};
    const int octets = xcb_get_image_data_length(im);
    const uint8_t* donnees = xcb_get_image_data(im);
    QImage image;
    if (octets >= largeur * hauteur * 4) {
        const int pas = octets / hauteur;
        image = QImage(largeur, hauteur, QImage::Format_RGB32);
        for (int y = 0; y < hauteur; ++y)
            std::memcpy(image.scanLine(y), donnees + static_cast<size_t>(y) * pas, static_cast<size_t>(largeur) * 4);
    }
    std::free(im);
    if (image.isNull()) return {};
    QSaveFile fichier(chemins_.fondRacine);
    if (!fichier.open(QIODevice::WriteOnly) || !image.save(&fichier, "PNG") || !fichier.commit()) return {};
    return chemins_.fondRacine;
}

bool LinuxRegistry::readValue(RacineRegistre racine, const QString& chemin, const QString& nom, QString& valeur) {
    const QString c = chemin_normal(chemin);
    QString r;
    if (racine == RacineRegistre::HKEY_LOCAL_MACHINE && meme(c, kProduit) && meme(nom, QLatin1String("productname"))) {
        r = produit();
    } else if (racine == RacineRegistre::HKEY_CURRENT_USER && meme(c, kBureau) && meme(nom, QLatin1String("Wallpaper"))) {
        r = fondEcran();
    } else if (racine == RacineRegistre::HKEY_LOCAL_MACHINE && meme(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/'))) return false;
        QFile f(autostartFile(nom));
        if (!f.open(QIODevice::ReadOnly)) return false;
        bool dansEntree = false;
        for (const QString& ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QString l = rogner(ligne);
            if (l.startsWith(QLatin1Char('['))) dansEntree = l == QLatin1String("[Desktop Entry]");
            else if (dansEntree && l.startsWith(QLatin1String("Exec="))) r = programmeExec(l.mid(5));
        }
    } else {
        const auto it = autres_.constFind(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') +
                                          c.toCaseFolded() + QLatin1Char('\\') + nom.toCaseFolded());
        if (it == autres_.constEnd()) return false;
        valeur = it.value();
        return true;
    }
    if (r.isEmpty()) return false;
    valeur = r;
    return true;
}

bool LinuxRegistry::writeValue(RacineRegistre racine, const QString& chemin, const QString& nom, const QString& valeur) {
    const QString c = chemin_normal(chemin);
    if (racine == RacineRegistre::HKEY_LOCAL_MACHINE && meme(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/')) || nom == QLatin1String(".") || nom == QLatin1String(".."))
            return false;
        QString nomEchappe;
        for (const QChar ch : nom)
            nomEchappe += ch == u'\\' ? QStringLiteral("\\\\") : ch == u'\n' ? QStringLiteral("\\n")
                        : ch == u'\r' ? QStringLiteral("\\r") : ch == u'\t' ? QStringLiteral("\\t") : QString(ch);
        const QString texte = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + nomEchappe +
                              QStringLiteral("\nExec=") + execDesktop(valeur) +
                              QStringLiteral("\nIcon=tarvik\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
        const QString fichier = autostartFile(nom);
        return creer_dossier(QFileInfo(fichier).absolutePath(), 0700) &&
               ecrire_atomique(fichier, texte.toUtf8(), 0644);
    }
    if ((racine == RacineRegistre::HKEY_LOCAL_MACHINE && meme(c, kProduit)) ||
        (racine == RacineRegistre::HKEY_CURRENT_USER && meme(c, kBureau)))
        return false; // read from the system; not ours to change
    autres_.insert(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') + c.toCaseFolded() +
                       QLatin1Char('\\') + nom.toCaseFolded(),
                   valeur);
    return true;
}

bool LinuxRegistry::deleteValue(RacineRegistre racine, const QString& chemin, const QString& nom) {
    const QString c = chemin_normal(chemin);
    if (racine == RacineRegistre::HKEY_LOCAL_MACHINE && meme(c, kDemarrage)) {
        if (nom.isEmpty() || nom.contains(QLatin1Char('/')) || nom == QLatin1String(".") || nom == QLatin1String(".."))
            return false;
        const QString fichier = autostartFile(nom);
        return !QFileInfo::exists(fichier) || QFile::remove(fichier);
    }
    return autres_.remove(QString::number(static_cast<int>(racine)) + QLatin1Char('\\') + c.toCaseFolded() +
                          QLatin1Char('\\') + nom.toCaseFolded()) > 0;
}

} // namespace tk
