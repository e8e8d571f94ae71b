#include "platform/linux/linux_shell.h"

#include "platform/linux/x11_connection.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <xcb/randr.h>
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

// How long the desktop must stay quiet after a change before it is looked
// at (a panel sets its reservation in several steps), and how soon a bar
// that could not dock at that moment is told again.
constexpr int kSettleMs = 250;
constexpr int kRetryMs = 500;

QScreen* primary() { return QGuiApplication::primaryScreen(); }

double ratio() {
    QScreen* s = primary();
    return s ? s->devicePixelRatio() : 1.0;
}

// The primary screen as Qt knows it, in device pixels.
QRect primaryQt() {
    QScreen* s = primary();
    if (!s) return {};
    const QRect g = s->geometry();
    const double r = s->devicePixelRatio();
    return QRect(QPoint(int(std::lround(g.x() * r)), int(std::lround(g.y() * r))),
                 QSize(int(std::lround(g.width() * r)), int(std::lround(g.height() * r))));
}

} // namespace

// Receives the X events the shell watches (Qt hands every event to native
// filters before handling it; none is taken away from Qt) and Qt's screen
// changes, and runs the desktop check once they have settled.
class LinuxShell::Watcher : public QObject, public QAbstractNativeEventFilter {
public:
    explicit Watcher(LinuxShell& shell) : shell_(shell) {
        // The atoms and the root window are looked up once: every X event passes here.
        rootWindow_ = shell_.root();
        workArea_ = shell_.atom("_NET_WORKAREA");
        clientList_ = shell_.atom("_NET_CLIENT_LIST");
        strut_ = shell_.atom("_NET_WM_STRUT");
        strutPartial_ = shell_.atom("_NET_WM_STRUT_PARTIAL");
        manager_ = shell_.atom("MANAGER");
        trayAtom_ = shell_.atom("_NET_SYSTEM_TRAY_S0");
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { shell_.checkDesktop(); });
        if (auto* app = qGuiApp) {
            QObject::connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
                follow(s);
                soon();
            });
            QObject::connect(app, &QGuiApplication::screenRemoved, this, [this] { soon(); });
            QObject::connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { soon(); });
            for (QScreen* s : QGuiApplication::screens()) follow(s);
        }
        if (QCoreApplication::instance()) QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Watcher() override {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    // A change may have happened: looked at once the desktop is quiet for a moment.
    void soon(int ms = kSettleMs) {
        if (!timer_.isActive() || ms > kSettleMs) timer_.start(ms);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !message) return false;
        const auto* ev = static_cast<const xcb_generic_event_t*>(message);
        switch (ev->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
            if (p->window == rootWindow_) {
                if (p->atom == workArea_ || p->atom == clientList_) soon();
            } else if (p->atom == strutPartial_ || p->atom == strut_) {
                if (watched(p->window)) soon();
            }
            break;
        }
        case XCB_CONFIGURE_NOTIFY: // the root window's size: a screen or monitor change
            if (reinterpret_cast<const xcb_configure_notify_event_t*>(ev)->window == rootWindow_) soon();
            break;
        case XCB_MAP_NOTIFY:
            if (watched(reinterpret_cast<const xcb_map_notify_event_t*>(ev)->window)) soon();
            break;
        case XCB_UNMAP_NOTIFY:
            if (watched(reinterpret_cast<const xcb_unmap_notify_event_t*>(ev)->window)) soon();
            break;
        case XCB_DESTROY_NOTIFY:
            if (watched(reinterpret_cast<const xcb_destroy_notify_event_t*>(ev)->window)) soon();
            break;
        case XCB_CLIENT_MESSAGE: {
            // A tray host announces itself with a MANAGER message on the root window.
            const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(ev);
            if (m->format == 32 && m->type == manager_ && m->data.data32[1] == trayAtom_)
                QTimer::singleShot(0, this, [this] { shell_.trayHostCame(); });
            break;
        }
        default: break;
        }
        return false;
    }

private:
    bool watched(uint32_t window) const {
        return std::find(shell_.watched_.begin(), shell_.watched_.end(), window) != shell_.watched_.end();
    }
    void follow(QScreen* s) {
        QObject::connect(s, &QScreen::geometryChanged, this, [this] { soon(); });
    }

    LinuxShell& shell_;
    QTimer timer_;
    uint32_t rootWindow_ = 0, workArea_ = 0, clientList_ = 0, strut_ = 0, strutPartial_ = 0, manager_ = 0,
             trayAtom_ = 0;
};

LinuxShell::LinuxShell() = default;

