// A recording shell for unit tests: every application-bar message and window
// placement is kept in order; screen, mouse, other top bars and the tray host
// are set by the test.
#pragma once

#include "platform/shell.h"

#include <QIcon>
#include <QString>
#include <vector>

namespace tk {

class FakeShell : public Shell {
public:
    struct BarCall {
        AppBarMessage message;
        APPBARDATA sent;     // the record as the caller passed it
        APPBARDATA returned; // the record as the shell left it
    };
    struct PosCall {
        QWidget* window;
        InsertAfter insertAfter;
        int x, y, cx, cy;
        uint32_t flags;
    };

    // Set by the test.
    int width = 1280;
    int height = 800;
    QPoint cursor;
    int otherTopBar = 0;     // bottom of another program's bar at the top edge; ABM_QUERYPOS moves the top to it
    bool trayHost = true;    // a system tray is available
    bool moveWindows = true; // setWindowPos also moves (and with SWP_SHOWWINDOW shows) the widget

    // Recorded.
    std::vector<BarCall> barCalls;
    std::vector<PosCall> positions;
    std::vector<QWidget*> docks; // windows passed to prepareDock
    QWidget* registered = nullptr;
    int reservedBottom = -1; // our reservation's bottom, -1 when none
    bool trayShown = false;
    QIcon trayIcon;
    std::function<bool()> desktopChanged; // what watchDesktop was given
    QString trayTip;
    int trayAdds = 0, trayModifies = 0, trayDeletes = 0;

    // The messages alone, in order.
    std::vector<AppBarMessage> messages() const;
    // The top of the work area: below other bars and our own reservation.
    int workAreaTop() const;
    void clearCalls();

    void prepareDock(QWidget* window) override;
    int32_t appBarMessage(AppBarMessage message, APPBARDATA& data) override;
    void setWindowPos(QWidget* window, InsertAfter insertAfter, int x, int y, int cx, int cy, uint32_t flags) override;
    void watchDesktop(std::function<bool()> changed) override { desktopChanged = std::move(changed); }
    int screenWidth() override { return width; }
    int screenHeight() override { return height; }
    QPoint cursorPos() override { return cursor; }
    bool trayAvailable() override { return trayHost; }
    void trayAdd(const QIcon& icon, const QString& toolTip) override;
    void trayModify(const QIcon& icon, const QString& toolTip) override;
    void trayDelete() override;
};

} // namespace tk
