#pragma once

#include "widgets/ScreenEdge.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the program's own windows go. Plain arithmetic on rectangles so that it
// can be checked without a screen; MainWindow feeds it the live geometry.
// Sizes are halved with truncation toward zero, as integer division does.
namespace Placement {

// Top-left corner of the history window: against the panel side of the available
// area, centred on the tray icon along the panel and kept on the screen; a window larger
// than the available area keeps its top-left corner on it. Without a panel edge, the middle
// of the available area.
QPoint historyWidgetPosition(const QRect& available, const QRect& trayIcon, const QSize& window,
                             std::optional<Edge> panelEdge);

// Top-left corner that puts a window in the middle of a screen of the given
// geometry. The screen's own origin is not added.
QPoint centredOnScreen(const QRect& screen, const QSize& window);

// Where the floating record button starts: horizontally centred, its bottom edge
// on the vertical middle of the available area (whose origin is not added).
QPoint snapButtonStartPoint(const QRect& available, const QSize& button);

// Which edge a panel sits on, learnt from what it takes away from the screen:
// the available geometry is the screen minus the panels' reserved strips. When
// strips are reserved on several edges, the one holding the tray icon's centre
// wins; without that hint the first in the order left, top, right, bottom.
// Empty when nothing is reserved.
std::optional<Edge> taskbarEdgeFromGeometry(const QRect& screen, const QRect& available,
                                            const QRect& trayIcon = QRect());

} // namespace Placement
