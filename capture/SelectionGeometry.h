#pragma once

// Geometry of the capture overlay, kept free of widgets so that every rule can be
// checked without a window. Rectangles have inclusive corners (width = right - left + 1).

#include <QMap>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QVector>
#include <Qt>

namespace CaptureGeometry {

// Width of the selection frame's pen; the frame's right and bottom lines fall this far
// beyond the selection (off the screen when the area reaches its last pixel).
constexpr double kFrameWidth = 1.7;
// Sizes snap to this step so that the recorded video has dimensions the encoder likes.
constexpr int kSizeStep = 4;
// Smallest selection side; anything smaller is hard to grab and useless as a video.
constexpr int kMinimumSide = 16;
// Handle squares are 7 x 7 (centre +- 3) and are hit 2 pixels beyond their square.
constexpr int kHandleHalf = 3;
constexpr int kHandleGrip = 2;
// Gap between a panel or label and the selection edge.
constexpr int kPanelGap = 5;
// Gap between the finished panel and the share-target panel.
constexpr int kSocialGap = 10;

// The null selection: corners (0, 0) and (-1, -1).
inline QRect nullSelection() {
    return QRect(QPoint(0, 0), QPoint(-1, -1));
}

// Puts the smaller coordinate first on each axis.
QRect normalizedSelection(const QRect& r);

// Keeps a point inside an area of the given size: x in [0, W - 1], y in [0, H - 1], so
// that a drag to the last pixel takes the whole width and height.
QPoint clampToArea(QPoint p, QSize area);

// Reduces toward zero to a multiple of kSizeStep (-6 -> -4, 7 -> 4).
int truncateToStep(int v);

// The selection drawn by dragging from press to pointer inside an area: the dragged corner
// is clamped, the size snapped down to multiples of 4 and raised to at least 16. Dragging
// left of or above the press point gives the minimum side extending right (down) from it.
QRect drawnSelection(QPoint press, QPoint pointer, QSize area);

// Largest top-left corner a selection may take while moved, keeping its right edge at
// W - 1 and its bottom edge at H - 1.
QPoint moveLimit(const QRect& selection, QSize area);

// The selection translated by the pointer's travel since the press, clamped to [0, limit].
QRect movedSelection(const QRect& selection, QPoint moveOrigin, QPoint press, QPoint pointer,
                     QPoint limit);

// The eight handle squares of a selection, keys 0..7 clockwise from the top-left corner.
// An empty (inverted) selection has none.
QMap<int, QRect> handleRects(const QRect& selection);

// First handle (lowest key) whose grip area contains p.
bool handleAt(const QMap<int, QRect>& handles, QPoint p, int* key);

Qt::CursorShape handleCursor(int key);

// Resizing with handle `key`: the pointer travel since the press, snapped toward zero to
// multiples of 4, moves the handle's edges from where they stood at the start; no side
// becomes shorter than 16 nor turns over.
QRect resizedSelection(const QRect& current, const QRect& start, int key, QPoint press,
                       QPoint pointer, QSize area);

// Size label position: above the selection, or just inside it when there is no room above.
QPoint sizeLabelPos(const QRect& selection, int labelHeight);

// Start, record and finished panels: right-aligned one pixel left of the selection's right
// edge, below the selection when it fits above the last row, otherwise inside it.
QPoint panelPos(const QRect& selection, QSize panel, int areaHeight);

// The panel shown while recording must stay out of the video: below the selection when it
// fits, else above it, and only when neither fits (a selection of nearly the whole height)
// inside it as the start panel would be.
QPoint recordPanelPos(const QRect& selection, QSize panel, int areaHeight);

// Share-target panel: centred on the share button, below the finished panel when there is
// room, otherwise above it.
QPoint socialPanelPos(QPoint shareButtonTopLeft, int shareButtonWidth, QSize panel,
                      const QRect& finishedPanel, int areaHeight);

// The bands dimmed outside the selection: above, below, left, right (only those that exist).
QVector<QRectF> dimBands(const QRect& selection, QSize area, double frameWidth = kFrameWidth);

// The record frame window: 2 pixels more on the left and top, 1 more on the right and bottom.
QRect recordFrameGeometry(const QRect& capture);

// Maps a selection in logical coordinates on a screen (logical geometry, device pixel ratio)
// to physical pixels of the X root window. Qt keeps a screen's top-left corner unscaled
// and scales only its extent, so the mapping is relative to that corner.
QRect toPhysical(const QRect& logical, const QRect& screenGeometry, double devicePixelRatio);

// Elapsed-time text for a number of one-second ticks, wrapping after 24 hours.
QString elapsedText(int ticks);

} // namespace CaptureGeometry
