#pragma once

// The quicker ways to an area than drawing it: a click that takes a window or a monitor,
// the keyboard's nudges, exact values typed into the size label, and the last area used.
// Plain functions in overlay units with inclusive corners, like SelectionGeometry.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include <optional>

namespace CaptureGeometry {

// A press whose pointer stays this close (on each axis) until the release is a click: a
// hand holding the button still wobbles a pixel or two, and no useful area is that small.
constexpr int kClickSlop = 3;
// Arrow keys move or resize by one pixel, and by this many with Ctrl.
constexpr int kCoarseStep = 10;

// Whether the pointer at `pointer` has left the click's slop around `press`.
bool leftClickSlop(QPoint press, QPoint pointer);

// What a click at `p` takes: the first of `windows` (topmost first) that holds p, cut to
// the overlay; else the monitor area that holds p; else the whole overlay. A window that
// lies wholly off the overlay is passed over.
QRect clickTarget(QPoint p, const QVector<QRect>& windows, const QVector<QRect>& monitors,
                  QSize area);

// `r` kept inside the overlay: no side shorter than the minimum nor longer than the
// overlay, then moved back inside as a whole.
QRect fittedToArea(const QRect& r, QSize area);
// The area moved by `by`, stopping at the overlay's edges with its size kept.
QRect nudgedSelection(const QRect& selection, QPoint by, QSize area);
// The area's right and bottom edges moved by `by`, no side below the minimum, none past
// the overlay.
QRect grownSelection(const QRect& selection, QPoint by, QSize area);

// An area typed by the user, in the units the size label shows (the video's pixels).
struct TypedArea {
    QSize size;
    std::optional<QPoint> position;
};
// Reads "1280x720", "1280 x 720 at 100, 200" or X's "1280x720+100+200" ('x', 'X' or '×'
// between width and height). Anything else, or a zero size, gives nothing.
std::optional<TypedArea> parseTypedArea(const QString& text);
// The form parseTypedArea reads back: "1280x720 at 100,200".
QString typedAreaText(const QRect& pixels);

// The last area offered again if it still lies wholly on the overlay with at least the
// minimum side; nothing when the monitors changed under it.
std::optional<QRect> usableLastArea(const QRect& stored, QSize area);

} // namespace CaptureGeometry
