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

} // namespace DesktopSession
