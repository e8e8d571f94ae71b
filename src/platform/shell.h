// The desktop shell: application-bar reservation, window placement, screen
// metrics, the mouse position and the tray icon.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace tk {

struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The application-bar record: size, window, notification message, edge, rectangle (pixels).
struct APPBARDATA {
    int32_t cbSize = 0;
    QWidget* hWnd = nullptr;
    int32_t uCallbackMessage = 0;
    int32_t uEdge = 0;
    RECT rc;
    int32_t lParam = 0;
};

enum AppBarMessage { ABM_NEW = 0, ABM_REMOVE = 1, ABM_QUERYPOS = 2, ABM_SETPOS = 3 };
constexpr int32_t ABE_TOP = 1;
constexpr int32_t WM_MOUSEMOVE = 0x200;

enum class InsertAfter { HWND_TOP, HWND_TOPMOST };
enum PositionFlags : uint32_t { SWP_NOACTIVATE = 0x10, SWP_SHOWWINDOW = 0x40 };

class Shell {
public:
    virtual ~Shell() = default;

    // Prepares a window to act as a dock (window type, no focus); call before it is first shown.
    virtual void prepareDock(QWidget* window) = 0;
    virtual int32_t appBarMessage(AppBarMessage message, APPBARDATA& data) = 0;
    virtual void setWindowPos(QWidget* window, InsertAfter insertAfter, int x, int y, int cx, int cy,
                              uint32_t flags) = 0;

    // Calls `changed`, from the event loop, when the desktop around the bar
    // has changed: another program's reservation at the top edge came, went
    // or moved, or the monitors did (a primary monitor, a resolution). A
    // change of our own reservation never calls it. When `changed` answers
    // false (it cannot act now) it is called again a little later.
    virtual void watchDesktop(std::function<bool()> changed) { (void)changed; }

    // Primary screen size in pixels, and the mouse position in screen pixels.
    // Screen pixels count from the primary monitor's top left corner, which
    // is where the bar's rectangle (0, 0, width, height) lies.
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    virtual QPoint cursorPos() = 0;

    // Tray icon: add (or replace) with an icon and a tool-tip; remove. No reaction to clicks.
    virtual bool trayAvailable() = 0;
    virtual void trayAdd(const QIcon& icon, const QString& toolTip) = 0;
    virtual void trayModify(const QIcon& icon, const QString& toolTip) = 0;
    virtual void trayDelete() = 0;
};

} // namespace tk
