#include "app/Placement.h"

#include <algorithm>

namespace Placement {

namespace {

int half(int n) {
    return n / 2;
}

} // namespace

QPoint historyWidgetPosition(const QRect& a, const QRect& trayIcon, const QSize& window,
                             std::optional<Edge> panelEdge) {
    const QRect& t = trayIcon;
    const int w = window.width();
    const int h = window.height();
    int x = a.left() + half(a.width()) - half(w);
    int y = a.top() + half(a.height()) - half(h);

    const bool trayKnown = trayIcon.isValid() && !trayIcon.isEmpty();
    if (panelEdge && !trayKnown) {
        switch (*panelEdge) {
        case Edge::Left:
            x = a.left();
            y = a.top() + a.height() - h;
            break;
        case Edge::Top:
            x = a.left() + a.width() - w;
            y = a.top();
            break;
        case Edge::Right:
            x = a.left() + a.width() - w;
            y = a.top() + a.height() - h;
            break;
        case Edge::Bottom:
            x = a.left() + a.width() - w;
            y = a.top() + a.height() - h;
            break;
        }
    } else if (panelEdge) {
        switch (*panelEdge) {
        case Edge::Left:
            x = a.left();
            y = std::min(half(t.top() + t.bottom()) - half(h), a.bottom() - h);
            break;
        case Edge::Top:
            x = std::min(half(t.left() + t.right()) - half(w), a.right() - w);
            y = a.top();
            break;
        case Edge::Right:
            x = a.right() - w;
            y = std::min(half(t.top() + t.bottom()) - half(h), a.bottom() - h);
            break;
        case Edge::Bottom:
            x = std::min(half(t.left() + t.right()) - half(w), a.right() - w);
            y = a.bottom() - h;
            break;
        }
    }
    return keptInside(a, QPoint(x, y), window);
}

QPoint keptInside(const QRect& area, const QPoint& topLeft, const QSize& size) {
    // Right and bottom first, then left and top: a window larger than the area, or a
    // tray icon near a corner, must not push the window's top or left side off the
    // screen; its title and first rows stay reachable.
    const int x = std::min(topLeft.x(), area.left() + area.width() - size.width());
    const int y = std::min(topLeft.y(), area.top() + area.height() - size.height());
    return QPoint(std::max(x, area.left()), std::max(y, area.top()));
}

QPoint centredOnScreen(const QRect& screen, const QSize& window) {
    return QPoint(screen.left() + half(screen.width()) - half(window.width()),
                  screen.top() + half(screen.height()) - half(window.height()));
}

int screenIndexFor(const QList<QRect>& screens, const QRect& trayIcon, const QPoint& pointer) {
    if (trayIcon.isValid() && !trayIcon.isEmpty()) {
        for (int i = 0; i < screens.size(); ++i) {
            if (screens[i].contains(trayIcon.center()))
                return i;
        }
    }
    for (int i = 0; i < screens.size(); ++i) {
        if (screens[i].contains(pointer))
            return i;
    }
    return screens.isEmpty() ? -1 : 0;
}

QPoint messageBoxPosition(const QList<ScreenArea>& screens, const QRect& owner,
                          const QPoint& pointer, const QSize& box) {
    int index = -1;
    if (owner.isValid()) {
        qint64 most = 0;
        for (int i = 0; i < screens.size(); ++i) {
            const QRect part = owner & screens[i].geometry;
            if (part.isEmpty())
                continue;
            if (part == screens[i].geometry && part.contains(pointer)) {
                index = i;
                break;
            }
            const qint64 area = qint64(part.width()) * part.height();
            if (area > most) {
                most = area;
                index = i;
            }
        }
    }
    if (index >= 0) {
        const QRect part = owner & screens[index].geometry;
        return keptInside(screens[index].available, centredOnScreen(part, box), box);
    }
    QList<QRect> geometries;
    for (const ScreenArea& s : screens)
        geometries.append(s.geometry);
    index = screenIndexFor(geometries, QRect(), pointer);
    if (index < 0)
        return QPoint(0, 0);
    const QRect& available = screens[index].available;
    return keptInside(available, centredOnScreen(available, box), box);
}

QPoint snapButtonStartPoint(const QRect& available, const QSize& button) {
    return QPoint(half(available.width()) - half(button.width()),
                  half(available.height()) - button.height());
}

std::optional<Edge> taskbarEdgeFromGeometry(const QRect& screen, const QRect& available,
                                            const QRect& trayIcon) {
    if (!screen.isValid() || !available.isValid())
        return std::nullopt;

    // The strip each edge's panel reserves, empty where nothing is reserved; in the order
    // the edges are tried when the tray icon gives no hint.
    constexpr Edge kEdges[4] = {Edge::Left, Edge::Top, Edge::Right, Edge::Bottom};
    const QRect strips[4] = {
        QRect(QPoint(screen.left(), screen.top()), QPoint(available.left() - 1, screen.bottom())),
        QRect(QPoint(screen.left(), screen.top()), QPoint(screen.right(), available.top() - 1)),
        QRect(QPoint(available.right() + 1, screen.top()), QPoint(screen.right(), screen.bottom())),
        QRect(QPoint(screen.left(), available.bottom() + 1),
              QPoint(screen.right(), screen.bottom())),
    };

    std::optional<Edge> first;
    for (int i = 0; i < 4; ++i) {
        if (!strips[i].isValid())
            continue;
        if (!first)
            first = kEdges[i];
        if (trayIcon.isValid() && strips[i].contains(trayIcon.center()))
            return kEdges[i];
    }
    return first;
}

} // namespace Placement
