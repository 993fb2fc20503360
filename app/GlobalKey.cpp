#include "app/GlobalKey.h"

#include <QGuiApplication>
#include <QtDebug>

#ifdef CLIPNEST_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>

#include <X11/keysym.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

xcb_connection_t* xcbConnection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The grab must also match while Caps Lock or Num Lock (Mod2 on every common
// layout) is on, or the key would silently stop working with them.
const uint16_t kLockCombinations[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* s) const { xcb_key_symbols_free(s); }
};

struct MallocFree {
    void operator()(void* p) const { std::free(p); }
};

} // namespace
#endif

GlobalKey::GlobalKey(QObject* parent)
    : QObject(parent) {
    grab();
    if (grabbed_)
        qApp->installNativeEventFilter(this);
}

GlobalKey::~GlobalKey() {
    if (grabbed_ && qApp)
        qApp->removeNativeEventFilter(this);
    ungrab();
}

void GlobalKey::grab() {
#ifdef CLIPNEST_HAVE_XCB
    xcb_connection_t* c = xcbConnection();
    if (!c) {
        qDebug() << "No X11 connection: the Print key is not available";
        return;
    }
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> symbols(xcb_key_symbols_alloc(c));
    if (!symbols)
        return;
    std::unique_ptr<xcb_keycode_t, MallocFree> codes(
        xcb_key_symbols_get_keycode(symbols.get(), XK_Print));
    if (!codes || codes.get()[0] == XCB_NO_SYMBOL) {
        qDebug() << "The keyboard has no Print key";
        return;
    }
    keycode_ = codes.get()[0];

    bool refused = false;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        for (const uint16_t mods : kLockCombinations) {
            const xcb_void_cookie_t cookie = xcb_grab_key_checked(
                c, 1, it.data->root, mods, keycode_, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            std::unique_ptr<xcb_generic_error_t, MallocFree> err(xcb_request_check(c, cookie));
            if (err)
                refused = true;
        }
    }
    if (refused) {
        qDebug() << "Another program (often the window manager's screenshot binding) holds the "
                    "Print key;"
                 << "carrying on without it";
        grabbed_ = true; // release what we did get
        ungrab();
        return;
    }
    grabbed_ = true;
#endif
}

void GlobalKey::ungrab() {
#ifdef CLIPNEST_HAVE_XCB
    if (!grabbed_)
        return;
    grabbed_ = false;
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        for (const uint16_t mods : kLockCombinations)
            xcb_ungrab_key(c, keycode_, it.data->root, mods);
    }
    xcb_flush(c);
#endif
}

bool GlobalKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) {
    Q_UNUSED(result);
#ifdef CLIPNEST_HAVE_XCB
    if (eventType != "xcb_generic_event_t" || !grabbed_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->detail != keycode_ || key->event != key->root)
        return false;
    if (type == XCB_KEY_PRESS)
        emit pressed();
    // The root window is no window of ours: nothing else should see the event.
    return true;
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
    return false;
#endif
}
