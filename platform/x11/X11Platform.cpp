#include "platform/x11/X11Platform.h"

#include "media/engine/X11ShmSource.h"
#include "platform/x11/PanelStrips.h"
#include "platform/x11/WindowFrames.h"
#include "platform/x11/X11GlobalShortcut.h"
#include "platform/x11/X11TrayHost.h"

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
