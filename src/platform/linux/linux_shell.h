// The desktop shell on X11: the bar is a dock window whose reservation is
// _NET_WM_STRUT_PARTIAL (+ _NET_WM_STRUT) on the primary monitor; the tray
// icon is a QSystemTrayIcon. Without an X display (offscreen platform) the
// window manager calls do nothing and the screen facts come from Qt.
//
// Positions given to and returned by this shell count from the primary
// monitor's top left corner (where the bar's rectangle 0, 0, width, height
// lies); the shell adds that corner's place on the desktop. Reservations
// count from the desktop's top edge, as the window manager reads them.
//
// The shell watches the desktop around the bar (watchDesktop): the root
// window's work area and client list, the reservations of the other clients
// and their mapping, and Qt's screens. A change that moves what the bar
// docks against (the other clients' reservations on the primary monitor,
// the monitors) is reported once things have settled for a moment; changes
// of our own reservation are not, since they do not change that.
#pragma once

#include "platform/shell.h"

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QSystemTrayIcon;
struct xcb_connection_t;

namespace tk {

class LinuxShell : public Shell {
public:
    LinuxShell();
    ~LinuxShell() override;
    LinuxShell(const LinuxShell&) = delete;
    LinuxShell& operator=(const LinuxShell&) = delete;

    void prepareDock(QWidget* window) override;
    int32_t appBarMessage(AppBarMessage message, APPBARDATA& data) override;
    void setWindowPos(QWidget* window, InsertAfter insertAfter, int x, int y, int cx, int cy, uint32_t flags) override;
    void watchDesktop(std::function<bool()> changed) override;

    int screenWidth() override;
    int screenHeight() override;
    QPoint cursorPos() override;

    bool trayAvailable() override;
    void trayAdd(const QIcon& icon, const QString& toolTip) override;
    void trayModify(const QIcon& icon, const QString& toolTip) override;
    void trayDelete() override;

    // The top of the window manager's work area in device pixels, counted
    // from the desktop's top; -1 when there is no window manager or no work area.
    int workAreaTop();
    // The icon exists (it shows as soon as a tray host is there).
    bool hasTrayIcon() const { return tray_ != nullptr; }
    // The window manager keeps dock windows where it puts them and sizes its
    // dock area from their height (i3): a bar above the screen's edge is
    // then shown as its visible rows instead of being moved.
    bool keepsDocksInPlace();

    class Watcher;

private:
    friend class Watcher;
    // What the bar docks against: the primary monitor, all monitors, and
    // the lowest top reservation of the other clients on the primary.
    struct Surroundings {
        QRect monitor;
        QList<QRect> screens;
        int others = 0;
        bool operator==(const Surroundings&) const = default;
    };

    xcb_connection_t* connection() const;
    uint32_t root() const;
    uint32_t atom(const char* name);
    uint32_t windowOf(QWidget* window, bool create);
    std::vector<uint32_t> cardinals(uint32_t window, const char* property, uint32_t type);
    bool windowManagerRunning();
    // The monitors as the X server has them now (primary first), the primary
    // monitor in device pixels, and its top left corner in Qt's coordinates.
    QList<QRect> serverMonitors();
    QRect primaryDevice();
    QPoint origin();
    // One of this program's own windows (bar, dialogs, balloons, tray icon).
    static bool ourWindow(uint32_t window);
    // The lowest top reservation of the other clients that covers the primary
    // monitor, counted from that monitor's top.
    int othersTop();
    Surroundings surroundings();
    void queryPos(APPBARDATA& data);
    void setPos(const APPBARDATA& data);
    void removeReservation(QWidget* window);
    void keepAbove(QWidget* window);
    // Desktop watching: the check once things settled, and the choice of the
    // clients whose reservations are watched.
    void checkDesktop();
    void watchClients();
    void trayHostCame();

    QHash<QByteArray, uint32_t> atoms_;
    QPointer<QWidget> registered_;
    bool reserved_ = false;
    QElapsedTimer sinceChange_; // since our reservation last changed; invalid when it never did
    // The top of the work area last read while it could be trusted, when the
    // other clients' reservations did not explain it (the window manager's own
    // margin, a panel without a reservation property); 0 otherwise.
    int wmMargin_ = 0;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QIcon trayIcon_;
    QString trayTip_;

    std::unique_ptr<Watcher> watcher_;
    std::function<bool()> changed_;
    std::optional<Surroundings> known_; // what the bar last docked against
    std::vector<uint32_t> watched_;     // other clients whose properties we receive
    int randr15_ = -1;                  // the server has RandR 1.5 monitors (1), not (0), unknown (-1)
    uint32_t wmCheck_ = 0;              // the window manager whose name was read
    bool wmKeepsDocks_ = false;
};

} // namespace tk
