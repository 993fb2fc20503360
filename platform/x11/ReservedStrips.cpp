#include "platform/x11/ReservedStrips.h"

#include <algorithm>

namespace platform::x11 {

QRect availableFromStrips(const QRect& monitor, const QSize& root,
                          const QList<ReservedStrip>& strips) {
    QRect free = monitor;
    for (const ReservedStrip& s : strips) {
        if (s.width <= 0 || s.end < s.start)
            continue;
        QRect taken;
        switch (s.edge) {
        case Edge::Left:
            taken = QRect(QPoint(0, s.start), QPoint(s.width - 1, s.end));
            break;
        case Edge::Right:
            taken = QRect(QPoint(root.width() - s.width, s.start), QPoint(root.width() - 1, s.end));
            break;
        case Edge::Top:
            taken = QRect(QPoint(s.start, 0), QPoint(s.end, s.width - 1));
            break;
        case Edge::Bottom:
            taken =
                QRect(QPoint(s.start, root.height() - s.width), QPoint(s.end, root.height() - 1));
            break;
        }
        if (!taken.intersects(free))
            continue;
        switch (s.edge) {
        case Edge::Left:
            free.setLeft(std::max(free.left(), taken.right() + 1));
            break;
        case Edge::Right:
            free.setRight(std::min(free.right(), taken.left() - 1));
            break;
        case Edge::Top:
            free.setTop(std::max(free.top(), taken.bottom() + 1));
            break;
        case Edge::Bottom:
            free.setBottom(std::min(free.bottom(), taken.top() - 1));
            break;
        }
    }
    // A panel covering the whole monitor leaves nothing sensible: keep the monitor.
    return free.isEmpty() ? monitor : free;
}

} // namespace platform::x11
