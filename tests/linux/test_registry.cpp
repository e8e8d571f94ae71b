// The INI settings store, the autostart entry and the system values.
#include "platform/linux/linux_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace tk;

namespace {

const QString kRun = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run\\");

struct TestBench {
    QTemporaryDir dossier;
    std::map<QString, QByteArray> sorties; // "program arg arg" -> output; absent: the program fails
    QStringList appels;

    LinuxRegistry::Paths chemins() {
        return {dossier.path() + "/config", dossier.path() + "/home", {dossier.path() + "/os-release"}, {}};
    }
    LinuxRegistry registre() {
        return LinuxRegistry(chemins(), [this](const QString& p, const QStringList& a, QByteArray& s) {
            const QString ligne = (QStringList{p} + a).join(' ');
            appels << ligne;
            const auto it = sorties.find(ligne);
            if (it == sorties.end()) return false;
            s = it->second;
            return true;
        });
    }
    void ecrire(const QString& relatif, const QByteArray& contenu) {
        const QString chemin = dossier.path() + "/" + relatif;
        QDir().mkpath(QFileInfo(chemin).absolutePath());
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenu);
    }
};

} // namespace

TEST(LinuxRegistry, KeysIgnoreCaseAndKeepFirstSpelling) {
    TestBench b;
    LinuxRegistry r = b.registre();
    EXPECT_EQ(r.getSetting("tarvik", "Settings", "skin", "Tarvik skin"), "Tarvik skin");
    r.saveSetting("tarvik", "Settings", "skin", "Windows skin");
    r.saveSetting("tarvik", "Settings", "Skin", "Mode transparent");
    EXPECT_EQ(r.getSetting("tarvik", "Settings", "SKIN", ""), "Mode transparent");
    EXPECT_EQ(r.getSetting("tarvik", "settings", "skin", ""), "Mode transparent");
    // Another executable name has its own store.
    EXPECT_EQ(r.getSetting("tarvik2", "Settings", "skin", "none"), "none");

    QFile f(r.settingsFile("tarvik"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray contenu = f.readAll();
    EXPECT_EQ(contenu, "[Settings]\nskin=Mode transparent\n");
    EXPECT_TRUE(r.settingsFile("tarvik").endsWith("/config/tarvik/tarvik.ini"));
}

TEST(LinuxRegistry, AnyTextRoundTripsThroughTheFile) {
    TestBench b;
    const QStringList textes = {
        "  leading and trailing  ",
        "; not a comment",
        "# nor this",
        "a=b=c",
        "back\\slash\\",
        "\"quoted\" 'single'",
        "accents éàç€ 日本",
        "two\nlines\r\n",
        "tab\tend\t",
        QString("nul") + QChar(0) + "cut",
        "[Settings]",
        "\\x41 is not A",
        " ",
        "",
        QString(QChar(0x00A0)) + "nbsp" + QChar(0x202F),
    };
    {
        LinuxRegistry r = b.registre();
        for (int i = 0; i < textes.size(); ++i) r.saveSetting("tarvik", "Settings", QString("k%1").arg(i), textes[i]);
        r.saveSetting("tarvik", "Settings", " odd=key;[x]", "v");
    }
    LinuxRegistry relu = b.registre(); // a fresh object reads the file
    for (int i = 0; i < textes.size(); ++i)
        EXPECT_EQ(relu.getSetting("tarvik", "Settings", QString("k%1").arg(i), "missing"), textes[i]) << i;
    EXPECT_EQ(relu.getSetting("tarvik", "Settings", " odd=key;[x]", ""), "v");
}

TEST(LinuxRegistry, FileIsPrivateAndReplacedAtomically) {
    TestBench b;
    const mode_t ancien = ::umask(0);
    LinuxRegistry r = b.registre();
    r.saveSetting("tarvik", "Settings", "mail2", "secret");
    r.saveSetting("tarvik", "Settings", "mail0", "pop.example.org");
    ::umask(ancien);

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(r.settingsFile("tarvik")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(b.dossier.path() + "/config/tarvik").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Only the store itself is left in the folder: no temporary file.
    EXPECT_EQ(QDir(b.dossier.path() + "/config/tarvik").entryList(QDir::Files | QDir::Hidden),
              QStringList{"tarvik.ini"});
}

TEST(LinuxRegistry, ChangesMadeByAnotherWriterAreSeen) {
    TestBench b;
    LinuxRegistry r1 = b.registre();
    LinuxRegistry r2 = b.registre();
    r1.saveSetting("tarvik", "Settings", "nbUse", "2");
    EXPECT_EQ(r2.getSetting("tarvik", "Settings", "nbUse", "1"), "2");
    r2.saveSetting("tarvik", "Settings", "nbUse", "3");
    EXPECT_EQ(r1.getSetting("tarvik", "Settings", "nbUse", "1"), "3");
    r1.saveSetting("tarvik", "Settings", "modeBarre", "1"); // keeps r2's write
    EXPECT_EQ(r2.getSetting("tarvik", "Settings", "nbUse", ""), "3");
    EXPECT_EQ(r2.getSetting("tarvik", "Settings", "modeBarre", ""), "1");

    // A hand-edited file: blanks around "=", comments, CR LF line ends.
    b.ecrire("config/tarvik/main.ini", "; mine\r\n[settings]\r\n  Help = 0 \r\n#x=1\r\n");
    EXPECT_EQ(r1.getSetting("main", "Settings", "help", "1"), "0");
    EXPECT_EQ(r1.getSetting("main", "Settings", "#x", "none"), "none");
}

TEST(LinuxRegistry, AutostartEntryQuotesTheProgramPath) {
    TestBench b;
    LinuxRegistry r = b.registre();
    const QString programme = "/opt/my apps/\"tk\" 100%/$HOME`x`\\tarvik";
    ASSERT_TRUE(r.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun, "tarvik", programme));

    QFile f(b.dossier.path() + "/config/autostart/tarvik.desktop");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString texte = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(texte.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(texte.contains("\nType=Application\n"));
    EXPECT_TRUE(texte.contains("\nName=tarvik\n"));
    EXPECT_TRUE(texte.contains("\nIcon=tarvik\n")); // the icon the package installs
    // Quoting escapes " ` $ \ with a backslash and % as %%; the key file's own
    // escaping then doubles every backslash.
    EXPECT_TRUE(texte.contains(R"(Exec="/opt/my apps/\\"tk\\" 100%%/\\$HOME\\`x\\`\\\\tarvik")"
                               "\n"))
        << qPrintable(texte);
    // The desktop's own checker accepts the entry, when it is installed.
    const QString validateur = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validateur.isEmpty()) {
        QProcess p;
        p.start(validateur, {f.fileName()});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }

    QString relu;
    ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun.toLower().chopped(1), "TARVIK", relu));
    EXPECT_EQ(relu, programme);

    EXPECT_TRUE(r.deleteValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun, "tarvik"));
    EXPECT_FALSE(f.exists());
    EXPECT_TRUE(r.deleteValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun, "tarvik")); // missing: nothing to do
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun, "tarvik", relu));
    // A name cannot leave the autostart folder.
    EXPECT_FALSE(r.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kRun, "../evil", "/bin/true"));
    EXPECT_FALSE(QFile::exists(b.dossier.path() + "/config/evil.desktop"));
}

