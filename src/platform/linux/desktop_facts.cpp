#include "platform/linux/desktop_facts.h"

#include "platform/linux/settings_file.h"
#include "platform/linux/x11_connection.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace tk {

namespace {

// Value of one os-release line: quotes removed, shell escapes undone.
QString osReleaseValue(const QString& raw) {
    const QString v = trimBlanks(raw);
    if (v.isEmpty() || (v[0] != u'"' && v[0] != u'\'')) return v;
    const QChar quote = v[0];
    QString r;
    for (qsizetype i = 1; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == quote) break;
        if (quote == u'"' && c == u'\\' && i + 1 < v.size()) {
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
QStringList shellWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\'') {
            inWord = true;
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype f = end < 0 ? line.size() : end;
            word += line.mid(i + 1, f - i - 1);
            i = f;
        } else if (c == u'"') {
            inWord = true;
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size() && QStringView(u"\"\\$`").contains(line[i + 1])) ++i;
                word += line[i];
            }
        } else if (c == u'\\' && i + 1 < line.size()) {
            inWord = true;
            word += line[++i];
        } else if ((c == u' ' || c == u'\t')) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else if ((c == u'#' && !inWord) || c == u';' || c == u'&' || c == u'|') {
            break;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord) words << word;
    return words;
}

// A wallpaper setting as a local file: a file:// address (percent-decoded) or a path.
QString imageFile(QString text) {
    text = trimBlanks(text.trimmed());
    if (text.size() >= 2 && (text[0] == u'\'' || text[0] == u'"') && text.back() == text[0]) {
        const QString inside = text.mid(1, text.size() - 2);
        text.clear();
        for (qsizetype i = 0; i < inside.size(); ++i) {
            if (inside[i] == u'\\' && i + 1 < inside.size()) ++i;
            text += inside[i];
        }
    }
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return QUrl(text).toLocalFile();
    if (text.startsWith(QLatin1Char('/'))) return text;
    return {};
}

// A wallpaper candidate is used only when its file is there and is a picture
// the loader reads (a setting may name a file of a desktop not in use).
bool readableImage(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile() && !QImage(path).isNull();
}

} // namespace

bool runHelper(const QString& program, const QStringList& arguments, QByteArray& output, int timeoutMs) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted(timeoutMs)) return false;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(200);
        return false;
    }
    output = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString productName(const QStringList& osReleaseFiles) {
    for (const QString& path : osReleaseFiles) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        QString pretty, name;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QString l = trimBlanks(line);
            if (l.startsWith(QLatin1String("PRETTY_NAME="))) pretty = osReleaseValue(l.mid(12));
            else if (l.startsWith(QLatin1String("NAME="))) name = osReleaseValue(l.mid(5));
        }
        return pretty.isEmpty() ? name : pretty;
    }
    return {};
}

QString wallpaper(const HelperRunner& run, const QString& home, const QString& rootPictureFile) {
    QByteArray output;
    if (run) {
        // GNOME
        for (const char* key : {"picture-uri", "picture-uri-dark"}) {
            if (run(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"), QLatin1String(key)},
                    output)) {
                const QString f = imageFile(QString::fromUtf8(output));
                if (readableImage(f)) return f;
            }
        }
        // Xfce: the usual property, else the last-image properties listed.
        const QStringList xfce = {QStringLiteral("-c"), QStringLiteral("xfce4-desktop")};
        if (run(QStringLiteral("xfconf-query"),
                xfce + QStringList{QStringLiteral("-p"),
                                   QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image")},
                output)) {
            const QString f = imageFile(QString::fromUtf8(output));
            if (readableImage(f)) return f;
        }
        if (run(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-l")}, output)) {
            for (const QString& line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
                const QString prop = line.trimmed();
                if (!prop.endsWith(QLatin1String("/last-image"))) continue;
                QByteArray value;
                if (run(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-p"), prop}, value)) {
                    const QString f = imageFile(QString::fromUtf8(value));
                    if (readableImage(f)) return f;
                }
            }
        }
    }
    // feh: the image named in the command that ~/.fehbg replays.
    QFile fehbg(home + QStringLiteral("/.fehbg"));
    if (fehbg.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(fehbg.readAll()).split(QLatin1Char('\n'))) {
            const QStringList words = shellWords(line);
            if (words.isEmpty() || QFileInfo(words[0]).fileName() != QLatin1String("feh")) continue;
            for (qsizetype i = 1; i < words.size(); ++i) {
                if (words[i] == QLatin1String("--image-bg")) {
                    ++i;
                    continue;
                }
                if (words[i].startsWith(QLatin1Char('-'))) continue;
                QString f = words[i];
                if (f.startsWith(QLatin1String("~/"))) f = home + f.mid(1);
                else if (f.startsWith(QLatin1String("file:"))) f = QUrl(f).toLocalFile();
                if (readableImage(f)) return f;
            }
        }
    }
    return rootWindowPicture(rootPictureFile);
}

// The picture on the root window of the X display, as a PNG file: wallpaper
// setters (feh, nitrogen, xfdesktop, hsetroot...) leave its pixmap in
// _XROOTPMAP_ID. Pixmaps of 24 or 32 bits in 32-bit pixels, the usual kind,
// are read; any other gives nothing.
QString rootWindowPicture(const QString& saveAs) {
    if (saveAs.isEmpty() || !qGuiApp) return {};
    xcb_connection_t* c = qtX11Connection();
    if (!c) return {};
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup);
    if (!screen.rem) return {};
    const QByteArray name("_XROOTPMAP_ID");
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    const xcb_atom_t pictureAtom = a ? a->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(a);
    if (pictureAtom == XCB_ATOM_NONE) return {};
    xcb_pixmap_t pixmap = XCB_NONE;
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen.data->root, pictureAtom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
    if (p && p->type == XCB_ATOM_PIXMAP && p->format == 32 && xcb_get_property_value_length(p) >= 4)
        pixmap = *static_cast<const xcb_pixmap_t*>(xcb_get_property_value(p));
    std::free(p);
    if (pixmap == XCB_NONE) return {};
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr);
    if (!g) return {}; // the pixmap is gone
    const int width = g->width, height = g->height, depth = g->depth;
    std::free(g);
    int bits = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) bits = f.data->bits_per_pixel;
    if ((depth != 24 && depth != 32) || bits != 32 || width <= 0 || height <= 0 ||
        setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return {};
    xcb_get_image_reply_t* im =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, static_cast<uint16_t>(width),
                                          static_cast<uint16_t>(height), ~0u),
                            nullptr);
    if (!im) return {};
    const int bytes = xcb_get_image_data_length(im);
    const uint8_t* data = xcb_get_image_data(im);
    QImage image;
    if (bytes >= width * height * 4) {
        const int step = bytes / height;
        image = QImage(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), data + static_cast<size_t>(y) * step, static_cast<size_t>(width) * 4);
    }
    std::free(im);
    if (image.isNull()) return {};
    QSaveFile file(saveAs);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) return {};
    return saveAs;
}

} // namespace tk
