// The overlay's windows, one on each monitor, and the mapping between overlay coordinates,
// Qt's logical coordinates of each monitor and pixels of the X screen.
#include "capture/CropCtrl.h"

#include "capture/OverlaySurface.h"
#include "capture/SelectionGeometry.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

void CropCtrl::layOutScreens() {
    // The labels and the start panel may sit on a monitor's window that is about to go.
    for (QWidget* child : {static_cast<QWidget*>(hintLabel_), static_cast<QWidget*>(sizeLabel_),
                           startRecordPanel_}) {
        if (child->parentWidget() != this) {
            child->setParent(this);
            child->hide();
        }
    }
    parts_.clear();
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (screens.removeOne(primary))
        screens.prepend(primary);
    if (screens.isEmpty()) {
        overlaySize_ = size();
        physicalOrigin_ = geometry().topLeft();
        ratio_ = 1.0;
        showSurfaces(false);
        return;
    }
    // Qt keeps each monitor's top-left corner in X screen pixels and divides only its extent
    // by the ratio; the physical layout is what the monitors really are.
    QRect physicalDesktop;
    ratio_ = 1.0;
    for (QScreen* screen : screens) {
        const QRect g = screen->geometry();
        const double s = screen->devicePixelRatio();
        ScreenPart part;
        part.screen = screen;
        part.physical = QRect(
            g.topLeft(), QSize(int(std::lround(g.width() * s)), int(std::lround(g.height() * s))));
        physicalDesktop |= part.physical;
        ratio_ = std::max(ratio_, s);
        parts_.push_back(part);
    }
    physicalOrigin_ = physicalDesktop.topLeft();
    const auto toOverlay = [this](int v) {
        return int(std::lround(v / ratio_));
    };
    QRect all;
    for (ScreenPart& part : parts_) {
        const QPoint p = part.physical.topLeft() - physicalOrigin_;
        part.area =
            QRect(QPoint(toOverlay(p.x()), toOverlay(p.y())),
                  QSize(toOverlay(part.physical.width()), toOverlay(part.physical.height())));
        part.toOverlay = part.screen->devicePixelRatio() / ratio_;
        all |= part.area;
    }
    overlaySize_ = QSize(all.right() + 1, all.bottom() + 1);

    // The control itself covers the primary monitor (the first one Qt names); every other
    // monitor gets a window of its own.
    while (surfaces_.size() < int(parts_.size()) - 1)
        surfaces_.append(new OverlaySurface(this));
    while (surfaces_.size() > int(parts_.size()) - 1)
        delete surfaces_.takeLast();
    for (size_t i = 0; i < parts_.size(); ++i) {
        ScreenPart& part = parts_[i];
        part.window = i == 0 ? static_cast<QWidget*>(this) : surfaces_[int(i) - 1];
        if (i > 0) {
            part.window->setScreen(part.screen);
            part.window->setWindowTitle(QString());
        }
        part.window->setGeometry(part.screen->geometry());
    }
}

void CropCtrl::grabScreens() {
    QList<QScreen*> screens;
    for (const ScreenPart& part : parts_)
        screens.append(part.screen);
    platform::Platform::current().screenPictures().capture(
        screens, [this, screens](const QList<QPixmap>& pictures) {
            // The monitors may have changed while the desktop was asked.
            for (size_t i = 0; i < parts_.size() && int(i) < pictures.size(); ++i) {
                if (parts_[i].screen == screens.value(int(i)))
                    parts_[i].picture = pictures[int(i)];
            }
        });
}

void CropCtrl::showSurfaces(bool visible) {
    for (OverlaySurface* surface : std::as_const(surfaces_)) {
        surface->setVisible(visible);
        if (visible)
            surface->raise();
    }
}

void CropCtrl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showSurfaces(true);
}

void CropCtrl::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    showSurfaces(false);
}

