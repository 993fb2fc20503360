#pragma once

#include "widgets/ScreenEdge.h"

#include <QList>
#include <QRect>
#include <QSize>

namespace platform::x11 {

// A strip a panel reserves along an edge of the whole X screen, as its window announces it:
// `width` pixels deep from that edge, spanning `start` to `end` (inclusive) along it.
struct ReservedStrip {
    Edge edge = Edge::Bottom;
    int width = 0;
    int start = 0;
    int end = 0;
};

// The part of `monitor` (X screen pixels) that panels leave free. A strip cuts the side of
// every monitor it overlaps, so a panel along the bottom of the left monitor leaves the right
// one whole, which the desktop-wide work area cannot tell. `root` is the X screen's size,
// from whose edges strips are measured. Plain arithmetic, no display needed.
QRect availableFromStrips(const QRect& monitor, const QSize& root,
                          const QList<ReservedStrip>& strips);

} // namespace platform::x11
