#include "platform/wayland/WaylandPlatform.h"

#include "platform/GlobalShortcut.h"
#include "platform/WatcherTrayHost.h"
#include "platform/wayland/ScreenShare.h"

#include <QScreen>

namespace platform::wayland {

namespace {

// A Wayland compositor delivers keys only to the window that has the focus. Taking none
// is always possible; any other combination is for the desktop's own keyboard settings.
class DesktopKeptShortcut : public GlobalShortcut {
public:
    using GlobalShortcut::GlobalShortcut;

    Result take(const QKeySequence& combination) override {
        return combination.isEmpty() ? Result::Taken : Result::KeptByDesktop;
    }
    QKeySequence combination() const override { return QKeySequence(); }
    bool keptByDesktop() const override { return true; }
    void setSuspended(bool) override {}
};

} // namespace

WaylandPlatform::WaylandPlatform()
    : share_(std::make_unique<ScreenShare>()) {}

WaylandPlatform::~WaylandPlatform() = default;

QRect WaylandPlatform::availableGeometry(QScreen* screen) const {
    // The compositor keeps windows off its panels itself.
    return screen ? screen->availableGeometry() : QRect();
}

ScreenPictures& WaylandPlatform::screenPictures() {
    return *share_;
}

ScreenGrabber::SourceOpener WaylandPlatform::screenSource() const {
    return share_->opener();
}

QRect WaylandPlatform::sourceArea(QScreen* screen, const QRect& pixels) const {
    return share_->sourceArea(screen, pixels);
}

GlobalShortcut* WaylandPlatform::createGlobalShortcut(QObject* parent) {
    return new DesktopKeptShortcut(parent);
}

TrayHost* WaylandPlatform::createTrayHost(QObject* parent) {
    return new WatcherTrayHost(parent);
}

} // namespace platform::wayland
