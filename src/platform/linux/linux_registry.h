// Settings store and registry values on Linux.
//
// Settings: one INI file per application name, <config>/tarvik/<appli>.ini,
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
// write replaces it atomically (temporary file ".<appli>.ini.XXXXXX" in the
// same folder, fsync, rename, fsync of the folder) before saveSetting returns,
// or, inside a group of writes, once for the whole group. Temporary files left
// by an interrupted rewrite are removed when the application's settings are
// first read. Reads use a parsed copy, read again when the file's identity,
// size or modification time changes (never while a group holds changes).
//
// Registry values (paths compared without regard to case and to a trailing
// backslash, value names without regard to case):
//  - HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "productname": PRETTY_NAME,
//    else NAME, of os-release;
//  - HKCU "Control Panel\Desktop" "Wallpaper": the desktop's wallpaper file, from
//    GNOME (gsettings), else Xfce (xfconf-query), else ~/.fehbg, else the picture
//    on the root window (_XROOTPMAP_ID, left by every X wallpaper setter) saved
//    as a PNG file; a candidate counts only when its file exists and loads;
//  - HKLM "Software\Microsoft\Windows\CurrentVersion\Run" <name>: the XDG autostart
//    entry <config>/autostart/<name>.desktop whose Exec runs <data> as one program path,
//    with the program's icon (the theme name "tarvik");
//  - any other value lives in memory for the life of the object.
#pragma once

#include "platform/registry.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

namespace tk {

class LinuxRegistry : public Registry {
public:
    // Runs a helper program (never through a shell); true when it ran and exited with 0.
    using Executeur = std::function<bool(const QString& programme, const QStringList& arguments, QByteArray& sortie)>;

    struct Chemins {
        QString configuration;  // <config>: $XDG_CONFIG_HOME or ~/.config
        QString maison;         // home folder, for ~/.fehbg
        QStringList osRelease;  // os-release files, the first readable one wins
        QString fondRacine;     // where the root window's picture is saved; empty: not looked at
    };

    // Paths from the environment; helpers run by QProcess with a 1 s limit.
    LinuxRegistry();
    LinuxRegistry(Chemins chemins, Executeur executeur);

    QString getSetting(const QString& appli, const QString& section, const QString& cle,
                       const QString& defaut) override;
    void saveSetting(const QString& appli, const QString& section, const QString& cle,
                     const QString& valeur) override;
    void beginWrites(const QString& appli) override;
    void endWrites(const QString& appli) override;

    // Called at each step of a file rewrite ("created", "written", "synced",
    // "closed", "renamed", "folder synced"); tests stop the process there to
    // see what an interruption at that moment leaves on disk.
    void setWriteStepHook(std::function<void(const char* etape)> crochet) { crochet_ = std::move(crochet); }

    // The settings text of a file, parsed; and parsed sections as text. What
    // one writes the other reads back exactly.
    struct Entree {
        QString cle;
        QString valeur;
    };
    struct Section {
        QString nom;
        std::vector<Entree> entrees;
    };
    static std::vector<Section> lireTexte(const QString& texte);
    static QString ecrireTexte(const std::vector<Section>& sections);

    bool readValue(RacineRegistre racine, const QString& chemin, const QString& nom, QString& valeur) override;
    bool writeValue(RacineRegistre racine, const QString& chemin, const QString& nom, const QString& valeur) override;
    bool deleteValue(RacineRegistre racine, const QString& chemin, const QString& nom) override;

    QString settingsFile(const QString& appli) const;
    // The autostart entry of `nom`: an existing one whose name matches without
    // regard to case, else <config>/autostart/<nom>.desktop.
    QString autostartFile(const QString& nom) const;

    // The Exec value of a desktop entry that runs `programme` as one argument,
    // and its inverse (empty when `exec` is not one quoted or plain argument).
    static QString execDesktop(const QString& programme);
    static QString programmeExec(const QString& exec);

    // Default helper runner: QProcess, no shell, `delaiMs` limit.
    static bool executer(const QString& programme, const QStringList& arguments, QByteArray& sortie,
                         int delaiMs = 1000);

private:
    struct Fichier {
        bool lu = false;
        int groupes = 0;       // groups of writes open
        bool modifie = false;  // written in memory, not yet on disk
        quint64 inode = 0, device = 0;
        qint64 taille = -1;
        qint64 mtimeNs = -1;
        std::vector<Section> sections;
    };

    Fichier& charger(const QString& appli);
    // Removes temporary files of ours left in the settings folder by a
    // rewrite that was interrupted (the process was killed).
    void nettoyer(const QString& appli);
    bool ecrireFichier(const QString& appli, Fichier& f);
    QString fondEcran();
    QString fondRacine();
    QString produit();

    Chemins chemins_;
    Executeur executeur_;
    std::map<QString, Fichier> fichiers_;
    QMap<QString, QString> autres_; // other registry values, in memory
    std::function<void(const char*)> crochet_;
};

} // namespace tk
