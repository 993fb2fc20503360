#include "platform/x11/X11TrayHost.h"

#include "platform/x11/Xcb.h"

namespace platform {

bool xembedTrayOwned() {
    using namespace x11;
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return false;
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem;
         xcb_screen_next(&it), ++number) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(number);
        Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr));
        // An atom nobody ever interned names no selection anybody owns.
        if (!atom || atom->atom == XCB_ATOM_NONE)
            continue;
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
        if (owner && owner->owner != XCB_WINDOW_NONE)
            return true;
    }
    return false;
}

X11TrayHost::X11TrayHost(QObject* parent, const QString& busConnection)
    : WatcherTrayHost(parent, busConnection) {}

bool X11TrayHost::otherTray() const {
    return xembedTrayOwned();
}

} // namespace platform
