#pragma once

#include "platform/x11/ReservedStrips.h"

#include <QList>
#include <QRect>
#include <QSize>

class QScreen;

// What the desktop's panels reserve, read from their windows, for desktops of several
// monitors: there Qt reports every monitor as wholly available, since the work area X
// publishes is one rectangle for the whole desktop. GUI thread only.
namespace platform::x11::PanelStrips {

struct Reading {
    QSize root; // the X screen's size; empty without an X11 connection
    QList<ReservedStrip> strips;
};

// The strips announced by the managed windows (_NET_WM_STRUT_PARTIAL, else _NET_WM_STRUT).
Reading read();

// The part of `screen` free of panels, in Qt's coordinates: from the panels' own strips on
// an X11 desktop of several monitors, else what Qt reports.
QRect availableGeometry(QScreen* screen);

} // namespace platform::x11::PanelStrips
