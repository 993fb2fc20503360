#include "platform/DesktopSession.h"

#include <QtGlobal>

namespace DesktopSession {

bool isWayland(const QString& waylandDisplay, const QString& sessionType) {
    return !waylandDisplay.trimmed().isEmpty() ||
           sessionType.trimmed().compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

bool isWayland() {
    return isWayland(qEnvironmentVariable("WAYLAND_DISPLAY"),
                     qEnvironmentVariable("XDG_SESSION_TYPE"));
}

std::optional<Kind> kindNamed(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("x11"))
        return Kind::X11;
    if (n == QLatin1String("wayland"))
        return Kind::Wayland;
    return std::nullopt;
}

Kind choose(std::optional<Kind> forced, const QString& waylandDisplay, const QString& sessionType) {
    if (forced)
        return *forced;
    return isWayland(waylandDisplay, sessionType) ? Kind::Wayland : Kind::X11;
}

QByteArray qtPlatformOf(Kind kind) {
    return kind == Kind::Wayland ? QByteArrayLiteral("wayland") : QByteArrayLiteral("xcb");
}

} // namespace DesktopSession
