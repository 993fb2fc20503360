#include "capture/OverlayWindow.h"

#include "capture/RecordRect.h"
#include "capture/ScreenLayout.h"
#include "capture/SelectionGeometry.h"
#include "capture/SelectionModel.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Black at about half opacity: the desktop stays readable under the dimming.
const QColor kDimColor(0, 0, 0, 127);
// What a click would take: a clear outline, thick enough to see on any picture, thin enough
// to hide little of the window's own edge.
const QColor kTargetColor(64, 160, 255, 230);
constexpr int kTargetLine = 2;
// The last area, offered again: faint, so that it does not pass for a selection.
const QColor kOfferedColor(255, 255, 255, 110);
} // namespace

OverlayWindow::OverlayWindow(const SelectionModel& model, const ScreenLayout& layout)
    : model_(model)
    , layout_(layout) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_MouseTracking);
    // The overlay must lie above every window, docks and panels included, on every screen:
    // the window manager would keep docks above it and fit it into one monitor.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setWindowIcon(QIcon(QStringLiteral(":/Resources/windowIcon.png")));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit contextMenuRequested(mapToGlobal(pos)); });
}

void OverlayWindow::setPart(int index, QScreen* screen) {
    part_ = index;
    screen_ = screen;
}

void OverlayWindow::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

QPoint OverlayWindow::toOverlay(QPointF local) const {
    return layout_.overlayPoint(part_, local);
}

void OverlayWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (part_ < 0 || part_ >= layout_.count())
        return;
    QPainter painter(this);
    // The painter works in overlay units; the window shows its monitor's part of them.
    const QRect area = layout_.area(part_);
    const double k = layout_.toOverlay(part_);
    painter.scale(1.0 / k, 1.0 / k);
    painter.translate(-area.topLeft());
    if (!picture_.isNull())
        painter.drawPixmap(area, picture_);

    if (model_.mode() == SelectionModel::Mode::Idle) {
        painter.fillRect(area, QBrush(kDimColor));
        paintOffers(painter);
        return;
    }
    const double frame = CaptureGeometry::kFrameWidth;
    for (const QRectF& band :
         CaptureGeometry::dimBands(model_.selection(), layout_.overlaySize(), frame))
        painter.fillRect(band, QBrush(kDimColor));

    const QRect s = model_.normalized();
    painter.setPen(QColor(0, 0, 0, 255));
    painter.drawRects(&s, 1);
    painter.setPen(dashedFramePen(frame));
    painter.drawRects(&s, 1);

    painter.setPen(QColor(Qt::white));
    for (const QRect& handle : model_.handles()) {
        painter.drawRects(&handle, 1);
        painter.fillRect(
            QRect(handle.topLeft() + QPoint(1, 1), handle.bottomRight() - QPoint(1, 1)), Qt::black);
    }
}

void OverlayWindow::paintOffers(QPainter& painter) const {
    const QRect offered = model_.offered();
    if (!offered.isNull()) {
        QPen pen(kOfferedColor, 1, Qt::DashLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(offered);
    }
    const QRect target = model_.target();
    if (!target.isNull()) {
        // Drawn inside the target, so that a monitor's outline stays on that monitor.
        const double half = kTargetLine / 2.0;
        QPen pen(kTargetColor, kTargetLine);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(target).adjusted(half, half, -half, -half));
    }
}

void OverlayWindow::mousePressEvent(QMouseEvent* event) {
    emit pressed(toOverlay(event->position()), event->button());
}

void OverlayWindow::mouseMoveEvent(QMouseEvent* event) {
    emit moved(toOverlay(event->position()), event->buttons());
}

void OverlayWindow::mouseReleaseEvent(QMouseEvent* event) {
    emit released(toOverlay(event->position()), event->button());
}

void OverlayWindow::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
    emit keyPressed(event->key(), event->modifiers());
}

void OverlayWindow::closeEvent(QCloseEvent* event) {
    // The overlay closes as a whole: its owner hides every monitor's window.
    event->ignore();
    emit closeRequested();
}
