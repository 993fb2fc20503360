#include "platform/x11/X11Platform.h"

#include "media/engine/X11ShmSource.h"
#include "platform/x11/PanelStrips.h"
#include "platform/x11/WindowFrames.h"
#include "platform/x11/X11GlobalShortcut.h"
#include "platform/x11/X11TrayHost.h"
#include "platform/x11/Xcb.h"

#include <QScreen>

namespace platform {

namespace {

// The X server answers at once, so the pictures are there before capture() returns.
class X11ScreenPictures : public ScreenPictures {
public:
    void capture(const QList<QScreen*>& screens, Done done) override {
        QList<QPixmap> pictures;
        pictures.reserve(screens.size());
        for (QScreen* screen : screens)
            pictures.append(screen ? screen->grabWindow(0) : QPixmap());
        done(pictures, QString());
    }
};

// A compositing manager announces itself by owning the selection _NET_WM_CM_S<n> of the X
// screen n it composites (EWMH, "Compositing Managers"). Every X screen is asked: Qt does not
// say which one it opened, and a display with one composited screen blends our windows there.
bool compositorRuns() {
    xcb_connection_t* connection = x11::xcbConnection();
    if (!connection)
        return true; // nothing to ask: keep the see-through look
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int n = 0; n < screens; ++n) {
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(n);
        const x11::Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()),
            nullptr));
        if (!atom || atom->atom == XCB_ATOM_NONE)
            continue; // never interned: nobody ever owned it
        const x11::Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
        if (owner && owner->owner != XCB_WINDOW_NONE)
            return true;
    }
    return false;
}

} // namespace

X11Platform::X11Platform(Server server)
    : server_(server)
    , pictures_(std::make_unique<X11ScreenPictures>()) {}

X11Platform::~X11Platform() = default;

Platform::Notice X11Platform::startupNotice() const {
    return server_ == Server::Xwayland ? Notice::OnlyX11WindowsRecord : Notice::None;
}

QRect X11Platform::availableGeometry(QScreen* screen) const {
    return x11::PanelStrips::availableGeometry(screen);
}

bool X11Platform::blendsWindows() const {
    // Under Xwayland the Wayland compositor shows every X window, blended.
    return server_ == Server::Xwayland || compositorRuns();
}

ScreenPictures& X11Platform::screenPictures() {
    return *pictures_;
}

ScreenGrabber::SourceOpener X11Platform::screenSource() const {
    return [](const QRect& rect, const ScreenGrabber::PointerOptions& pointer,
              AbstractGrabber::Error* code, QString* errorText) {
        engine::X11SourceOptions options;
        options.pointer = pointer.draw;
        options.clicks = pointer.clicks;
        return engine::openX11ShmSource(rect, options, code, errorText);
    };
}

QRect X11Platform::sourceArea(QScreen* screen, const QRect& pixels) const {
    // Qt keeps a monitor's top-left corner in pixels of the X screen, which is what the
    // source reads.
    return screen ? pixels.translated(screen->geometry().topLeft()) : pixels;
}

QVector<QRect> X11Platform::windowFrames(const QList<WId>& own) const {
    // Under Xwayland the list holds only other X11 programs' windows: a click elsewhere would
    // take a window that is not what the user sees there.
    if (server_ == Server::Xwayland)
        return {};
    return x11::windowFrames(own);
}

GlobalShortcut* X11Platform::createGlobalShortcut(const QString&, QObject* parent) {
    return new X11GlobalShortcut(parent);
}

TrayHost* X11Platform::createTrayHost(QObject* parent) {
    return new X11TrayHost(parent);
}

} // namespace platform
