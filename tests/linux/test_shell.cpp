// The X11 shell. Without a display every window-manager call must be harmless;
// on the private test display (xcb platform, openbox) the dock really reserves
// its strip, gives it back, and moves out of sight.
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>

using namespace tk;

namespace {

bool within(int ms, const std::function<bool()>& condition) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

QString run(const QString& programme, const QStringList& args) {
    QProcess p;
    p.start(programme, args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Read with the X utilities, independently of the code under test.
int workAreaTop() {
    const QString t = run("xprop", {"-root", "_NET_WORKAREA"});
    const QStringList champs = t.section('=', 1).split(',');
    return champs.size() >= 4 ? champs[1].trimmed().toInt() : -1;
}

QString windowId(QWidget& w) { return QString::number(w.winId()); }

QString property(QWidget& w, const char* nom) { return run("xprop", {"-id", windowId(w), nom}); }

int windowY(QWidget& w) {
    const QString info = run("xwininfo", {"-id", windowId(w)});
    for (const QString& ligne : info.split('\n'))
        if (ligne.contains("Absolute upper-left Y:")) return ligne.section(':', 1).trimmed().toInt();
    return 9999;
}

APPBARDATA record(QWidget* w) {
    APPBARDATA d;
    d.cbSize = 36;
    d.hWnd = w;
    d.uCallbackMessage = WM_MOUSEMOVE;
    d.uEdge = ABE_TOP;
    return d;
}

// Registers, queries and reserves `hauteur` pixels below whatever top the
// query gives, then shows the window there; returns the granted top.
int dock(LinuxShell& shell, QWidget& w, APPBARDATA& d, int hauteur) {
    shell.appBarMessage(ABM_NEW, d);
    d.rc = {0, 0, shell.screenWidth(), shell.screenHeight()};
    shell.appBarMessage(ABM_QUERYPOS, d);
    d.rc.bottom = d.rc.top + hauteur;
    shell.appBarMessage(ABM_SETPOS, d);
    shell.setWindowPos(&w, InsertAfter::HWND_TOP, d.rc.left, d.rc.top, d.rc.right - d.rc.left, d.rc.bottom - d.rc.top,
                       SWP_NOACTIVATE);
    w.show();
    return d.rc.top;
}

} // namespace

TEST(ShellWithoutDisplay, EveryCallIsHarmless) {
    if (QGuiApplication::platformName() == "xcb") GTEST_SKIP() << "runs on a platform without X";
    LinuxShell shell;
    QWidget w;
    shell.prepareDock(&w);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    APPBARDATA d = record(&w);
    d.rc = {0, 0, 640, 480};
    EXPECT_EQ(shell.appBarMessage(ABM_NEW, d), 1);
    shell.appBarMessage(ABM_QUERYPOS, d);
    EXPECT_EQ(d.rc.top, 0) << "no window manager: the record is left alone";
    d.rc.bottom = 20;
    shell.appBarMessage(ABM_SETPOS, d);
    shell.setWindowPos(&w, InsertAfter::HWND_TOPMOST, 0, -19, 300, 20, SWP_SHOWWINDOW);
    EXPECT_EQ(w.geometry(), QRect(0, -19, 300, 20));
    EXPECT_TRUE(w.isVisible());
    shell.appBarMessage(ABM_REMOVE, d);
    EXPECT_EQ(shell.screenWidth(), QGuiApplication::primaryScreen()->geometry().width());
    EXPECT_EQ(shell.workAreaTop(), -1);
    shell.trayAdd(QIcon(), "Tarvik(running)");
    EXPECT_TRUE(shell.hasTrayIcon()) << "the icon waits for a tray host";
    shell.trayDelete();
    EXPECT_FALSE(shell.hasTrayIcon());
}

// These change the desktop's work area, so they run only on the private test
// display (tests/integration/services.sh with QT_QPA_PLATFORM=xcb).
class ShellLive : public testing::Test {
protected:
    void SetUp() override {
        if (qgetenv("TARVIK_TEST_SERVICES") != "1")
            GTEST_SKIP() << "needs the private test services (tests/integration/services.sh)";
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs the xcb platform (QT_QPA_PLATFORM=xcb)";
        if (workAreaTop() != 0) GTEST_SKIP() << "needs a window manager with a whole work area";
    }
};

TEST_F(ShellLive, DockReservesItsStripAndGivesItBack) {
    LinuxShell shell;
    QWidget bar;
    shell.prepareDock(&bar);
    EXPECT_TRUE(property(bar, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DOCK")) << "before the first show";

    APPBARDATA d = record(&bar);
    EXPECT_EQ(dock(shell, bar, d, 20), 0);
    EXPECT_TRUE(within(3000, [] { return workAreaTop() == 20; })) << workAreaTop();
    EXPECT_TRUE(within(3000, [&] { return windowY(bar) == 0; })) << windowY(bar);
    EXPECT_TRUE(property(bar, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DOCK"));
    EXPECT_TRUE(property(bar, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
    EXPECT_FALSE(run("xprop", {"-root", "_NET_ACTIVE_WINDOW"}).contains(QString::number(bar.winId(), 16)))
        << "the bar never takes the focus";

    shell.appBarMessage(ABM_REMOVE, d);
    EXPECT_TRUE(within(3000, [] { return workAreaTop() == 0; })) << workAreaTop();
}

TEST_F(ShellLive, SlidesReallyMoveTheWindowAboveTheScreen) {
    LinuxShell shell;
    QWidget bar;
    shell.prepareDock(&bar);
    APPBARDATA d = record(&bar);
    dock(shell, bar, d, 20);
    ASSERT_TRUE(within(3000, [&] { return windowY(bar) == 0; }));
    shell.appBarMessage(ABM_REMOVE, d);

    for (int y = -1; y >= -20; y -= 3) {
        shell.setWindowPos(&bar, InsertAfter::HWND_TOP, 0, y, d.rc.right, 20, SWP_NOACTIVATE);
        QCoreApplication::processEvents();
    }
    shell.setWindowPos(&bar, InsertAfter::HWND_TOPMOST, 0, -19, d.rc.right, 20, SWP_NOACTIVATE);
    EXPECT_TRUE(within(3000, [&] { return windowY(bar) == -19; })) << "y is " << windowY(bar);

    shell.setWindowPos(&bar, InsertAfter::HWND_TOPMOST, 0, 0, d.rc.right, 20, SWP_SHOWWINDOW);
    EXPECT_TRUE(within(3000, [&] { return windowY(bar) == 0; })) << "y is " << windowY(bar);
    EXPECT_TRUE(property(bar, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
}

TEST_F(ShellLive, QueryPlacesTheBarBelowAnotherProgramsBar) {
    LinuxShell autreShell, shell;
    QWidget autre, bar;
    autreShell.prepareDock(&autre);
    shell.prepareDock(&bar);
    APPBARDATA a = record(&autre), d = record(&bar);
    dock(autreShell, autre, a, 30);
    ASSERT_TRUE(within(3000, [] { return workAreaTop() == 30; })) << workAreaTop();

    EXPECT_EQ(dock(shell, bar, d, 20), 30);
    EXPECT_TRUE(within(3000, [] { return workAreaTop() == 50; })) << workAreaTop();

    // Docking again at once (a mode change): the work area may still hold our
    // own strip, which must not push the bar further down.
    shell.appBarMessage(ABM_REMOVE, d);
    QCoreApplication::processEvents();
    EXPECT_EQ(dock(shell, bar, d, 20), 30);

    shell.appBarMessage(ABM_REMOVE, d);
    autreShell.appBarMessage(ABM_REMOVE, a);
    EXPECT_TRUE(within(3000, [] { return workAreaTop() == 0; })) << workAreaTop();
}

// The window manager's own top margin (openbox's <margins>) shows only in the
// work area; a re-dock, which cannot trust the work area, must remember it.
TEST_F(ShellLive, TheWindowManagersTopMarginIsKeptAcrossADockAgain) {
    const QString dossier = qEnvironmentVariable("XDG_CONFIG_HOME") + "/openbox";
    QFile source("/etc/xdg/openbox/rc.xml");
    if (qEnvironmentVariable("XDG_CONFIG_HOME").isEmpty() || QFile::exists(dossier + "/rc.xml") ||
        !source.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "needs openbox's default configuration and a private configuration folder";
    QByteArray rc = source.readAll();
    const QByteArray sans = "<margins>\n  <top>0</top>";
    if (!rc.contains(sans)) GTEST_SKIP() << "openbox's configuration has no top margin to set";
    QDir().mkpath(dossier);
    QFile cible(dossier + "/rc.xml");
    ASSERT_TRUE(cible.open(QIODevice::WriteOnly));
    cible.write(QByteArray(rc).replace(sans, "<margins>\n  <top>25</top>"));
    cible.close();
    run("openbox", {"--reconfigure"});
    const bool marge = within(5000, [] { return workAreaTop() == 25; });

    LinuxShell shell;
    QWidget bar;
    shell.prepareDock(&bar);
    APPBARDATA d = record(&bar);
    int premier = -1, second = -1;
    if (marge) {
        premier = dock(shell, bar, d, 20);
        shell.appBarMessage(ABM_REMOVE, d);
        QCoreApplication::processEvents();
        second = dock(shell, bar, d, 20);
        shell.appBarMessage(ABM_REMOVE, d);
    }
    QFile::remove(dossier + "/rc.xml");
    run("openbox", {"--reconfigure"});
    ASSERT_TRUE(marge) << "openbox did not take the margin: " << workAreaTop();
    EXPECT_EQ(premier, 25);
    EXPECT_EQ(second, 25);
    EXPECT_TRUE(within(5000, [] { return workAreaTop() == 0; })) << workAreaTop();
}

TEST_F(ShellLive, TrayIconComesAndGoes) {
    LinuxShell shell;
    if (!within(3000, [&] { return shell.trayAvailable(); })) GTEST_SKIP() << "no system tray host";
    QPixmap image(16, 16);
    image.fill(Qt::darkGreen);
    shell.trayAdd(QIcon(image), "Tarvik(running)");
    shell.trayAdd(QIcon(image), "Tarvik(running)");
    EXPECT_TRUE(shell.hasTrayIcon());
    shell.trayModify(QIcon(image), "Tarvik(running)");
    shell.trayDelete();
    EXPECT_FALSE(shell.hasTrayIcon());
    shell.trayModify(QIcon(image), "x"); // nothing to modify: nothing happens
    EXPECT_FALSE(shell.hasTrayIcon());
}

// The picture a wallpaper setter leaves on the root window (_XROOTPMAP_ID)
// serves when no desktop setting names a file.
TEST_F(ShellLive, WallpaperFromTheRootWindowsPicture) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_TRUE(x11);
    xcb_connection_t* c = x11->connection();
    xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, ecran->root_depth, pixmap, ecran->root, 64, 48);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t couleur = 0x00336699; // red 0x33, green 0x66, blue 0x99 in a 24-bit TrueColor visual
    xcb_create_gc(c, gc, pixmap, XCB_GC_FOREGROUND, &couleur);
    const xcb_rectangle_t tout{0, 0, 64, 48};
    xcb_poly_fill_rectangle(c, pixmap, gc, 1, &tout);
    const char nom[] = "_XROOTPMAP_ID";
    xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof nom - 1, nom), nullptr);
    ASSERT_TRUE(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, ecran->root, a->atom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_flush(c);

    QTemporaryDir dossier;
    LinuxRegistry r({dossier.path() + "/config", dossier.path() + "/home", {}, dossier.path() + "/fond.png"},
                    [](const QString&, const QStringList&, QByteArray&) { return false; });
    QString valeur;
    const bool lu = r.readValue(RegistryRoot::HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", valeur);

    xcb_delete_property(c, ecran->root, a->atom);
    xcb_free_gc(c, gc);
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    std::free(a);

    ASSERT_TRUE(lu);
    EXPECT_EQ(valeur, dossier.path() + "/fond.png");
    const QImage image(valeur);
    ASSERT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(0x33, 0x66, 0x99));
}
