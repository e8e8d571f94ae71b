#include "platform/linux/desktop_entry.h"

#include "platform/linux/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tk {

QString desktopExec(const QString& program) {
    QString arg = QStringLiteral("\"");
    for (const QChar c : program) {
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

QString programOfExec(const QString& exec) {
    QString v;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == u'\\' && i + 1 < exec.size()) {
            const QChar e = exec[++i];
            v += e == u'n'   ? QChar(u'\n')
                 : e == u'r' ? QChar(u'\r')
                 : e == u't' ? QChar(u'\t')
                 : e == u's' ? QChar(u' ')
                             : e;
        } else {
            v += exec[i];
        }
    }
    v = trimBlanks(v);
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

QString autostartFile(const QString& configFolder, const QString& name) {
    const QString folder = configFolder + QStringLiteral("/autostart/");
    const QString exact = folder + name + QStringLiteral(".desktop");
    if (QFileInfo::exists(exact)) return exact;
    // Value names ignore case: an entry written as "Tarvik" is the value "tarvik".
    const QStringList entries = QDir(folder).entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Hidden);
    for (const QString& e : entries)
        if (sameName(e.chopped(8), name)) return folder + e;
    return exact;
}

QString readAutostart(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString r;
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString l = trimBlanks(line);
        if (l.startsWith(QLatin1Char('['))) inEntry = l == QLatin1String("[Desktop Entry]");
        else if (inEntry && l.startsWith(QLatin1String("Exec="))) r = programOfExec(l.mid(5));
    }
    return r;
}

bool writeAutostart(const QString& file, const QString& name, const QString& program) {
    QString escapedName;
    for (const QChar ch : name)
        escapedName += ch == u'\\'   ? QStringLiteral("\\\\")
                       : ch == u'\n' ? QStringLiteral("\\n")
                       : ch == u'\r' ? QStringLiteral("\\r")
                       : ch == u'\t' ? QStringLiteral("\\t")
                                     : QString(ch);
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + escapedName +
                         QStringLiteral("\nExec=") + desktopExec(program) +
                         QStringLiteral("\nIcon=tarvik\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    return makeFolder(QFileInfo(file).absolutePath(), 0700) && writeAtomically(file, text.toUtf8(), 0644);
}

bool removeAutostart(const QString& file) { return !QFileInfo::exists(file) || QFile::remove(file); }

} // namespace tk
