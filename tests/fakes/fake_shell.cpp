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

void FakeShell::prepareDock(QWidget* fenetre) { docks.push_back(fenetre); }

int32_t FakeShell::appBarMessage(AppBarMessage message, APPBARDATA& donnees) {
    BarCall call{message, donnees, donnees};
    int32_t resultat = 1;
    switch (message) {
    case ABM_NEW: registered = donnees.hWnd; break;
    case ABM_QUERYPOS:
        if (otherTopBar > donnees.rc.top) donnees.rc.top = otherTopBar;
        break;
    case ABM_SETPOS: reservedBottom = donnees.rc.bottom; break;
    case ABM_REMOVE:
        registered = nullptr;
        reservedBottom = -1;
        break;
    }
    call.returned = donnees;
    barCalls.push_back(call);
    return resultat;
}

void FakeShell::setWindowPos(QWidget* fenetre, InsertAfter apres, int x, int y, int cx, int cy, uint32_t drapeaux) {
    positions.push_back({fenetre, apres, x, y, cx, cy, drapeaux});
    if (!moveWindows || !fenetre) return;
    fenetre->window()->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    if ((drapeaux & SWP_SHOWWINDOW) && !fenetre->window()->isVisible()) fenetre->window()->show();
}

void FakeShell::trayAdd(const QIcon& icone, const QString& infobulle) {
    ++trayAdds;
    if (!trayHost) return;
    trayShown = true;
    trayIcon = icone;
    trayTip = infobulle;
}

void FakeShell::trayModify(const QIcon& icone, const QString& infobulle) {
    ++trayModifies;
    if (!trayShown) return;
    trayIcon = icone;
    trayTip = infobulle;
}

void FakeShell::trayDelete() {
    ++trayDeletes;
    trayShown = false;
    trayTip.clear();
    trayIcon = QIcon();
}

} // namespace tk
