#include "capture/SelectionGeometry.h"

#include <QTime>
#include <algorithm>
#include <cmath>

namespace CaptureGeometry {

QRect normalizedSelection(const QRect& r) {
    // A rectangle exactly one short (the null rectangle) is empty, not inverted.
    int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    if (rr < l - 1)
        std::swap(l, rr);
    if (b < t - 1)
        std::swap(t, b);
    return QRect(QPoint(l, t), QPoint(rr, b));
}

QPoint clampToArea(QPoint p, QSize area) {
    return QPoint(std::clamp(p.x(), 0, std::max(0, area.width() - 1)),
                  std::clamp(p.y(), 0, std::max(0, area.height() - 1)));
}

int truncateToStep(int v) {
    return v - v % kSizeStep;
}

QRect drawnSelection(QPoint press, QPoint pointer, QSize area) {
    const QPoint corner = clampToArea(pointer, area);
    int left = press.x(), top = press.y();
    int right = corner.x(), bottom = corner.y();

    const int widthRest = (std::abs(right - left) + 1) % kSizeStep;
    const int heightRest = (std::abs(bottom - top) + 1) % kSizeStep;
    if (widthRest != 0 || heightRest != 0) {
        right -= widthRest;
        bottom -= heightRest;
        if (right - left + 1 == 0)
            right = left + kSizeStep - 1;
        if (bottom - top + 1 == 0)
            bottom = top + kSizeStep - 1;
    }
    // Signed on purpose: a pointer left of (above) the press point gives the minimum side.
    if (right - left + 1 <= kMinimumSide)
        right = left + kMinimumSide - 1;
    if (bottom - top + 1 <= kMinimumSide)
        bottom = top + kMinimumSide - 1;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QPoint moveLimit(const QRect& selection, QSize area) {
    return QPoint((area.width() - 1) + selection.left() - selection.right(),
                  (area.height() - 1) + selection.top() - selection.bottom());
}

QRect movedSelection(const QRect& selection, QPoint moveOrigin, QPoint press, QPoint pointer,
                     QPoint limit) {
    int x = moveOrigin.x() + (pointer.x() - press.x());
    int y = moveOrigin.y() + (pointer.y() - press.y());
    x = std::min(std::max(x, 0), limit.x());
    y = std::min(std::max(y, 0), limit.y());
    QRect moved = selection;
    moved.moveTopLeft(QPoint(x, y));
    return moved;
}

QMap<int, QRect> handleRects(const QRect& selection) {
    QMap<int, QRect> handles;
    const QRect s = normalizedSelection(selection);
    if (s.right() < s.left() || s.bottom() < s.top())
        return handles;
    const int l = s.left(), t = s.top(), r = s.right(), b = s.bottom();
    const int mx = (l + r) / 2, my = (t + b) / 2;
    const QPoint centres[8] = {{l, t}, {mx, t}, {r, t}, {r, my}, {r, b}, {mx, b}, {l, b}, {l, my}};
    for (int key = 0; key < 8; ++key) {
        const QPoint c = centres[key];
        handles.insert(key, QRect(QPoint(c.x() - kHandleHalf, c.y() - kHandleHalf),
                                  QPoint(c.x() + kHandleHalf, c.y() + kHandleHalf)));
    }
    return handles;
}

bool handleAt(const QMap<int, QRect>& handles, QPoint p, int* key) {
    for (auto it = handles.cbegin(); it != handles.cend(); ++it) {
        if (it.value().adjusted(-kHandleGrip, -kHandleGrip, kHandleGrip, kHandleGrip).contains(p)) {
            if (key)
                *key = it.key();
            return true;
        }
    }
    return false;
}

Qt::CursorShape handleCursor(int key) {
    switch (key) {
    case 0:
    case 4:
        return Qt::SizeFDiagCursor;
    case 1:
    case 5:
        return Qt::SizeVerCursor;
    case 2:
    case 6:
        return Qt::SizeBDiagCursor;
    case 3:
    case 7:
        return Qt::SizeHorCursor;
    default:
        return Qt::ArrowCursor;
    }
}

QRect resizedSelection(const QRect& current, const QRect& start, int key, QPoint press,
                       QPoint pointer, QSize area) {
    const int dx = truncateToStep(pointer.x() - press.x());
    const int dy = truncateToStep(pointer.y() - press.y());
    const QRect s0 = normalizedSelection(start);
    const int l0 = s0.left(), t0 = s0.top(), r0 = s0.right(), b0 = s0.bottom();

    int x = 0, y = 0;
    if (key == 0 || key == 6 || key == 7)
        x = l0 + dx;
    else if (key == 2 || key == 3 || key == 4)
        x = r0 + dx;
    else
        x = (l0 + r0) / 2 + dx;
    if (key == 0 || key == 1 || key == 2)
        y = t0 + dy;
    else if (key == 4 || key == 5 || key == 6)
        y = b0 + dy;
    else
        y = (t0 + b0) / 2 + dy;
    const QPoint ref = clampToArea(QPoint(x, y), area);

    const QRect s = normalizedSelection(current);
    int left = s.left(), top = s.top(), right = s.right(), bottom = s.bottom();
    const int span = kMinimumSide - 1;
    const bool movesLeft = key == 0 || key == 6 || key == 7;
    const bool movesRight = key == 2 || key == 3 || key == 4;
    const bool movesTop = key == 0 || key == 1 || key == 2;
    const bool movesBottom = key == 4 || key == 5 || key == 6;
    if (movesLeft)
        left = std::min(ref.x(), right - span);
    if (movesRight)
        right = std::max(ref.x(), left + span);
    if (movesTop)
        top = std::min(ref.y(), bottom - span);
    if (movesBottom)
        bottom = std::max(ref.y(), top + span);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QPoint sizeLabelPos(const QRect& selection, int labelHeight) {
    const QRect s = normalizedSelection(selection);
    int y = s.top() - labelHeight - kPanelGap;
    if (y < 0)
        y = s.top() + kPanelGap;
    return QPoint(s.left(), y);
}

QPoint panelPos(const QRect& selection, QSize panel, int areaHeight) {
    const QRect s = normalizedSelection(selection);
    const int x = s.right() - panel.width();
    const int h = panel.height();
    const int y = (s.bottom() + h + kPanelGap < areaHeight - 1) ? s.bottom() + kPanelGap
                                                                : s.bottom() - h - kPanelGap;
    return QPoint(x, y);
}

QPoint recordPanelPos(const QRect& selection, QSize panel, int areaHeight) {
    const QRect s = normalizedSelection(selection);
    const int h = panel.height();
    if (s.bottom() + h + kPanelGap < areaHeight - 1)
        return QPoint(s.right() - panel.width(), s.bottom() + kPanelGap);
    // Leave a row between the frame (drawn at top - 2) and the panel.
    const int above = s.top() - kPanelGap - h;
    if (above >= 0)
        return QPoint(s.right() - panel.width(), above);
    return panelPos(selection, panel, areaHeight);
}

QPoint socialPanelPos(QPoint shareButtonTopLeft, int shareButtonWidth, QSize panel,
                      const QRect& finishedPanel, int areaHeight) {
    const int x = shareButtonTopLeft.x() + shareButtonWidth / 2 - panel.width() / 2;
    const int h = panel.height();
    const int y = ((areaHeight - 1) - finishedPanel.bottom() >= h + kSocialGap)
                      ? finishedPanel.bottom() + kSocialGap
                      : finishedPanel.top() - h - kSocialGap;
    return QPoint(x, y);
}

QVector<QRectF> dimBands(const QRect& selection, QSize area, double f) {
    const QRect s = normalizedSelection(selection);
    const double l = s.left(), t = s.top(), r = s.right(), b = s.bottom();
    const double w = area.width(), h = area.height();
    QVector<QRectF> bands;
    if (s.top() != 0)
        bands.append(QRectF(0, 0, w, t));
    if (h - 1 > b + f)
        bands.append(QRectF(0, b + f, w, h - b - f));
    if (s.left() != 0)
        bands.append(QRectF(0, t, l, b - t + f));
    if (w - 1 > r + f)
        bands.append(QRectF(r + f, t, w - r - f, b - t + f));
    return bands;
}

QRect recordFrameGeometry(const QRect& capture) {
    const QRect c = normalizedSelection(capture);
    return QRect(QPoint(c.left() - 2, c.top() - 2), QPoint(c.right() + 1, c.bottom() + 1));
}

QRect toPhysical(const QRect& logical, const QRect& screenGeometry, double dpr) {
    const QRect s = normalizedSelection(logical);
    const double ox = screenGeometry.x(), oy = screenGeometry.y();
    const auto map = [dpr](double origin, double v) {
        return static_cast<int>(std::lround(origin + (v - origin) * dpr));
    };
    const int left = map(ox, s.left());
    const int top = map(oy, s.top());
    const int rightEnd = map(ox, s.right() + 1.0);
    const int bottomEnd = map(oy, s.bottom() + 1.0);
    return QRect(left, top, rightEnd - left, bottomEnd - top);
}

QString elapsedText(int ticks) {
    return QTime(0, 0).addSecs(ticks).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace CaptureGeometry
