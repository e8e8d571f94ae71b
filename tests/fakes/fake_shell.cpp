#include "fakes/fake_shell.h"

#include <QWidget>
#include <algorithm>

namespace tk {

std::vector<AppBarMessage> FakeShell::messages() const {
    std::vector<AppBarMessage> m;
    for (const BarCall& c : barCalls) m.push_back(c.message);
    return m;
}

int FakeShell::workAreaTop() const { return std::max(otherTopBar, reservedBottom); }

void FakeShell::clearCalls() {
    barCalls.clear();
    positions.clear();
}

void FakeShell::prepareDock(QWidget* window) { docks.push_back(window); }

int32_t FakeShell::appBarMessage(AppBarMessage message, APPBARDATA& data) {
    BarCall call{message, data, data};
    int32_t result = 1;
    switch (message) {
    case ABM_NEW: registered = data.hWnd; break;
    case ABM_QUERYPOS:
        if (otherTopBar > data.rc.top) data.rc.top = otherTopBar;
        break;
    case ABM_SETPOS: reservedBottom = data.rc.bottom; break;
    case ABM_REMOVE:
        registered = nullptr;
        reservedBottom = -1;
        break;
    }
    call.returned = data;
    barCalls.push_back(call);
    return result;
}

void FakeShell::setWindowPos(QWidget* window, InsertAfter insertAfter, int x, int y, int cx, int cy, uint32_t flags) {
    positions.push_back({window, insertAfter, x, y, cx, cy, flags});
    if (!moveWindows || !window) return;
    window->window()->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    if ((flags & SWP_SHOWWINDOW) && !window->window()->isVisible()) window->window()->show();
}

void FakeShell::trayAdd(const QIcon& icon, const QString& toolTip) {
    ++trayAdds;
    if (!trayHost) return;
    trayShown = true;
    trayIcon = icon;
    trayTip = toolTip;
}

void FakeShell::trayModify(const QIcon& icon, const QString& toolTip) {
    ++trayModifies;
    if (!trayShown) return;
    trayIcon = icon;
    trayTip = toolTip;
}

void FakeShell::trayDelete() {
    ++trayDeletes;
    trayShown = false;
    trayTip.clear();
    trayIcon = QIcon();
}

} // namespace tk
