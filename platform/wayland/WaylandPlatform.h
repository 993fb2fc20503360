#pragma once

#include "platform/Platform.h"

namespace platform::wayland {

class ScreenShare;
class ShortcutsPortal;

// A Wayland desktop: the compositor places every window itself, the screen comes through the
// desktop's screen-cast portal, and key combinations through its global-shortcuts portal where
// it has one (elsewhere the desktop's keyboard settings can run `clipnest --capture` and
// `clipnest --stop`).
class WaylandPlatform : public Platform {
public:
    WaylandPlatform();
    ~WaylandPlatform() override;

    Kind kind() const override { return Kind::Wayland; }
    Notice startupNotice() const override { return Notice::None; }
    bool placesWindows() const override { return false; }
    QRect availableGeometry(QScreen* screen) const override;
    ScreenPictures& screenPictures() override;
    ScreenGrabber::SourceOpener screenSource() const override;
    QRect sourceArea(QScreen* screen, const QRect& pixels) const override;
    GlobalShortcut* createGlobalShortcut(const QString& id, QObject* parent) override;
    TrayHost* createTrayHost(QObject* parent) override;

private:
    std::unique_ptr<ScreenShare> share_;
    std::unique_ptr<ShortcutsPortal> shortcuts_;
};

} // namespace platform::wayland
