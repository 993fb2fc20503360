#include "app/Placement.h"

#include <algorithm>

namespace Placement {

namespace {

int half(int n) {
    return n / 2;
}

} // namespace

QPoint historyWidgetPosition(const QRect& a, const QRect& t, const QSize& window, int edge) {
    const int w = window.width();
    const int h = window.height();
    int x = a.left() + half(a.width()) - half(w);
    int y = a.top() + half(a.height()) - half(h);

    switch (edge) {
    case EdgeLeft:
        x = a.left();
        y = std::min(half(t.top() + t.bottom()) - half(h), a.bottom() - h);
        break;
    case EdgeTop:
        x = std::min(half(t.left() + t.right()) - half(w), a.right() - w);
        y = std::min(a.top(), a.bottom() - h);
        break;
    case EdgeRight:
        x = a.right() - w;
        y = std::min(half(t.top() + t.bottom()) - half(h), a.bottom() - h);
        break;
    case EdgeBottom:
        x = std::min(half(t.left() + t.right()) - half(w), a.right() - w);
        y = a.bottom() - h;
        break;
    default:
        break;
    }
    return QPoint(x, y);
}

QPoint centredOnScreen(const QRect& screen, const QSize& window) {
    return QPoint(half(screen.width()) - half(window.width()),
                  half(screen.height()) - half(window.height()));
}

QPoint snapButtonStartPoint(const QRect& available, const QSize& button) {
    return QPoint(half(available.width()) - half(button.width()),
                  half(available.height()) - button.height());
}

int taskbarEdgeFromGeometry(const QRect& screen, const QRect& available, const QRect& trayIcon) {
    if (!screen.isValid() || !available.isValid())
        return EdgeUnknown;

    // The strip each edge's panel reserves, empty where nothing is reserved.
    const QRect strips[4] = {
        QRect(QPoint(screen.left(), screen.top()), QPoint(available.left() - 1, screen.bottom())),
        QRect(QPoint(screen.left(), screen.top()), QPoint(screen.right(), available.top() - 1)),
        QRect(QPoint(available.right() + 1, screen.top()), QPoint(screen.right(), screen.bottom())),
        QRect(QPoint(screen.left(), available.bottom() + 1),
              QPoint(screen.right(), screen.bottom())),
    };

    int first = EdgeUnknown;
    for (int edge = EdgeLeft; edge <= EdgeBottom; ++edge) {
        if (!strips[edge].isValid())
            continue;
        if (first == EdgeUnknown)
            first = edge;
        if (trayIcon.isValid() && strips[edge].contains(trayIcon.center()))
            return edge;
    }
    return first;
}

} // namespace Placement
