// What the desktop tells about itself: the product name of the system, from
// os-release (PRETTY_NAME, else NAME), and the desktop's wallpaper file, from
// GNOME (gsettings), else Xfce (xfconf-query), else ~/.fehbg, else the picture
// on the root window (_XROOTPMAP_ID, left by every X wallpaper setter) saved
// as a PNG file; a candidate counts only when its file exists and loads.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace tk {

// Runs a helper program (never through a shell); true when it ran and exited with 0.
using HelperRunner = std::function<bool(const QString& program, const QStringList& arguments, QByteArray& output)>;

// Default helper runner: QProcess, no shell, `timeoutMs` limit.
bool runHelper(const QString& program, const QStringList& arguments, QByteArray& output, int timeoutMs = 1000);

// PRETTY_NAME, else NAME, of the first readable os-release file; empty when none.
QString productName(const QStringList& osReleaseFiles);

// The wallpaper file; empty when no probe finds one. `home` holds ~/.fehbg;
// the root window's picture is saved as `rootPictureFile` (empty: not looked at).
QString wallpaper(const HelperRunner& run, const QString& home, const QString& rootPictureFile);

// The root window's picture saved as `saveAs`; empty when there is none or it
// cannot be read or saved.
QString rootWindowPicture(const QString& saveAs);

} // namespace tk
