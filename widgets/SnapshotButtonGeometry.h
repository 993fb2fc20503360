#pragma once

#include "widgets/ScreenEdge.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// The placement rules of the floating record button, as plain functions of rectangles so
// that they can be checked without a screen.
namespace SnapshotButtonGeometry {

// The button's states; the values are also the keys of its pictures.
enum State {
    StateNone = 0,
    StateTop = 1,
    StateTopPressed = 2,
    StateRight = 3,
    StateRightPressed = 4,
    StateBottom = 5,
    StateBottomPressed = 6,
    StateLeft = 7,
    StateLeftPressed = 8,
    StateMoving = 9,
};

// The edge of `screen` that the centre of `window` is nearest to, in proportion to the
// screen's shape (the screen is cut into four triangles by its diagonals).
Edge nearestEdge(const QRect& window, const QRect& screen);

// The docked state for an edge: StateTop, StateLeft, StateRight or StateBottom.
State dockedState(Edge edge);

// Where the window glides to for `edge`: `windowPos` and `windowSize` are the window's
// current position and size, `dockedSize` the size of the edge's docked picture and
// `available` the screen minus the panels.
QPoint dockPosition(Edge edge, const QPoint& windowPos, const QSize& windowSize,
                    const QSize& dockedSize, const QRect& available);

// The edge of a docked state, pressed or not; empty for moving and none.
std::optional<Edge> dockedEdge(int state);

// The other picture of a docked state (normal <-> pressed); StateMoving for any other state.
int pressedCounterpart(int state);
bool isCounterpart(int a, int b);

// How a docked window of `state` at full size `fullSize` and position `restoredPos` tucks
// in. At the top and left edges the window stays and the picture slides inside it; at the
// right and bottom edges the window itself slides towards the edge.
struct Tuck {
    QSize minimizedSize;       // window size when tucked in
    QPoint minimizedWindowPos; // window position when tucked in (right, bottom)
    QPoint minimizedLabelPos;  // picture position inside the window (top, left)
};
// `previous` is kept for states that do not dock (moving, none).
Tuck tuck(int state, const QSize& fullSize, const QPoint& restoredPos, const Tuck& previous);

} // namespace SnapshotButtonGeometry
