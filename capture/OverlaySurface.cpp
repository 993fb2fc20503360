#include "capture/OverlaySurface.h"

#include "capture/CropCtrl.h"

#include <QMouseEvent>
#include <QPainter>

OverlaySurface::OverlaySurface(CropCtrl* control)
    : QWidget(control)
    , control_(control) {
    // The same kind of window as the control's own: above docks and panels, placed exactly.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_MouseTracking);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, control,
            [this](const QPoint& pos) { control_->showContextMenuAt(mapToGlobal(pos)); });
}

void OverlaySurface::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    control_->paintPart(painter, control_->partOf(this));
}

void OverlaySurface::mousePressEvent(QMouseEvent* event) {
    control_->pointerPressed(event, this);
}

void OverlaySurface::mouseMoveEvent(QMouseEvent* event) {
    control_->pointerMoved(event, this);
}

void OverlaySurface::mouseReleaseEvent(QMouseEvent* event) {
    control_->pointerReleased(event, this);
}

void OverlaySurface::keyPressEvent(QKeyEvent* event) {
    control_->keyPressEvent(event);
}
