#include "platform/Platform.h"

#include "platform/DesktopSession.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"
#include "widgets/DesktopTraits.h"

#include <QGuiApplication>

namespace platform {

namespace {

std::unique_ptr<Platform>& installed() {
    static std::unique_ptr<Platform> platform;
    return platform;
}

// The floating windows ask whichever platform is in force when they need to know.
void answerWindowQuestions() {
    DesktopTraits::setProbes([] { return Platform::current().blendsWindows(); },
                             [] { return Platform::current().placesWindows(); });
}

} // namespace

Platform& Platform::current() {
    std::unique_ptr<Platform>& platform = installed();
    if (!platform) {
        platform = forEnvironment();
        answerWindowQuestions();
    }
    return *platform;
}

std::unique_ptr<Platform> Platform::install(std::unique_ptr<Platform> platform) {
    std::swap(installed(), platform);
    answerWindowQuestions();
    return platform;
}

std::unique_ptr<Platform> Platform::forEnvironment() {
    // Qt's platform plugin decides: the program is a Wayland client only through Qt's
    // Wayland plugin. Through Xwayland it is an X11 program that sees only X11 programs'
    // windows.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return std::make_unique<wayland::WaylandPlatform>();
    return std::make_unique<X11Platform>(DesktopSession::isWayland() ? X11Platform::Server::Xwayland
                                                                     : X11Platform::Server::Native);
}

} // namespace platform
