#pragma once

#include "platform/wayland/CastStreams.h"

#include <QList>
#include <QRect>
#include <QString>

namespace platform::wayland {

// Which screen-cast stream shows which monitor, and where a selection made on the overlay
// falls in a stream's pixels. Pure logic: no display, no portal. Any thread.
class CastLayout {
public:
    // A monitor as the program's windows see it: its place on the desktop in logical units
    // and its size in pixels as far as the program can tell (logical size times Qt's device
    // pixel ratio; a fractional output scale makes that a guess, which the stream's own
    // size corrects once it is known).
    struct Monitor {
        QRect geometry;
        QSize pixels;
    };
    // A stream matched to a monitor, with its size in pixels as the stream delivers it.
    struct Match {
        int stream = -1; // index into the streams, -1: this monitor is not shared
        QSize pixels;
    };

    // Matches streams to monitors. A stream whose position and size are a monitor's logical
    // geometry is that monitor. Portals that give every stream the position 0,0 and a size
    // in pixels (xdg-desktop-portal-wlr 0.7.0) are matched by pixel size instead; when
    // several monitors share that size, the streams are taken in the monitors' order, left
    // to right, and then by a size that is the monitor's logical size at a fractional scale
    // (which Qt's ratio rounds up). Streams left over after that go to the monitors left
    // over, in the same order, when there are as many of each.
    CastLayout(const QList<Monitor>& monitors, const QList<CastStream>& streams);

    // For each monitor, in the order given.
    const QList<Match>& matches() const { return matches_; }
    // The monitor stream `stream` shows, or -1.
    int monitorOf(int stream) const;
    // The size in pixels stream `stream` really delivers (its video format's), which
    // replaces the guess.
    void setStreamPixels(int stream, const QSize& pixels);

    // The stream pixels that `logical` (a rectangle in desktop logical units inside monitor
    // `monitor`) covers, rounded outwards to whole pixels and clipped to the stream; an
    // empty rectangle when the monitor is not shared or the area is outside it.
    QRect streamPixels(int monitor, const QRect& logical) const;

private:
    QList<Monitor> monitors_;
    QList<Match> matches_;
};

} // namespace platform::wayland
