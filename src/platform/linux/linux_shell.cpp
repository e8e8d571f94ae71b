#include "platform/linux/linux_shell.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tk {

namespace {

// Right after our own reservation changed, the window manager may not have
// recomputed its work area yet; within this delay the work area may still
// hold our old strip, so only the other clients' reservations are trusted.
constexpr qint64 kWorkAreaSettleMs = 1000;

constexpr uint32_t kNetWmStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;
constexpr uint32_t kAllDesktops = 0xFFFFFFFF;

QScreen* primary() { return QGuiApplication::primaryScreen(); }

double ratio() {
    QScreen* s = primary();
    return s ? s->devicePixelRatio() : 1.0;
}

// The primary screen in device pixels (x, y, right-exclusive, bottom-exclusive).
QRect primaryDevice() {
    QScreen* s = primary();
    if (!s) return {};
    const QRect g = s->geometry();
    const double r = s->devicePixelRatio();
    return QRect(QPoint(int(std::lround(g.x() * r)), int(std::lround(g.y() * r))),
                 QSize(int(std::lround(g.width() * r)), int(std::lround(g.height() * r))));
}

} // namespace

LinuxShell::LinuxShell() = default;

LinuxShell::~LinuxShell() = default;

xcb_connection_t* LinuxShell::connection() const {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

uint32_t LinuxShell::root() const {
    xcb_connection_t* c = connection();
    if (!c) return 0;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.rem ? it.data->root : 0;
}

uint32_t LinuxShell::atom(const char* nom) {
    const QByteArray cle(nom);
    auto found = atoms_.constFind(cle);
    if (found != atoms_.constEnd()) return *found;
    xcb_connection_t* c = connection();
    if (!c) return XCB_ATOM_NONE;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(cle.size()), nom), nullptr);
    const uint32_t a = r ? r->atom : uint32_t(XCB_ATOM_NONE);
    std::free(r);
    if (a != XCB_ATOM_NONE) atoms_.insert(cle, a);
    return a;
}

uint32_t LinuxShell::windowOf(QWidget* fenetre, bool creer) {
    if (!fenetre || !connection()) return 0;
    QWidget* w = fenetre->window();
    return static_cast<uint32_t>(creer ? w->winId() : w->internalWinId());
}