LinuxShell::~LinuxShell() = default;

xcb_connection_t* LinuxShell::connection() const { return qtX11Connection(); }

uint32_t LinuxShell::root() const {
    xcb_connection_t* c = connection();
    if (!c) return 0;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.rem ? it.data->root : 0;
}

uint32_t LinuxShell::atom(const char* name) {
    const QByteArray key(name);
    auto found = atoms_.constFind(key);
    if (found != atoms_.constEnd()) return *found;
    xcb_connection_t* c = connection();
    if (!c) return XCB_ATOM_NONE;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(key.size()), name), nullptr);
    const uint32_t a = r ? r->atom : uint32_t(XCB_ATOM_NONE);
    std::free(r);
    if (a != XCB_ATOM_NONE) atoms_.insert(key, a);
    return a;
}

uint32_t LinuxShell::windowOf(QWidget* window, bool create) {
    if (!window || !connection()) return 0;
    QWidget* w = window->window();
    return static_cast<uint32_t>(create ? w->winId() : w->internalWinId());
}

std::vector<uint32_t> LinuxShell::cardinals(uint32_t window, const char* property, uint32_t type) {
    std::vector<uint32_t> values;
    xcb_connection_t* c = connection();
    if (!c || !window) return values;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom(property), type, 0, 1024), nullptr);
    if (r && r->type == type && r->format == 32) {
        const auto* p = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(p, p + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return values;
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

// The X server's monitors (RandR 1.5), primary first; empty without them.
// Qt's screens are not always told of a monitor that moves or changes size
// (an update in place keeps the old geometry), so the server is asked.
QList<QRect> LinuxShell::serverMonitors() {
    QList<QRect> list;
    xcb_connection_t* c = connection();
    if (!c) return list;
    if (randr15_ < 0) {
        randr15_ = 0;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
        if (ext && ext->present) {
            xcb_randr_query_version_reply_t* v =
                xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr);
            if (v && (v->major_version > 1 || (v->major_version == 1 && v->minor_version >= 5))) randr15_ = 1;
            std::free(v);
        }
    }
    if (randr15_ != 1) return list;
    xcb_randr_get_monitors_reply_t* r = xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root(), 1), nullptr);
    if (!r) return list;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(r); it.rem; xcb_randr_monitor_info_next(&it)) {
        const QRect m(it.data->x, it.data->y, it.data->width, it.data->height);
        if (it.data->primary) list.prepend(m);
        else list.append(m);
    }
    std::free(r);
    return list;
}

QRect LinuxShell::primaryDevice() {
    const QList<QRect> m = serverMonitors();
    return m.isEmpty() ? primaryQt() : m.first();
}

// The primary monitor's top left corner in Qt's coordinates.
QPoint LinuxShell::origin() {
    const QRect m = primaryDevice();
    const double r = ratio();
    return QPoint(int(std::lround(m.x() / r)), int(std::lround(m.y() / r)));
}

bool LinuxShell::ourWindow(uint32_t window) {
    for (QWindow* w : QGuiApplication::allWindows())
        if (w->handle() && static_cast<uint32_t>(w->winId()) == window) return true;
    return false;
}

