// XDG desktop entries for starting at log-on: the entry
// <config>/autostart/<name>.desktop whose Exec runs a program given as one
// path, with the program's icon (the theme name "tarvik").
#pragma once

#include <QString>

namespace tk {

// The Exec value of a desktop entry that runs `program` as one argument,
// and its inverse (empty when `exec` is not one quoted or plain argument).
QString desktopExec(const QString& program);
QString programOfExec(const QString& exec);

// The autostart entry of `name`: an existing one whose name matches without
// regard to case, else <config>/autostart/<name>.desktop.
QString autostartFile(const QString& configFolder, const QString& name);

// The program an autostart entry runs; empty when there is none or it is not one path.
QString readAutostart(const QString& file);
// Writes the entry atomically (mode 0644, its folder 0700 when created).
bool writeAutostart(const QString& file, const QString& name, const QString& program);
// True when the entry is gone (or never was).
bool removeAutostart(const QString& file);

} // namespace tk
