// Settings files: one INI file per application name, <config>/tarvik/<app>.ini,
// where <config> is $XDG_CONFIG_HOME or ~/.config. Layout:
//
//     [Settings]
//     modeBarre=2
//     mail2=\x20secret with a leading blank
//
// Section and key names are compared without regard to case; a key keeps the
// spelling it was first written with (writing "Skin" over "skin" changes the
// value only). Names and values are escaped so that any text comes back
// exactly: "\\" a backslash, "\n" "\r" "\t" "\0" the control characters,
// "\xHH" any other control character and a blank at either end of a value
// (and, in a key, "=", "[" and a leading ";" or "#"). The file is created with
// mode 0600 (it holds the mail password) in a folder of mode 0700, and every
// write replaces it atomically (temporary file ".<app>.ini.XXXXXX" in the
// same folder, fsync, rename, fsync of the folder) before save returns,
// or, inside a group of writes, once for the whole group. Temporary files left
// by an interrupted rewrite are removed when the application's settings are
// first read. Reads use a parsed copy, read again when the file's identity,
// size or modification time changes (never while a group holds changes).
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <sys/types.h>
#include <vector>

namespace tk {

// Names in key files are compared without regard to case.
bool sameName(const QString& a, const QString& b);
// Trims blanks and tabs only: other white space (no-break spaces...) is data.
QString trimBlanks(const QString& s);

// The settings text of a file, parsed; and parsed sections as text. What
// one writes the other reads back exactly.
struct SettingsEntry {
    QString key;
    QString value;
};
struct SettingsSection {
    QString name;
    std::vector<SettingsEntry> entries;
};
std::vector<SettingsSection> parseSettings(const QString& text);
QString formatSettings(const std::vector<SettingsSection>& sections);

// Creates `folder` (and its parents) when missing; the last level gets `mode`.
bool makeFolder(const QString& folder, mode_t mode);

// Called at each step of a file rewrite ("created", "written", "synced",
// "closed", "renamed", "folder synced").
using WriteStepHook = std::function<void(const char* step)>;

// Replaces `path` by `content` in one step: a temporary file in the same
// folder (created with `mode`, so never more readable than that), synced,
// renamed over the target, then the folder synced so the rename is durable.
bool writeAtomically(const QString& path, const QByteArray& content, mode_t mode, const WriteStepHook& hook = {});

// The settings files of every application name under one configuration folder.
class SettingsFiles {
public:
    explicit SettingsFiles(QString configFolder = {}) : config_(std::move(configFolder)) {}

    QString path(const QString& app) const;
    QString get(const QString& app, const QString& section, const QString& key, const QString& fallback);
    void save(const QString& app, const QString& section, const QString& key, const QString& value);
    void beginWrites(const QString& app);
    void endWrites(const QString& app);

    // Tests stop the process at a step to see what an interruption leaves on disk.
    void setWriteStepHook(WriteStepHook hook) { hook_ = std::move(hook); }

private:
    struct File {
        bool read = false;
        int groups = 0;       // groups of writes open
        bool changed = false; // written in memory, not yet on disk
        quint64 inode = 0, device = 0;
        qint64 size = -1;
        qint64 mtimeNs = -1;
        std::vector<SettingsSection> sections;
    };

    File& load(const QString& app);
    // Removes temporary files of ours left in the settings folder by a
    // rewrite that was interrupted (the process was killed).
    void removeLeftovers(const QString& app);
    bool write(const QString& app, File& f);

    QString config_;
    std::map<QString, File> files_;
    WriteStepHook hook_;
};

} // namespace tk