int LinuxShell::othersTop() {
    const QRect screen = primaryDevice();
    int top = 0;
    for (uint32_t client : cardinals(root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        if (ourWindow(client)) continue;
        // Reservations count from the desktop's top; the bar's from its monitor's.
        int64_t reserve = 0;
        const auto partial = cardinals(client, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL);
        if (partial.size() >= 12) {
            const int64_t start = partial[8], end = partial[9];
            if (partial[2] > 0 && start <= screen.right() && end >= screen.left()) reserve = partial[2];
        } else {
            const auto strut = cardinals(client, "_NET_WM_STRUT", XCB_ATOM_CARDINAL);
            if (strut.size() >= 4) reserve = strut[2];
        }
        top = std::max<int64_t>(top, std::clamp<int64_t>(reserve - screen.top(), 0, screen.height()));
    }
    return top;
}

LinuxShell::Surroundings LinuxShell::surroundings() {
    Surroundings v;
    v.screens = serverMonitors();
    if (v.screens.isEmpty())
        for (QScreen* s : QGuiApplication::screens()) v.screens.push_back(s->geometry());
    v.monitor = primaryDevice();
    if (connection() && windowManagerRunning()) v.others = othersTop();
    return v;
}

void LinuxShell::prepareDock(QWidget* window) {
    if (!window) return;
    QWidget* w = window->window();
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
    const uint32_t states[] = {atom("_NET_WM_STATE_ABOVE"), atom("_NET_WM_STATE_STICKY")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &kAllDesktops);
    xcb_flush(c);
}

int32_t LinuxShell::appBarMessage(AppBarMessage message, APPBARDATA& data) {
    switch (message) {
    case ABM_NEW:
        if (!data.hWnd) return 0;
        registered_ = data.hWnd->window();
        return 1;
    case ABM_QUERYPOS: queryPos(data); return 1;
    case ABM_SETPOS:
        if (!data.hWnd) return 0;
        setPos(data);
        return 1;
    case ABM_REMOVE:
        removeReservation(data.hWnd ? data.hWnd : registered_.data());
        registered_ = nullptr;
        return 1;
    }
    return 0;
}

// Moves the rectangle's top below the strips other programs reserve at the
// top edge of the primary monitor. Leaves the record alone when no window
// manager keeps a work area.
void LinuxShell::queryPos(APPBARDATA& data) {
    known_ = surroundings();
    const int zone = workAreaTop();
    if (zone < 0) return;
    const int top = known_->others;
    const int monitorArea = std::max(0, zone - primaryDevice().top());
    // The work area also counts the window manager's own margins, but it can
    // only be trusted once it no longer holds a reservation of ours (a re-dock
    // queries right after removing it). What the other reservations do not
    // explain is kept for the queries that cannot trust it.
    if (!reserved_ && (!sinceChange_.isValid() || sinceChange_.elapsed() >= kWorkAreaSettleMs))
        wmMargin_ = monitorArea > top ? monitorArea : 0;
    const int bottom = std::max(top, wmMargin_);
    const int logicalTop = static_cast<int>(std::ceil(bottom / ratio() - 1e-9));
    if (logicalTop > data.rc.top) data.rc.top = logicalTop;
}

// The reservation runs from the desktop's top down to the bar's bottom, over
// the primary monitor's columns only.
void LinuxShell::setPos(const APPBARDATA& data) {
    xcb_connection_t* c = connection();
    if (!c) return;
    const uint32_t id = windowOf(data.hWnd, true);
    const QRect screen = primaryDevice();
    const long bottom = std::lround(data.rc.bottom * ratio());
    const uint32_t top = static_cast<uint32_t>(bottom > 0 ? screen.top() + bottom : 0);
    const uint32_t partial[12] = {0,
                                  0,
                                  top,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  static_cast<uint32_t>(screen.left()),
                                  static_cast<uint32_t>(std::max(screen.left(), screen.right())),
                                  0,
                                  0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                        partial);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4, partial);
    xcb_flush(c);
    reserved_ = true;
    sinceChange_.start();
}

// A reservation of nothing rather than none: some window managers (fluxbox)
// do not give the strip back when the properties are deleted.
void LinuxShell::removeReservation(QWidget* window) {
    xcb_connection_t* c = connection();
    const uint32_t id = windowOf(window, false);
    if (c && id) {
        const uint32_t nothing[12] = {};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12,
                            nothing);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4, nothing);
        xcb_flush(c);
    }
    if (reserved_) sinceChange_.start();
    reserved_ = false;
}

void LinuxShell::keepAbove(QWidget* window) {
    xcb_connection_t* c = connection();
    const uint32_t id = windowOf(window, false);
    if (!c || !id) return;
    if (!window->window()->isVisible()) {
        // Not mapped: the window manager reads the property when it maps it.
        auto states = cardinals(id, "_NET_WM_STATE", XCB_ATOM_ATOM);
        const uint32_t above = atom("_NET_WM_STATE_ABOVE");
        if (std::find(states.begin(), states.end(), above) == states.end()) {
            states.push_back(above);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                                static_cast<uint32_t>(states.size()), states.data());
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
        xcb_send_event(c, 0, root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
    }
    const uint32_t stack = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_STACK_MODE, &stack);
}