std::vector<uint32_t> LinuxShell::cardinals(uint32_t fenetre, const char* propriete, uint32_t type) {
    std::vector<uint32_t> valeurs;
    xcb_connection_t* c = connection();
    if (!c || !fenetre) return valeurs;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, fenetre, atom(propriete), type, 0, 1024), nullptr);
    if (r && r->type == type && r->format == 32) {
        const auto* p = static_cast<const uint32_t*>(xcb_get_property_value(r));
        valeurs.assign(p, p + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return valeurs;
}

bool LinuxShell::windowManagerRunning() {
    const auto check = cardinals(root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (check.empty() || check[0] == 0) return false;
    // A stale property left by a window manager that has gone points nowhere.
    const auto self = cardinals(check[0], "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    return !self.empty() && self[0] == check[0];
}

int LinuxShell::workAreaTop() {
    if (!connection() || !windowManagerRunning()) return -1;
    const auto zone = cardinals(root(), "_NET_WORKAREA", XCB_ATOM_CARDINAL);
    if (zone.size() < 4) return -1;
    return static_cast<int>(zone[1]);
}

int LinuxShell::othersTop(uint32_t nous) {
    const QRect ecran = primaryDevice();
    int haut = 0;
    for (uint32_t client : cardinals(root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        if (client == nous) continue;
        const auto partiel = cardinals(client, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL);
        if (partiel.size() >= 12) {
            const int64_t debut = partiel[8], fin = partiel[9];
            if (partiel[2] > 0 && debut <= ecran.right() && fin >= ecran.left())
                haut = std::max(haut, static_cast<int>(partiel[2]));
            continue;
        }
        const auto strut = cardinals(client, "_NET_WM_STRUT", XCB_ATOM_CARDINAL);
        if (strut.size() >= 4) haut = std::max(haut, static_cast<int>(strut[2]));
    }
    return haut;
}

void LinuxShell::prepareDock(QWidget* fenetre) {
    if (!fenetre) return;
    QWidget* w = fenetre->window();
    w->setWindowFlags(w->windowFlags() | Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    xcb_connection_t* c = connection();
    if (!c) return;
    // The window manager reads these when the window is first mapped; Qt
    // merges its own states into _NET_WM_STATE rather than replacing it.
    const uint32_t id = windowOf(w, true);
    const uint32_t type = atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    const uint32_t etats[] = {atom("_NET_WM_STATE_ABOVE"), atom("_NET_WM_STATE_STICKY")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, etats);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &kAllDesktops);
    xcb_flush(c);
}

int32_t LinuxShell::appBarMessage(MessageBarre message, APPBARDATA& donnees) {
    switch (message) {
    case ABM_NEW:
        if (!donnees.hWnd) return 0;
        registered_ = donnees.hWnd->window();
        return 1;
    case ABM_QUERYPOS:
        queryPos(donnees);
        return 1;
    case ABM_SETPOS:
        if (!donnees.hWnd) return 0;
        setPos(donnees);
        return 1;
    case ABM_REMOVE:
        removeReservation(donnees.hWnd ? donnees.hWnd : registered_.data());
        registered_ = nullptr;
        return 1;
    }
    return 0;
}

// Moves the rectangle's top below the strips other programs reserve at the
// top edge. Leaves the record alone when no window manager keeps a work area.
void LinuxShell::queryPos(APPBARDATA& donnees) {
    const int zone = workAreaTop();
    if (zone < 0) return;
    int haut = othersTop(windowOf(donnees.hWnd, false));
    // The work area also counts the window manager's own margins, but it can
    // only be trusted once it no longer holds a reservation of ours (a re-dock
    // queries right after removing it). What the other reservations do not
    // explain is kept for the queries that cannot trust it.
    if (!reserved_ && (!sinceChange_.isValid() || sinceChange_.elapsed() >= kWorkAreaSettleMs))
        margeGestionnaire_ = zone > haut ? zone : 0;
    haut = std::max(haut, margeGestionnaire_);
    const int hautLogique = static_cast<int>(std::ceil(haut / ratio() - 1e-9));
    if (hautLogique > donnees.rc.top) donnees.rc.top = hautLogique;
}

void LinuxShell::setPos(const APPBARDATA& donnees) {
    xcb_connection_t* c = connection();
    if (!c) return;
    const uint32_t id = windowOf(donnees.hWnd, true);
    const QRect ecran = primaryDevice();
    const uint32_t haut = static_cast<uint32_t>(std::max<long>(0, std::lround(donnees.rc.bottom * ratio())));
    const uint32_t partiel[12] = {0, 0, haut, 0, 0, 0, 0, 0, static_cast<uint32_t>(ecran.left()),
                                  static_cast<uint32_t>(std::max(ecran.left(), ecran.right())), 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                        partiel);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4, partiel);
    xcb_flush(c);
    reserved_ = true;
    sinceChange_.start();
}

void LinuxShell::removeReservation(QWidget* fenetre) {
    xcb_connection_t* c = connection();
    const uint32_t id = windowOf(fenetre, false);
    if (c && id) {
        xcb_delete_property(c, id, atom("_NET_WM_STRUT_PARTIAL"));
        xcb_delete_property(c, id, atom("_NET_WM_STRUT"));
        xcb_flush(c);
    }
    if (reserved_) sinceChange_.start();
    reserved_ = false;
}

void LinuxShell::keepAbove(QWidget* fenetre) {
    xcb_connection_t* c = connection();
    const uint32_t id = windowOf(fenetre, false);
    if (!c || !id) return;
    if (!fenetre->window()->isVisible()) {
        // Not mapped: the window manager reads the property when it maps it.
        auto etats = cardinals(id, "_NET_WM_STATE", XCB_ATOM_ATOM);
        const uint32_t above = atom("_NET_WM_STATE_ABOVE");
        if (std::find(etats.begin(), etats.end(), above) == etats.end()) {
            etats.push_back(above);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                                static_cast<uint32_t>(etats.size()), etats.data());
        }
    } else {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = id;
        ev.type = atom("_NET_WM_STATE");
        ev.data.data32[0] = kNetWmStateAdd;
        ev.data.data32[1] = atom("_NET_WM_STATE_ABOVE");
        ev.data.data32[3] = kSourceApplication;
        xcb_send_event(c, 0, root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
    }
    const uint32_t pile = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_STACK_MODE, &pile);
}

void LinuxShell::setWindowPos(QWidget* fenetre, InsererApres apres, int x, int y, int cx, int cy,
                              uint32_t drapeaux) {
    if (!fenetre) return;
    QWidget* w = fenetre->window();
    w->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    // Qt skips a move to where its cached geometry says the window already is,
    // and that cache can lag behind the window manager during a slide; so the
    // request also goes to the X server directly.
    xcb_connection_t* c = connection();
    if (const uint32_t id = windowOf(w, false); c && id) {
        const double r = ratio();
        const uint32_t valeurs[] = {
            static_cast<uint32_t>(static_cast<int32_t>(std::lround(x * r))),
            static_cast<uint32_t>(static_cast<int32_t>(std::lround(y * r))),
            static_cast<uint32_t>(std::max<long>(1, std::lround(cx * r))),
            static_cast<uint32_t>(std::max<long>(1, std::lround(cy * r)))};
        xcb_configure_window(c, id,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH
                                 | XCB_CONFIG_WINDOW_HEIGHT,
                             valeurs);
    }
    if (apres == InsererApres::HWND_TOPMOST)
        keepAbove(w);
    else if (w->isVisible())
        w->raise();
    // Showing never activates: the window takes no focus (see prepareDock).
    if ((drapeaux & SWP_SHOWWINDOW) && !w->isVisible()) w->show();
    if (c) xcb_flush(c);
}

int LinuxShell::screenWidth() {
    QScreen* s = primary();
    return s ? s->geometry().width() : 0;
}

int LinuxShell::screenHeight() {
    QScreen* s = primary();
    return s ? s->geometry().height() : 0;
}

QPoint LinuxShell::cursorPos() { return QCursor::pos(); }

bool LinuxShell::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

// At most one icon: adding again only updates it. Its signals are never
// connected, so clicks on it do nothing.
void LinuxShell::trayAdd(const QIcon& icone, const QString& infobulle) {
    if (!tray_) {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
        tray_ = std::make_unique<QSystemTrayIcon>();
    }
    tray_->setIcon(icone);
    tray_->setToolTip(infobulle);
    tray_->show();
}

void LinuxShell::trayModify(const QIcon& icone, const QString& infobulle) {
    if (!tray_) return;
    tray_->setIcon(icone);
    tray_->setToolTip(infobulle);
}

void LinuxShell::trayDelete() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
}

} // namespace tk