TEST(LinuxRegistry, ProductNameFromOsRelease) {
    TestBench b;
    LinuxRegistry r = b.registre();
    const QString cle = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    QString valeur = "untouched";
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, cle, "productname", valeur)); // no file
    EXPECT_EQ(valeur, "untouched");

    b.ecrire("os-release", "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian \\\"12\\\" (bookworm)\"\nID=debian\n");
    ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, cle + "\\", "ProductName", valeur));
    EXPECT_EQ(valeur, "Debian \"12\" (bookworm)");

    b.ecrire("os-release", "NAME='Plain OS'\nID=plain\n");
    ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, cle, "productname", valeur));
    EXPECT_EQ(valeur, "Plain OS");
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, cle, "productname", valeur));
}

// Candidates in order GNOME, Xfce, feh; each only when its file is there and
// is a picture (GNOME's setting names its default picture even where GNOME is
// installed but not running).
TEST(LinuxRegistry, WallpaperFromGnomeXfceOrFehWhenTheFileLoads) {
    const QString bureau = "Control Panel\\Desktop";
    QString valeur;
    auto image = [](TestBench& b, const QString& relatif) {
        QImage i(4, 3, QImage::Format_RGB32);
        i.fill(Qt::darkCyan);
        const QString chemin = b.dossier.path() + "/" + relatif;
        QDir().mkpath(QFileInfo(chemin).absolutePath());
        EXPECT_TRUE(i.save(chemin, "PNG"));
        return chemin;
    };
    {
        TestBench b;
        const QString f = image(b, "my walls/a%b.png");
        b.sorties["gsettings get org.gnome.desktop.background picture-uri"] =
            "'" + QUrl::fromLocalFile(f).toEncoded() + "'\n";
        LinuxRegistry r = b.registre();
        ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, bureau, "Wallpaper", valeur));
        EXPECT_EQ(valeur, f);
    }
    {
        TestBench b;
        const QString f = image(b, "home/x.png");
        b.sorties["gsettings get org.gnome.desktop.background picture-uri"] =
            "'file:///usr/share/backgrounds/gnome/no-such-picture.jpg'\n";
        b.sorties["xfconf-query -c xfce4-desktop -l"] = "/backdrop/screen0/monitorVirtual1/workspace0/image-style\n/"
                                                        "backdrop/screen0/monitorVirtual1/workspace0/last-image\n";
        b.sorties["xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorVirtual1/workspace0/last-image"] =
            f.toUtf8() + "\n";
        LinuxRegistry r = b.registre();
        ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, bureau + "\\", "wallpaper", valeur));
        EXPECT_EQ(valeur, f);
    }
    {
        TestBench b;
        const QString f = image(b, "home/it's.png");
        b.ecrire("home/not-a-picture.jpg", "plain text");
        b.sorties["gsettings get org.gnome.desktop.background picture-uri"] =
            "'" + QUrl::fromLocalFile(b.dossier.path() + "/home/not-a-picture.jpg").toEncoded() + "'\n";
        b.ecrire("home/.fehbg", "#!/bin/sh\nfeh --no-fehbg --image-bg 'black' --bg-fill '" +
                                    QString(f).replace("'", "'\\''").toUtf8() + "' \n");
        LinuxRegistry r = b.registre();
        ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, bureau, "Wallpaper", valeur));
        EXPECT_EQ(valeur, f);
    }
    {
        TestBench b; // nothing set anywhere, and no root window picture to look at
        LinuxRegistry r = b.registre();
        valeur = "kept";
        EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, bureau, "Wallpaper", valeur));
        EXPECT_EQ(valeur, "kept");
        EXPECT_TRUE(
            b.appels.contains("xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitor0/workspace0/last-image"));
    }
}