void LinuxShell::setWindowPos(QWidget* window, InsertAfter insertAfter, int x, int y, int cx, int cy, uint32_t flags) {
    if (!window) return;
    QWidget* w = window->window();
    // A window manager that keeps docks in place would leave a bar meant to
    // be above the screen's edge where it is, covering what it should give
    // back: the bar keeps only its rows that would be on the screen, at the
    // top (one row when hidden), and its dock area shrinks with it.
    if (y < 0 && w->testAttribute(Qt::WA_X11NetWmWindowTypeDock) && keepsDocksInPlace()) {
        cy = std::max(1, cy + y);
        y = 0;
    }
    const QPoint o = origin();
    w->setGeometry(o.x() + x, o.y() + y, std::max(cx, 0), std::max(cy, 0));
    // Qt skips a move to where its cached geometry says the window already is,
    // and that cache can lag behind the window manager during a slide; so the
    // request also goes to the X server directly.
    xcb_connection_t* c = connection();
    if (const uint32_t id = windowOf(w, false); c && id) {
        const double r = ratio();
        const QRect screen = primaryDevice();
        const uint32_t values[] = {static_cast<uint32_t>(static_cast<int32_t>(screen.left() + std::lround(x * r))),
                                   static_cast<uint32_t>(static_cast<int32_t>(screen.top() + std::lround(y * r))),
                                   static_cast<uint32_t>(std::max<long>(1, std::lround(cx * r))),
                                   static_cast<uint32_t>(std::max<long>(1, std::lround(cy * r)))};
        xcb_configure_window(
            c, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            values);
    }
    if (insertAfter == InsertAfter::HWND_TOPMOST) keepAbove(w);
    else if (w->isVisible()) w->raise();
    // Showing never activates: the window takes no focus (see prepareDock).
    if ((flags & SWP_SHOWWINDOW) && !w->isVisible()) w->show();
    if (c) xcb_flush(c);
}

bool LinuxShell::keepsDocksInPlace() {
    const auto check = cardinals(root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    const uint32_t wmWindow = check.empty() ? 0 : check[0];
    if (wmWindow == wmCheck_) return wmKeepsDocks_;
    wmCheck_ = wmWindow;
    wmKeepsDocks_ = false;
    xcb_connection_t* c = connection();
    if (!c || !wmWindow) return false;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, wmWindow, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 64), nullptr);
    if (r && r->format == 8) {
        const QByteArray name(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        wmKeepsDocks_ = name == "i3";
    }
    std::free(r);
    return wmKeepsDocks_;
}

void LinuxShell::watchDesktop(std::function<bool()> changed) {
    changed_ = std::move(changed);
    if (!watcher_) watcher_ = std::make_unique<Watcher>(*this);
    watchClients();
}

void LinuxShell::checkDesktop() {
    watchClients();
    const Surroundings v = surroundings();
    if (known_ && *known_ == v) return;
    if (!known_ || !changed_) {
        known_ = v;
        return;
    }
    if (changed_()) {
        // A re-dock records what it docked against; anything else is taken as seen.
        if (!known_ || !(*known_ == surroundings())) known_ = surroundings();
    } else if (watcher_) {
        watcher_->soon(kRetryMs);
    }
}

// Every other client's reservation and mapping are watched; our own windows
// keep the event mask Qt gave them.
void LinuxShell::watchClients() {
    xcb_connection_t* c = connection();
    if (!c) return;
    std::vector<uint32_t> clients;
    for (uint32_t client : cardinals(root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        if (ourWindow(client)) continue;
        clients.push_back(client);
        if (std::find(watched_.begin(), watched_.end(), client) != watched_.end()) continue;
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        // Checked, so that a client gone meanwhile is no error for Qt to print.
        std::free(xcb_request_check(c, xcb_change_window_attributes_checked(c, client, XCB_CW_EVENT_MASK, &mask)));
    }
    watched_ = std::move(clients);
}

int LinuxShell::screenWidth() { return static_cast<int>(std::lround(primaryDevice().width() / ratio())); }

int LinuxShell::screenHeight() { return static_cast<int>(std::lround(primaryDevice().height() / ratio())); }

QPoint LinuxShell::cursorPos() { return QCursor::pos() - origin(); }

bool LinuxShell::trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

// At most one icon: adding again only updates it. It is created whether or
// not a tray host is there: it shows as soon as one starts. Its signals are
// never connected, so clicks on it do nothing.
void LinuxShell::trayAdd(const QIcon& icon, const QString& toolTip) {
    trayIcon_ = icon;
    trayTip_ = toolTip;
    if (!tray_) tray_ = std::make_unique<QSystemTrayIcon>();
    tray_->setIcon(icon);
    tray_->setToolTip(toolTip);
    tray_->show();
}

void LinuxShell::trayModify(const QIcon& icon, const QString& toolTip) {
    if (!tray_) return;
    trayIcon_ = icon;
    trayTip_ = toolTip;
    tray_->setIcon(icon);
    tray_->setToolTip(toolTip);
}

void LinuxShell::trayDelete() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
}

// A tray host started: an icon asked for while there was none is put up again
// so that it is embedded in the new host.
void LinuxShell::trayHostCame() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
    trayAdd(trayIcon_, trayTip_);
}

} // namespace tk
