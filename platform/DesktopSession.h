#pragma once

#include <QString>

// What kind of desktop session the program runs in, from its environment.
namespace DesktopSession {

// A Wayland session: the compositor sets WAYLAND_DISPLAY for its clients, and login
// managers set XDG_SESSION_TYPE. There the X11 grab sees only windows of X programs
// (through Xwayland); everything else records as black.
bool isWayland(const QString& waylandDisplay, const QString& sessionType);

// The same for this process's environment.
bool isWayland();

} // namespace DesktopSession
