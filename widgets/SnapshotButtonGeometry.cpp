#include "widgets/SnapshotButtonGeometry.h"

namespace SnapshotButtonGeometry {

namespace {

// Point p lies in triangle (a, b, c) when it is on the inner side of all three sides (a
// point on a side counts as inside). The triangles are given clockwise on screen.
bool inTriangle(const QPoint& p, const QPoint& a, const QPoint& b, const QPoint& c) {
    const qint64 s1 =
        qint64(a.y() - b.y()) * (p.x() - a.x()) - qint64(a.x() - b.x()) * (p.y() - a.y());
    const qint64 s2 =
        qint64(b.y() - c.y()) * (p.x() - b.x()) - qint64(b.x() - c.x()) * (p.y() - b.y());
    const qint64 s3 =
        qint64(c.y() - a.y()) * (p.x() - c.x()) - qint64(p.y() - c.y()) * (c.x() - a.x());
    return s1 >= 0 && s2 >= 0 && s3 >= 0;
}

bool isTopOrBottom(int state) {
    return state == StateTop || state == StateTopPressed || state == StateBottom ||
           state == StateBottomPressed;
}

bool isLeftOrRight(int state) {
    return state == StateLeft || state == StateLeftPressed || state == StateRight ||
           state == StateRightPressed;
}

} // namespace

Edge nearestEdge(const QRect& window, const QRect& s) {
    const QPoint c((window.left() + window.right()) / 2, (window.top() + window.bottom()) / 2);
    if (c.x() == s.left())
        return Edge::Left;
    if (c.x() == s.right())
        return Edge::Right;
    if (c.y() == s.bottom())
        return Edge::Bottom;
    if (c.y() == s.top())
        return Edge::Top;

    const int hw = s.width() / 2;
    const int hh = s.height() / 2;
    const int mx = (s.left() + s.right()) / 2;
    const int my = (s.top() + s.bottom()) / 2;

    if (QRect(s.left(), s.top(), hw, hh).contains(c))
        return inTriangle(c, {s.left(), s.top()}, {s.left() + hw - 1, s.top()},
                          {s.left() + hw - 1, s.top() + hh - 1})
                   ? Edge::Top
                   : Edge::Left;
    if (QRect(mx, s.top(), hw, hh).contains(c))
        return inTriangle(c, {mx, s.top()}, {mx + hw - 1, s.top()}, {mx, s.top() + hh - 1})
                   ? Edge::Top
                   : Edge::Right;
    if (QRect(s.left(), s.top() + hh, hw, hh).contains(c))
        return inTriangle(c, {s.left(), s.top() + hh}, {s.left() + hw - 1, s.top() + hh},
                          {s.left(), s.top() + 2 * hh - 1})
                   ? Edge::Left
                   : Edge::Bottom;
    if (QRect(mx, my, hw, hh).contains(c))
        return inTriangle(c, {mx, my}, {mx + hw - 1, my}, {mx + hw - 1, my + hh - 1})
                   ? Edge::Right
                   : Edge::Bottom;
    return Edge::Top;
}

State dockedState(Edge edge) {
    switch (edge) {
    case Edge::Top:
        return StateTop;
    case Edge::Left:
        return StateLeft;
    case Edge::Right:
        return StateRight;
    case Edge::Bottom:
        return StateBottom;
    }
    return StateNone;
}

QPoint dockPosition(Edge edge, const QPoint& windowPos, const QSize& windowSize,
                    const QSize& dockedSize, const QRect& a) {
    const int w = dockedSize.width();
    const int h = dockedSize.height();
    int x = windowPos.x();
    int y = windowPos.y();
    if (x < a.left())
        x = a.left();
    else if (x > a.right() - w)
        x = a.right() - w;
    if (y < a.top())
        y = a.top();
    else if (y > a.bottom() - h)
        y = a.bottom() - h;

    switch (edge) {
    case Edge::Top:
        return {x, a.top() + h / 2};
    case Edge::Left:
        return {a.left() + w - windowSize.width() / 2, y};
    case Edge::Right:
        return {a.right() - w + 1, y};
    case Edge::Bottom:
        return {x, a.bottom() - h + 1};
    }
    return {0, 0};
}

std::optional<Edge> dockedEdge(int state) {
    switch (state) {
    case StateTop:
    case StateTopPressed:
        return Edge::Top;
    case StateRight:
    case StateRightPressed:
        return Edge::Right;
    case StateBottom:
    case StateBottomPressed:
        return Edge::Bottom;
    case StateLeft:
    case StateLeftPressed:
        return Edge::Left;
    default:
        return std::nullopt;
    }
}

int pressedCounterpart(int state) {
    switch (state) {
    case StateTop:
        return StateTopPressed;
    case StateTopPressed:
        return StateTop;
    case StateRight:
        return StateRightPressed;
    case StateRightPressed:
        return StateRight;
    case StateBottom:
        return StateBottomPressed;
    case StateBottomPressed:
        return StateBottom;
    case StateLeft:
        return StateLeftPressed;
    case StateLeftPressed:
        return StateLeft;
    default:
        return StateMoving;
    }
}

bool isCounterpart(int a, int b) {
    return a >= StateTop && a <= StateLeftPressed && pressedCounterpart(a) == b;
}

Tuck tuck(int state, const QSize& fullSize, const QPoint& p, const Tuck& previous) {
    Tuck t = previous;
    const int W = fullSize.width();
    const int H = fullSize.height();
    if (isTopOrBottom(state))
        t.minimizedSize = QSize(W, H / 2);
    else if (isLeftOrRight(state))
        t.minimizedSize = QSize(W / 2, H);
    const int w = t.minimizedSize.width();
    const int h = t.minimizedSize.height();
    switch (state) {
    case StateTop:
    case StateTopPressed:
        t.minimizedLabelPos = QPoint(0, h - H);
        break;
    case StateRight:
    case StateRightPressed:
        t.minimizedWindowPos = QPoint(p.x() + W - w, p.y());
        break;
    case StateBottom:
    case StateBottomPressed:
        t.minimizedWindowPos = QPoint(p.x(), p.y() + H - h);
        break;
    case StateLeft:
    case StateLeftPressed:
        t.minimizedLabelPos = QPoint(w - W, 0);
        break;
    default:
        break;
    }
    return t;
}

} // namespace SnapshotButtonGeometry
