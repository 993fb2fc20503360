#pragma once

#include "widgets/ScreenEdge.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the program's own windows go. Plain arithmetic on rectangles so that it
// can be checked without a screen; MainWindow feeds it the live geometry.
// Sizes are halved with truncation toward zero, as integer division does.
namespace Placement {

// Top-left corner of the history window: against the panel side of the available
// area, centred on the tray icon along the panel. Tray hosts that speak the
// StatusNotifierItem protocol never say where the icon is (an empty trayIcon): then the
// window goes into the corner at the panel's end, where such desktops keep their
// tray area (right end of a horizontal panel, bottom of a vertical one). Without a panel
// edge, the middle of the available area. On every path the window lies fully inside the
// available area; one larger than it keeps its top-left corner on it.
QPoint historyWidgetPosition(const QRect& available, const QRect& trayIcon, const QSize& window,
                             std::optional<Edge> panelEdge);

// Top-left corner that puts a window in the middle of the given screen (in
// virtual-desktop coordinates: the screen's origin counts).
QPoint centredOnScreen(const QRect& screen, const QSize& window);

// Which of the screens a window of ours belongs on: the one holding the tray icon's
// centre, else the one under the pointer, else the first (the primary screen comes
// first). -1 for an empty list.
int screenIndexFor(const QList<QRect>& screens, const QRect& trayIcon, const QPoint& pointer);

// The top-left corner that keeps a window of `size` at `topLeft` fully inside `area`;
// one larger than the area keeps its top-left corner on it.
QPoint keptInside(const QRect& area, const QPoint& topLeft, const QSize& size);

// Where the floating record button starts: horizontally centred, its bottom edge
// on the vertical middle of the available area (whose origin is not added).
QPoint snapButtonStartPoint(const QRect& available, const QSize& button);

// A monitor in virtual-desktop coordinates: all of it, and the part the desktop's panels
// leave to windows.
struct ScreenArea {
    QRect geometry;
    QRect available;
};

// Top-left corner of a message box of `box` size (its window without the frame). With
// `owner`, the program's visible window the box belongs to: centred over the part of the
// owner on one monitor, the one under the pointer when the owner covers all of it (an overlay
// across monitors), else the one holding most of the owner. Without one (an invalid rectangle), or
// with an owner on no monitor: centred in the available area of the monitor under the
// pointer, else of the first. Either way kept inside that monitor's available area. (0, 0)
// without monitors.
QPoint messageBoxPosition(const QList<ScreenArea>& screens, const QRect& owner,
                          const QPoint& pointer, const QSize& box);

// Which edge a panel sits on, learnt from what it takes away from the screen:
// the available geometry is the screen minus the panels' reserved strips. When
// strips are reserved on several edges, the one holding the tray icon's centre
// wins; without that hint the first in the order left, top, right, bottom.
// Empty when nothing is reserved.
std::optional<Edge> taskbarEdgeFromGeometry(const QRect& screen, const QRect& available,
                                            const QRect& trayIcon = QRect());

// Where the panel shown while a recording runs goes, its top-left corner; empty when it has
// no place outside the recorded area (then it hides and the tray icon says that a recording
// runs). `screens` are the monitors' geometries, the one to try first after the area's own
// (the primary) at the front; `recorded` is the recorded area in the same coordinates,
// `trayIcon` where the tray icon is (empty where the tray host does not tell). The panel keeps
// `gap` from the area (its edge that far from the area's) and off the tray icon. Tried in turn:
// beside the area on the monitor holding most of it (below, above, right, left, aligned with the
// area's bottom-right corner), then the same on every other monitor, then each monitor's
// corners (bottom-right first), always wholly on one monitor.
std::optional<QPoint> recordPanelPosition(const QList<QRect>& screens, const QRect& recorded,
                                          const QSize& panel, const QRect& trayIcon, int gap);

} // namespace Placement
