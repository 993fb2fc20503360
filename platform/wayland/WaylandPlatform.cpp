#include "platform/wayland/WaylandPlatform.h"

#include "platform/GlobalShortcut.h"
#include "platform/WatcherTrayHost.h"
#include "platform/wayland/ScreenShare.h"
#include "platform/wayland/ShortcutsPortal.h"

#include <QDBusConnection>

#include <QScreen>

namespace platform::wayland {

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

GlobalShortcut* WaylandPlatform::createGlobalShortcut(const QString& id, QObject* parent) {
    // A Wayland compositor gives keys only to the focused window: combinations for the
    // whole session come through the desktop's portal, asked once for all of them.
    if (!shortcuts_)
        shortcuts_ = std::make_unique<ShortcutsPortal>(QDBusConnection::sessionBus());
    return shortcuts_->createShortcut(id, parent);
}

TrayHost* WaylandPlatform::createTrayHost(QObject* parent) {
    return new WatcherTrayHost(parent);
}

} // namespace platform::wayland
