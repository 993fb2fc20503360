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

namespace {

// The coordinate nearest to `wished` at which a window of `extent` fits between `lo` and `hi`
// (inclusive); `lo` when it fits nowhere.
int clampedInto(int wished, int lo, int hi, int extent) {
    return std::max(lo, std::min(wished, hi + 1 - extent));
}

// The monitor the area belongs to: the one holding most of it, the first on a tie.
int mainScreenOf(const QList<QRect>& screens, const QRect& area) {
    int best = 0;
    qint64 most = -1;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect part = screens[i] & area;
        const qint64 size = part.isEmpty() ? 0 : qint64(part.width()) * part.height();
        if (size > most) {
            most = size;
            best = i;
        }
    }
    return best;
}

} // namespace

std::optional<QPoint> recordPanelPosition(const QList<QRect>& screens, const QRect& recorded,
                                          const QSize& panel, const QRect& trayIcon, int gap) {
    if (screens.isEmpty() || panel.isEmpty())
        return std::nullopt;
    // `gap` from the area's edge to the panel's: gap - 1 rows or columns lie between.
    const QRect kept = recorded.adjusted(1 - gap, 1 - gap, gap - 1, gap - 1);
    const bool trayKnown = trayIcon.isValid() && !trayIcon.isEmpty();
    const int w = panel.width();
    const int h = panel.height();
    auto freeOn = [&](const QRect& screen, const QPoint& at) {
        const QRect r(at, panel);
        return screen.contains(r) && !r.intersects(kept) && !(trayKnown && r.intersects(trayIcon));
    };

    QList<int> order;
    const int main = mainScreenOf(screens, recorded);
    order.append(main);
    for (int i = 0; i < screens.size(); ++i) {
        if (i != main)
            order.append(i);
    }
    for (int i : std::as_const(order)) {
        const QRect& m = screens[i];
        // Right-aligned one column short of the area's right edge, as the panels before it.
        const int x = clampedInto(recorded.right() - w, m.left(), m.right(), w);
        const int y = clampedInto(recorded.bottom() + 1 - h, m.top(), m.bottom(), h);
        const QPoint beside[] = {
            {x, recorded.bottom() + gap},
            {x, recorded.top() - gap - h},
            {recorded.right() + gap, y},
            {recorded.left() - gap - w, y},
        };
        for (const QPoint& at : beside) {
            if (freeOn(m, at))
                return at;
        }
    }
    for (int i : std::as_const(order)) {
        const QRect& m = screens[i];
        const int left = m.left() + gap;
        const int top = m.top() + gap;
        const int right = m.right() + 1 - gap - w;
        const int bottom = m.bottom() + 1 - gap - h;
        const QPoint corners[] = {{right, bottom}, {right, top}, {left, bottom}, {left, top}};
        for (const QPoint& at : corners) {
            if (freeOn(m, at))
                return at;
        }
    }
    return std::nullopt;
}

} // namespace Placement
