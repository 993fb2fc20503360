#include "platform/x11/X11GlobalShortcut.h"

#include "platform/x11/X11Keys.h"
#include "widgets/KeyCombination.h"

#include "platform/x11/Xcb.h"

#include <QtDebug>

#include <xcb/xcb_keysyms.h>

namespace {

using platform::x11::MallocFree;
using platform::x11::xcbConnection;

// The grab must also match while Caps Lock or Num Lock (Mod2 on every common
// layout) is on, or the key would silently stop working with them.
const uint16_t kLockCombinations[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* s) const { xcb_key_symbols_free(s); }
};

// The first keycode of this keyboard that gives `keysym`; 0 when none does.
quint8 keycodeFor(xcb_connection_t* c, quint32 keysym) {
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> symbols(xcb_key_symbols_alloc(c));
    if (!symbols)
        return 0;
    std::unique_ptr<xcb_keycode_t, MallocFree> codes(
        xcb_key_symbols_get_keycode(symbols.get(), keysym));
    if (!codes || codes.get()[0] == XCB_NO_SYMBOL)
        return 0;
    return codes.get()[0];
}

} // namespace

namespace platform {

X11GlobalShortcut::X11GlobalShortcut(QObject* parent)
    : GlobalShortcut(parent) {
    if (qApp)
        qApp->installNativeEventFilter(this);
}

X11GlobalShortcut::~X11GlobalShortcut() {
    if (qApp)
        qApp->removeNativeEventFilter(this);
    if (held_)
        ungrab(keycode_, modifiers_);
}

X11GlobalShortcut::Result X11GlobalShortcut::take(const QKeySequence& combination) {
    if (combination.isEmpty()) {
        if (held_)
            ungrab(keycode_, modifiers_);
        held_ = false;
        combination_ = QKeySequence();
        keycode_ = 0;
        modifiers_ = 0;
        return Result::Taken;
    }
    if (combination.count() != 1)
        return Result::NotOnKeyboard;
    const x11::X11Key x = x11::toX11(combination[0]);
    if (x.keysym == 0)
        return Result::NotOnKeyboard;
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return Result::NoDisplay;
    const quint8 keycode = keycodeFor(c, x.keysym);
    if (keycode == 0)
        return Result::NotOnKeyboard;
    const bool same = keycode == keycode_ && x.modifiers == modifiers_;
    if (!(same && held_)) {
        const quint8 error = grab(keycode, x.modifiers);
        if (error == XCB_ACCESS)
            return Result::HeldByOther;
        if (error != 0) {
            // Not another program's: the server will not make a grab of this key at all.
            qDebug() << "The X server refused to grab" << combination << "with error" << error;
            return Result::NotOnKeyboard;
        }
    }
    if (held_ && !same)
        ungrab(keycode_, modifiers_);
    combination_ = combination;
    keycode_ = keycode;
    modifiers_ = x.modifiers;
    held_ = true;
    if (suspended_) {
        ungrab(keycode_, modifiers_);
        held_ = false;
    }
    return Result::Taken;
}

void X11GlobalShortcut::setSuspended(bool suspended) {
    if (suspended == suspended_)
        return;
    suspended_ = suspended;
    if (suspended && held_) {
        ungrab(keycode_, modifiers_);
        held_ = false;
    } else if (!suspended && !combination_.isEmpty()) {
        held_ = grab(keycode_, modifiers_) == 0;
        if (!held_)
            qDebug().noquote() << QStringLiteral("Another program took %1 meanwhile")
                                      .arg(KeyCombination::displayText(combination_));
    }
}

quint8 X11GlobalShortcut::grab(quint8 keycode, quint16 modifiers) {
    xcb_connection_t* c = xcbConnection();
    if (!c || keycode == 0)
        return XCB_VALUE;
    quint8 refused = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        for (const uint16_t locks : kLockCombinations) {
            const xcb_void_cookie_t cookie =
                xcb_grab_key_checked(c, 1, it.data->root, modifiers | locks, keycode,
                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            std::unique_ptr<xcb_generic_error_t, MallocFree> err(xcb_request_check(c, cookie));
            // BadAccess wins over any other error: it is the one the user can act on.
            if (err && refused != XCB_ACCESS)
                refused = err->error_code;
        }
    }
    if (refused) // release what we did get
        ungrab(keycode, modifiers);
    return refused;
}

void X11GlobalShortcut::ungrab(quint8 keycode, quint16 modifiers) {
    xcb_connection_t* c = xcbConnection();
    if (!c || keycode == 0)
        return;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        for (const uint16_t locks : kLockCombinations)
            xcb_ungrab_key(c, keycode, it.data->root, modifiers | locks);
    }
    xcb_flush(c);
}

bool X11GlobalShortcut::nativeEventFilter(const QByteArray& eventType, void* message,
                                          qintptr* result) {
    Q_UNUSED(result);
    if (eventType != "xcb_generic_event_t" || !held_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->detail != keycode_ || key->event != key->root ||
        (key->state & x11::kXCombinationMask) != modifiers_)
        return false;
    if (type == XCB_KEY_PRESS)
        emit pressed();
    // The root window is no window of ours: nothing else should see the event.
    return true;
}

} // namespace platform
