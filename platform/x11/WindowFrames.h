#pragma once

#include <QList>
#include <QRect>
#include <QVector>
#include <QtGui/qwindowdefs.h>

// The desktop's top-level windows as the window manager frames them, read from the X
// server through Qt's connection. GUI thread only.
namespace platform::x11 {

// The frames (decorations included) of the managed windows that are on the screen, in
// pixels of the X screen, topmost first; the desktop's own background window and the
// windows in `own` are left out. Empty without an X server or a window manager that
// keeps _NET_CLIENT_LIST_STACKING.
QVector<QRect> windowFrames(const QList<WId>& own);

} // namespace platform::x11
