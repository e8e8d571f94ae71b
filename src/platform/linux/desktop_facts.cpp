#include "platform/linux/desktop_facts.h"

#include "platform/linux/settings_file.h"

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
QString valeur_os_release(const QString& brut) {
    const QString v = trimBlanks(brut);
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
                if (ligne[i] == u'\\' && i + 1 < ligne.size() && QStringView(u"\"\\$`").contains(ligne[i + 1])) ++i;
                mot += ligne[i];
            }
        } else if (c == u'\\' && i + 1 < ligne.size()) {
            dansMot = true;
            mot += ligne[++i];
        } else if ((c == u' ' || c == u'\t')) {
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
    texte = trimBlanks(texte.trimmed());
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

bool runHelper(const QString& programme, const QStringList& arguments, QByteArray& sortie, int delaiMs) {
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

QString productName(const QStringList& osReleaseFiles) {
    for (const QString& chemin : osReleaseFiles) {
        QFile f(chemin);
        if (!f.open(QIODevice::ReadOnly)) continue;
        QString pretty, nom;
        for (const QString& ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            const QString l = trimBlanks(ligne);
            if (l.startsWith(QLatin1String("PRETTY_NAME="))) pretty = valeur_os_release(l.mid(12));
            else if (l.startsWith(QLatin1String("NAME="))) nom = valeur_os_release(l.mid(5));
        }
        return pretty.isEmpty() ? nom : pretty;
    }
    return {};
}

QString wallpaper(const HelperRunner& run, const QString& home, const QString& rootPictureFile) {
    QByteArray sortie;
    if (run) {
        // GNOME
        for (const char* cle : {"picture-uri", "picture-uri-dark"}) {
            if (run(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"), QLatin1String(cle)},
                    sortie)) {
                const QString f = fichier_image(QString::fromUtf8(sortie));
                if (image_lisible(f)) return f;
            }
        }
        // Xfce: the usual property, else the last-image properties listed.
        const QStringList xfce = {QStringLiteral("-c"), QStringLiteral("xfce4-desktop")};
        if (run(QStringLiteral("xfconf-query"),
                xfce + QStringList{QStringLiteral("-p"),
                                   QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image")},
                sortie)) {
            const QString f = fichier_image(QString::fromUtf8(sortie));
            if (image_lisible(f)) return f;
        }
        if (run(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-l")}, sortie)) {
            for (const QString& ligne : QString::fromUtf8(sortie).split(QLatin1Char('\n'))) {
                const QString prop = ligne.trimmed();
                if (!prop.endsWith(QLatin1String("/last-image"))) continue;
                QByteArray valeur;
                if (run(QStringLiteral("xfconf-query"), xfce + QStringList{QStringLiteral("-p"), prop}, valeur)) {
                    const QString f = fichier_image(QString::fromUtf8(valeur));
                    if (image_lisible(f)) return f;
                }
            }
        }
    }
    // feh: the image named in the command that ~/.fehbg replays.
    QFile fehbg(home + QStringLiteral("/.fehbg"));
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
                if (f.startsWith(QLatin1String("~/"))) f = home + f.mid(1);
                else if (f.startsWith(QLatin1String("file:"))) f = QUrl(f).toLocalFile();
                if (image_lisible(f)) return f;
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
    xcb_get_property_reply_t* p =
        xcb_get_property_reply(c, xcb_get_property(c, 0, ecran.data->root, atome, XCB_ATOM_PIXMAP, 0, 1), nullptr);
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
    if ((profondeur != 24 && profondeur != 32) || bits != 32 || largeur <= 0 || hauteur <= 0 ||
        setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return {};
    xcb_get_image_reply_t* im =
        xcb_get_image_reply(c,
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
    QSaveFile fichier(saveAs);
    if (!fichier.open(QIODevice::WriteOnly) || !image.save(&fichier, "PNG") || !fichier.commit()) return {};
    return saveAs;
}

} // namespace tk
