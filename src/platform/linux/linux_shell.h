// The desktop shell on X11: the bar is a dock window whose reservation is
// _NET_WM_STRUT_PARTIAL (+ _NET_WM_STRUT) on the primary screen; the tray icon
// is a QSystemTrayIcon. Without an X display (offscreen platform) the window
// manager calls do nothing and the screen facts come from Qt.
#pragma once

#include "platform/shell.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>
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

    void prepareDock(QWidget* fenetre) override;
    int32_t appBarMessage(MessageBarre message, APPBARDATA& donnees) override;
    void setWindowPos(QWidget* fenetre, InsererApres apres, int x, int y, int cx, int cy,
                      uint32_t drapeaux) override;

    int screenWidth() override;
    int screenHeight() override;
    QPoint cursorPos() override;

    bool trayAvailable() override;
    void trayAdd(const QIcon& icone, const QString& infobulle) override;
    void trayModify(const QIcon& icone, const QString& infobulle) override;
    void trayDelete() override;

    // The top of the window manager's work area in device pixels; -1 when
    // there is no window manager or no work area.
    int workAreaTop();
    bool hasTrayIcon() const { return tray_ != nullptr; }

private:
    xcb_connection_t* connection() const;
    uint32_t root() const;
    uint32_t atom(const char* nom);
    uint32_t windowOf(QWidget* fenetre, bool creer);
    std::vector<uint32_t> cardinals(uint32_t fenetre, const char* propriete, uint32_t type);
    bool windowManagerRunning();
    // The lowest top reservation of the other clients that covers the primary screen.
    int othersTop(uint32_t nous);
    void queryPos(APPBARDATA& donnees);
    void setPos(const APPBARDATA& donnees);
    void removeReservation(QWidget* fenetre);
    void keepAbove(QWidget* fenetre);

    QHash<QByteArray, uint32_t> atoms_;
    QPointer<QWidget> registered_;
    bool reserved_ = false;
    QElapsedTimer sinceChange_; // since our reservation last changed; invalid when it never did
    // The top of the work area last read while it could be trusted, when the
    // other clients' reservations did not explain it (the window manager's own
    // margin, a panel without a reservation property); 0 otherwise.
    int margeGestionnaire_ = 0;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

} // namespace tk
