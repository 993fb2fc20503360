#include "capture/SelectionShortcuts.h"

#include "capture/SelectionGeometry.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

namespace CaptureGeometry {

bool leftClickSlop(QPoint press, QPoint pointer) {
    return std::abs(pointer.x() - press.x()) > kClickSlop ||
           std::abs(pointer.y() - press.y()) > kClickSlop;
}

QRect clickTarget(QPoint p, const QVector<QRect>& windows, const QVector<QRect>& monitors,
                  QSize area) {
    const QRect overlay(QPoint(0, 0), area);
    for (const QRect& window : windows) {
        const QRect onOverlay = window.intersected(overlay);
        if (onOverlay.contains(p))
            return onOverlay;
    }
    for (const QRect& monitor : monitors) {
        if (monitor.contains(p))
            return monitor.intersected(overlay);
    }
    return overlay;
}

QRect fittedToArea(const QRect& r, QSize area) {
    const QRect s = normalizedSelection(r);
    const int w = std::clamp(s.width(), std::min(kMinimumSide, area.width()), area.width());
    const int h = std::clamp(s.height(), std::min(kMinimumSide, area.height()), area.height());
    const int x = std::clamp(s.left(), 0, area.width() - w);
    const int y = std::clamp(s.top(), 0, area.height() - h);
    return QRect(x, y, w, h);
}

QRect nudgedSelection(const QRect& selection, QPoint by, QSize area) {
    return fittedToArea(normalizedSelection(selection).translated(by), area);
}

QRect grownSelection(const QRect& selection, QPoint by, QSize area) {
    const QRect s = normalizedSelection(selection);
    const int w = std::clamp(s.width() + by.x(), kMinimumSide, area.width() - s.left());
    const int h = std::clamp(s.height() + by.y(), kMinimumSide, area.height() - s.top());
    return fittedToArea(QRect(s.topLeft(), QSize(w, h)), area);
}

std::optional<TypedArea> parseTypedArea(const QString& text) {
    // Sizes past this are typing mistakes, not monitors; they would overflow the sums below.
    constexpr int kLargest = 100000;
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{1,6})\\s*[xX\\x{00D7}]\\s*(\\d{1,6})\\s*"
                       "(?:(?:at\\s+|@\\s*)(-?\\d{1,6})\\s*,\\s*(-?\\d{1,6})"
                       "|\\+(-?\\d{1,6})\\s*\\+(-?\\d{1,6}))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    TypedArea typed;
    typed.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    if (typed.size.width() <= 0 || typed.size.height() <= 0 || typed.size.width() > kLargest ||
        typed.size.height() > kLargest)
        return std::nullopt;
    if (m.hasCaptured(3))
        typed.position = QPoint(m.captured(3).toInt(), m.captured(4).toInt());
    else if (m.hasCaptured(5))
        typed.position = QPoint(m.captured(5).toInt(), m.captured(6).toInt());
    return typed;
}

QString typedAreaText(const QRect& pixels) {
    return QStringLiteral("%1x%2 at %3,%4")
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(pixels.x())
        .arg(pixels.y());
}

std::optional<QRect> usableLastArea(const QRect& stored, QSize area) {
    const QRect s = normalizedSelection(stored);
    if (s.width() < kMinimumSide || s.height() < kMinimumSide)
        return std::nullopt;
    if (!QRect(QPoint(0, 0), area).contains(s))
        return std::nullopt;
    return s;
}

} // namespace CaptureGeometry
