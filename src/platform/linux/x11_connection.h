#pragma once

#include <QGuiApplication>

namespace tk {

// The connection to the X server that Qt uses, or null: no application yet,
// or another platform (offscreen, Wayland).
inline xcb_connection_t* qtX11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace tk
