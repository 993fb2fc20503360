#include "platform/Platform.h"

#include "platform/DesktopSession.h"
#include "platform/x11/X11Platform.h"

namespace platform {

namespace {

std::unique_ptr<Platform>& installed() {
    static std::unique_ptr<Platform> platform;
    return platform;
}

} // namespace

Platform& Platform::current() {
    std::unique_ptr<Platform>& platform = installed();
    if (!platform)
        platform = forEnvironment();
    return *platform;
}

std::unique_ptr<Platform> Platform::install(std::unique_ptr<Platform> platform) {
    std::swap(installed(), platform);
    return platform;
}

std::unique_ptr<Platform> Platform::forEnvironment() {
    // Wayland sessions still reach the X11 implementation through Xwayland until the
    // desktop's own screen-cast path exists; there it sees only X11 programs' windows.
    return std::make_unique<X11Platform>(DesktopSession::isWayland() ? X11Platform::Server::Xwayland
                                                                     : X11Platform::Server::Native);
}

} // namespace platform