int CropCtrl::partAt(QPoint overlayPoint) const {
    if (parts_.empty())
        return -1;
    // Between or beyond the monitors: the nearest one.
    int best = 0;
    double bestDistance = -1;
    for (size_t i = 0; i < parts_.size(); ++i) {
        const QRect& a = parts_[i].area;
        if (a.contains(overlayPoint))
            return int(i);
        const double dx = std::max({a.left() - overlayPoint.x(), 0, overlayPoint.x() - a.right()});
        const double dy = std::max({a.top() - overlayPoint.y(), 0, overlayPoint.y() - a.bottom()});
        const double d = dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

int CropCtrl::partOf(const QWidget* window) const {
    for (size_t i = 0; i < parts_.size(); ++i) {
        if (parts_[i].window == window)
            return int(i);
    }
    return -1;
}

QPoint CropCtrl::overlayPoint(const QWidget* window, QPointF local) const {
    const int i = partOf(window);
    if (i < 0)
        return local.toPoint();
    const ScreenPart& part = parts_[size_t(i)];
    return part.area.topLeft() + (local * part.toOverlay).toPoint();
}

QPoint CropCtrl::fromGlobal(QPoint global) const {
    for (const ScreenPart& part : parts_) {
        const QRect g = part.screen->geometry();
        if (g.contains(global))
            return part.area.topLeft() + (QPointF(global - g.topLeft()) * part.toOverlay).toPoint();
    }
    if (parts_.empty())
        return global - geometry().topLeft();
    const ScreenPart& first = parts_.front();
    return first.area.topLeft() +
           (QPointF(global - first.screen->geometry().topLeft()) * first.toOverlay).toPoint();
}

QRect CropCtrl::keptOnPart(const QRect& overlayArea, const ScreenPart& part) const {
    // Only the edges a monitor shares with the rest of the overlay hold things back: there
    // they would be cut off or land on the other monitor. At the outer edges of the desktop
    // things stay where their own rule puts them, as on a desktop of one monitor.
    const QRect& a = part.area;
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

QRect CropCtrl::toGlobal(const QRect& overlayArea, QPoint anchor, bool keepOnScreen) const {
    const int i = partAt(anchor);
    if (i < 0)
        return overlayArea.translated(geometry().topLeft());
    const ScreenPart& part = parts_[size_t(i)];
    const QRect area = keepOnScreen ? keptOnPart(overlayArea, part) : overlayArea;
    const QPointF offset = QPointF(area.topLeft() - part.area.topLeft()) / part.toOverlay;
    const QSizeF size = QSizeF(area.size()) / part.toOverlay;
    return QRect(part.screen->geometry().topLeft() + offset.toPoint(), size.toSize());
}

QRect CropCtrl::overlayRectOf(const QWidget* window) const {
    const QPoint topLeft = fromGlobal(window->geometry().topLeft());
    const int i = partAt(topLeft);
    const double k = i < 0 ? 1.0 : parts_[size_t(i)].toOverlay;
    return QRect(topLeft, (QSizeF(window->size()) * k).toSize());
}

void CropCtrl::placeChild(QWidget* child, QPoint overlayPos, QPoint anchor) {
    const int i = partAt(anchor);
    if (i < 0) {
        child->move(overlayPos);
        return;
    }
    const ScreenPart& part = parts_[size_t(i)];
    const QSize size = (QSizeF(child->size()) * part.toOverlay).toSize();
    const QRect& a = part.area;
    const QPoint pos = keptOnPart(QRect(overlayPos, size), part).topLeft();
    if (child->parentWidget() != part.window) {
        const bool shown = !child->isHidden();
        child->setParent(part.window);
        child->setVisible(shown);
    }
    child->move((QPointF(pos - a.topLeft()) / part.toOverlay).toPoint());
}

QRect CropCtrl::childOverlayRect(const QWidget* child) const {
    const QWidget* window = child->parentWidget();
    const int i = partOf(window);
    if (i < 0)
        return child->geometry();
    const ScreenPart& part = parts_[size_t(i)];
    return QRect(part.area.topLeft() + (QPointF(child->pos()) * part.toOverlay).toPoint(),
                 (QSizeF(child->size()) * part.toOverlay).toSize());
}

void CropCtrl::setOverlayCursor(Qt::CursorShape shape) {
    setCursor(shape);
    for (OverlaySurface* surface : std::as_const(surfaces_))
        surface->setCursor(shape);
}

void CropCtrl::updateScreens() {
    update();
    for (OverlaySurface* surface : std::as_const(surfaces_))
        surface->update();
}

void CropCtrl::repaintScreens() {
    repaint();
    for (OverlaySurface* surface : std::as_const(surfaces_))
        surface->repaint();
}
