#pragma once

#include <QRect>

class QScreen;

// The live side of Placement::screenIndexFor: the monitor that holds the tray icon,
// else the one under the pointer, else the primary one. Null only without any screen.
// GUI thread only.
QScreen* screenForOurWindows(const QRect& trayIcon);
