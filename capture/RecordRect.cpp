#include "capture/RecordRect.h"

#include "capture/SelectionGeometry.h"

#include <QPainter>
#include <QRegion>

RecordRect::RecordRect()
    : QWidget(nullptr) {
    setStyleSheet(QStringLiteral("background:transparent;"));
    setAttribute(Qt::WA_TranslucentBackground);
    // Bypassing the window manager keeps it from moving the frame onto the screen when the
    // area touches an edge, and from giving the frame the focus.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RecordRect::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    const QRect r(QPoint(1, 1), QPoint(width() - 2, height() - 2));
    painter.setPen(QColor(0, 0, 0, 255));
    painter.drawRects(&r, 1);
    painter.setPen(dashedFramePen(CaptureGeometry::kFrameWidth));
    painter.drawRects(&r, 1);
}

QPen dashedFramePen(double width) {
    QPen pen(QBrush(QColor(255, 255, 255, 255)), width, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
    pen.setDashPattern({3, 4});
    return pen;
}

void RecordRect::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The recorded area starts 2 pixels in from the left and top and ends 2 pixels before
    // the right and bottom edges of this window.
    const QRect inner(QPoint(2, 2), QPoint(width() - 2, height() - 2));
    setMask(QRegion(rect()).subtracted(QRegion(inner)));
}
