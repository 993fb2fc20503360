#include "capture/ScreenLayout.h"

#include "capture/SelectionGeometry.h"

#include <algorithm>
#include <cmath>

ScreenLayout::ScreenLayout(const QVector<Monitor>& monitors, const QRect& fallback) {
    if (monitors.isEmpty()) {
        overlaySize_ = fallback.size();
        fallbackOrigin_ = fallback.topLeft();
        physicalOrigin_ = fallback.topLeft();
        return;
    }
    // Qt keeps each monitor's top-left corner in X screen pixels and divides only its extent
    // by the ratio; the physical layout is what the monitors really are.
    QRect physicalDesktop;
    for (const Monitor& m : monitors) {
        Part part;
        part.logical = m.logical;
        part.physical =
            QRect(m.logical.topLeft(), QSize(int(std::lround(m.logical.width() * m.ratio)),
                                             int(std::lround(m.logical.height() * m.ratio))));
        physicalDesktop |= part.physical;
        ratio_ = std::max(ratio_, m.ratio);
        parts_.append(part);
    }
    physicalOrigin_ = physicalDesktop.topLeft();
    const auto toOverlay = [this](int v) {
        return int(std::lround(v / ratio_));
    };
    QRect all;
    for (int i = 0; i < parts_.size(); ++i) {
        Part& part = parts_[i];
        const QPoint p = part.physical.topLeft() - physicalOrigin_;
        part.area =
            QRect(QPoint(toOverlay(p.x()), toOverlay(p.y())),
                  QSize(toOverlay(part.physical.width()), toOverlay(part.physical.height())));
        part.toOverlay = monitors[i].ratio / ratio_;
        all |= part.area;
    }
    overlaySize_ = QSize(all.right() + 1, all.bottom() + 1);
}

int ScreenLayout::partAt(QPoint overlayPoint) const {
    int best = -1;
    double bestDistance = -1;
    for (int i = 0; i < parts_.size(); ++i) {
        const QRect& a = parts_[i].area;
        if (a.contains(overlayPoint))
            return i;
        const double dx = std::max({a.left() - overlayPoint.x(), 0, overlayPoint.x() - a.right()});
        const double dy = std::max({a.top() - overlayPoint.y(), 0, overlayPoint.y() - a.bottom()});
        const double d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

QPoint ScreenLayout::overlayPoint(int i, QPointF local) const {
    if (i < 0 || i >= parts_.size())
        return local.toPoint();
    const Part& part = parts_[i];
    return part.area.topLeft() + (local * part.toOverlay).toPoint();
}

QPoint ScreenLayout::fromGlobal(QPoint global) const {
    if (parts_.isEmpty())
        return global - fallbackOrigin_;
    const Part* on = &parts_.front();
    for (const Part& part : parts_) {
        if (part.logical.contains(global)) {
            on = &part;
            break;
        }
    }
    return on->area.topLeft() + (QPointF(global - on->logical.topLeft()) * on->toOverlay).toPoint();
}

QRect ScreenLayout::overlayRect(const QRect& globalGeometry) const {
    const QPoint topLeft = fromGlobal(globalGeometry.topLeft());
    const int i = partAt(topLeft);
    const double k = i < 0 ? 1.0 : parts_[i].toOverlay;
    return QRect(topLeft, (QSizeF(globalGeometry.size()) * k).toSize());
}

QRect ScreenLayout::keptOnPart(const QRect& overlayArea, int i) const {
    if (i < 0 || i >= parts_.size())
        return overlayArea;
    const QRect& a = parts_[i].area;
    QRect r = overlayArea;
    if (a.right() < overlaySize_.width() - 1 && r.right() > a.right())
        r.moveRight(a.right());
    if (a.left() > 0 && r.left() < a.left())
        r.moveLeft(a.left());
    if (a.bottom() < overlaySize_.height() - 1 && r.bottom() > a.bottom())
        r.moveBottom(a.bottom());
    if (a.top() > 0 && r.top() < a.top())
        r.moveTop(a.top());
    return r;
}

QRect ScreenLayout::toGlobal(const QRect& overlayArea, QPoint anchor, bool keepOnScreen) const {
    const int i = partAt(anchor);
    if (i < 0)
        return overlayArea.translated(fallbackOrigin_);
    const QRect area = keepOnScreen ? keptOnPart(overlayArea, i) : overlayArea;
    return toLocal(area, i).translated(parts_[i].logical.topLeft());
}

QRect ScreenLayout::toLocal(const QRect& overlayArea, int i) const {
    if (i < 0 || i >= parts_.size())
        return overlayArea;
    const Part& part = parts_[i];
    const QPointF offset = QPointF(overlayArea.topLeft() - part.area.topLeft()) / part.toOverlay;
    const QSizeF size = QSizeF(overlayArea.size()) / part.toOverlay;
    return QRect(offset.toPoint(), size.toSize());
}

QRect ScreenLayout::fromLocal(const QRect& local, int i) const {
    if (i < 0 || i >= parts_.size())
        return local;
    const Part& part = parts_[i];
    return QRect(part.area.topLeft() + (QPointF(local.topLeft()) * part.toOverlay).toPoint(),
                 (QSizeF(local.size()) * part.toOverlay).toSize());
}

QRect ScreenLayout::pixelsInPart(const QRect& overlayArea, int i) const {
    if (i < 0 || i >= parts_.size())
        return physicalRect(overlayArea);
    const Part& part = parts_[i];
    const double ratio = double(part.physical.width()) / std::max(1, part.logical.width());
    const QRect local = overlayArea.translated(-part.area.topLeft());
    return CaptureGeometry::toPhysical(local, QRect(), ratio / part.toOverlay);
}

QRect ScreenLayout::physicalRect(const QRect& overlayArea) const {
    // The grabber reads the X root window in physical pixels; overlay units are those
    // divided by the ratio, from the monitors' common top-left corner.
    return CaptureGeometry::toPhysical(overlayArea, QRect(), ratio_).translated(physicalOrigin_);
}

QRect ScreenLayout::fromPhysical(const QRect& pixels) const {
    const auto down = [this](int v, int origin) {
        return int(std::floor((v - origin) / ratio_));
    };
    const auto up = [this](int v, int origin) {
        return int(std::ceil((v - origin) / ratio_));
    };
    const QPoint o = physicalOrigin_;
    return QRect(QPoint(down(pixels.left(), o.x()), down(pixels.top(), o.y())),
                 QPoint(up(pixels.left() + pixels.width(), o.x()) - 1,
                        up(pixels.top() + pixels.height(), o.y()) - 1));
}
