#include "capture/CountdownWindow.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {
// The number fills this share of the area's shorter side: large enough to read from across
// the desk, small enough to leave the area's edges visible.
constexpr qreal kAreaShare = 0.6;
// Readable on the smallest area one would record, and not a wall over a whole monitor.
constexpr int kMinNumberPx = 48;
constexpr int kMaxNumberPx = 360;
// Fill and outline let the desktop show through where a compositing manager blends them.
const QColor kFill(255, 255, 255, 170);
const QColor kOutline(0, 0, 0, 170);
// Asking for the keyboard again while another client lets go of it (see CropCtrl).
constexpr int kKeyboardRetries = 20;
constexpr int kKeyboardRetryMs = 50;
} // namespace

CountdownWindow::CountdownWindow()
    : QWidget(nullptr) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Clipnest countdown"));
}

void CountdownWindow::showNumber(int number, const QRect& area) {
    number_ = number;
    QFont font(QStringLiteral("Arial Semibold"));
    font.setBold(true);
    const int size =
        qBound(kMinNumberPx, int(qMin(area.width(), area.height()) * kAreaShare), kMaxNumberPx);
    font.setPixelSize(size);
    outlineWidth_ = qMax<qreal>(2, size / 24.0);

    QPainterPath path;
    path.addText(QPointF(0, 0), font, QString::number(number));
    const QRectF bounds =
        path.boundingRect().adjusted(-outlineWidth_, -outlineWidth_, outlineWidth_, outlineWidth_);
    glyph_ = path.translated(-bounds.topLeft());
    QRect frame(QPoint(0, 0), bounds.size().toSize() + QSize(1, 1));
    frame.moveCenter(area.center());
    setGeometry(frame);

    QBitmap shape(frame.size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::color1, outlineWidth_));
    painter.setBrush(Qt::color1);
    painter.drawPath(glyph_);
    painter.end();
    setMask(shape);

    const bool wasVisible = isVisible();
    show();
    raise();
    update();
    if (!wasVisible)
        takeKeyboard(kKeyboardRetries);
}

void CountdownWindow::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(kOutline, outlineWidth_));
    painter.setBrush(kFill);
    painter.drawPath(glyph_);
}

void CountdownWindow::takeKeyboard(int attemptsLeft) {
    QWindow* window = windowHandle();
    if (!window || !isVisible() || window->setKeyboardGrabEnabled(true) || attemptsLeft <= 0)
        return;
    QTimer::singleShot(kKeyboardRetryMs, this,
                       [this, attemptsLeft] { takeKeyboard(attemptsLeft - 1); });
}

void CountdownWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CountdownWindow::hideEvent(QHideEvent* event) {
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    QWidget::hideEvent(event);
}