TEST(LinuxRegistry, OtherValuesLiveInMemory) {
    TestBench b;
    LinuxRegistry r = b.registre();
    QString v;
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, "Software\\X", "a", v));
    EXPECT_TRUE(r.writeValue(RegistryRoot::HKEY_CURRENT_USER, "Software\\X\\", "A", "1"));
    ASSERT_TRUE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, "software\\x", "a", v));
    EXPECT_EQ(v, "1");
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, "software\\x", "a", v));
    EXPECT_TRUE(r.deleteValue(RegistryRoot::HKEY_CURRENT_USER, "Software\\X", "a"));
    EXPECT_FALSE(r.readValue(RegistryRoot::HKEY_CURRENT_USER, "Software\\X", "a", v));
}

// A group of writes reaches the file once, at its end; a write alone at once.
TEST(LinuxRegistry, AGroupOfWritesIsOneRewrite) {
    TestBench b;
    LinuxRegistry r = b.registre();
    int rewrites = 0;
    r.setWriteStepHook([&](const char* etape) { rewrites += QByteArray(etape) == "renamed"; });
    auto fichier = [&] {
        QFile f(r.settingsFile("tarvik"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    r.saveSetting("tarvik", "Settings", "modeBarre", "1");
    EXPECT_EQ(rewrites, 1);
    EXPECT_TRUE(fichier().contains("modeBarre=1"));

    r.beginWrites("tarvik");
    r.saveSetting("tarvik", "Settings", "mail0", "pop.example");
    r.beginWrites("tarvik"); // groups nest
    r.saveSetting("tarvik", "Settings", "Skin", "Windows skin");
    r.endWrites("tarvik");
    EXPECT_EQ(r.getSetting("tarvik", "Settings", "skin", ""), "Windows skin"); // readers see it at once
    // Another writer changes the file meanwhile: the group's values are not lost.
    LinuxRegistry autre = b.registre();
    autre.saveSetting("tarvik", "Settings", "nbUse", "9");
    EXPECT_EQ(r.getSetting("tarvik", "Settings", "mail0", ""), "pop.example");
    EXPECT_EQ(rewrites, 1);
    EXPECT_FALSE(fichier().contains("mail0"));
    r.endWrites("tarvik");
    EXPECT_EQ(rewrites, 2);
    EXPECT_TRUE(fichier().contains("mail0=pop.example"));
    EXPECT_TRUE(fichier().contains("Skin=Windows skin"));
    // A group that wrote nothing does not touch the file.
    r.beginWrites("tarvik");
    r.endWrites("tarvik");
    EXPECT_EQ(rewrites, 2);
}

// Temporary files of an interrupted rewrite are removed when the settings
// are first read; other files of the folder stay.
TEST(LinuxRegistry, LeftoverTemporaryFilesAreRemovedAtStart) {
    TestBench b;
    b.ecrire("config/tarvik/tarvik.ini", "[Settings]\nmail2=secret\n");
    b.ecrire("config/tarvik/.tarvik.ini.a1B2c3", "[Settings]\nmail2=secret\n");
    b.ecrire("config/tarvik/.tarvik.ini.Zz9yX8", "[Settings]\nmail2=sec");
    b.ecrire("config/tarvik/.tarvik2.ini.a1B2c3", "another program's");
    b.ecrire("config/tarvik/.tarvik.ini.keep", "not ours");
    b.ecrire("config/tarvik/.TARVIK.INI.a1B2c3", "not ours either");
    b.ecrire("config/tarvik/notes.txt", "the user's");
    LinuxRegistry r = b.registre();
    EXPECT_EQ(r.getSetting("tarvik", "Settings", "mail2", ""), "secret");
    QStringList restes = QDir(b.dossier.path() + "/config/tarvik").entryList(QDir::Files | QDir::Hidden);
    restes.sort();
    EXPECT_EQ(restes, (QStringList{".TARVIK.INI.a1B2c3", ".tarvik.ini.keep", ".tarvik2.ini.a1B2c3", "notes.txt",
                                   "tarvik.ini"}));
}

// Whatever text is parsed, writing it out and parsing it again gives the
// same settings.
TEST(LinuxRegistry, TheCodecReadsBackWhatItWrites) {
    const std::vector<SettingsSection> sections = {
        {"Settings",
         {{"mail2", " pass\\word=x \n\t\r"},
          {"k=ey[1]", "[v]"},
          {";c", "#d"},
          {"nul", QString(QChar(0)) + "a\x01"},
          {"accents", "été «»"},
          {"vide", ""}}},
        {"Autre]", {{"x", "y"}}},
    };
    const QString texte = formatSettings(sections);
    const auto relues = parseSettings(texte);
    ASSERT_EQ(relues.size(), sections.size());
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(relues[i].name, sections[i].name);
        ASSERT_EQ(relues[i].entries.size(), sections[i].entries.size());
        for (size_t j = 0; j < sections[i].entries.size(); ++j) {
            EXPECT_EQ(relues[i].entries[j].key, sections[i].entries[j].key);
            EXPECT_EQ(relues[i].entries[j].value, sections[i].entries[j].value);
        }
    }
}
