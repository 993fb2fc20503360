#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What kind of desktop session the program runs in, from its environment.
namespace DesktopSession {

enum class Kind { X11, Wayland };

// A Wayland session: the compositor sets WAYLAND_DISPLAY for its clients, and login
// managers set XDG_SESSION_TYPE. There the X11 grab sees only windows of X programs
// (through Xwayland); everything else records as black.
bool isWayland(const QString& waylandDisplay, const QString& sessionType);

// The same for this process's environment.
bool isWayland();

// "x11" or "wayland" as the user wrote it on the command line; nothing for anything else.
std::optional<Kind> kindNamed(const QString& name);

// The session the program runs as: the one the user forced, else the environment's.
Kind choose(std::optional<Kind> forced, const QString& waylandDisplay, const QString& sessionType);

// Qt's platform plugin for a kind of session.
QByteArray qtPlatformOf(Kind kind);

} // namespace DesktopSession
