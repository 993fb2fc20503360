#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

// What the X11 parts of the platform share to speak to the X server through Qt's own
// connection. GUI thread only.
namespace platform::x11 {

// Qt's connection to the X server; null without one (another Qt platform, no application).
inline xcb_connection_t* xcbConnection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// xcb hands out replies and errors allocated with malloc.
struct MallocFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, MallocFree>;

} // namespace platform::x11
