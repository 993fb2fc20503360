#include "widgets/ProgressBar.h"

#include <QLinearGradient>
#include <QPainter>

ProgressBar::ProgressBar(QWidget* parent)
    : QProgressBar(parent) {}

int ProgressBar::filledWidth(int barWidth) const {
    if (maximum() <= 0 || value() <= 0)
        return 0;
    return int(double(value()) / double(maximum()) * double(barWidth));
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect r = rect();

    QPen framePen(QColor(134, 135, 136));
    framePen.setWidth(2);
    painter.setPen(framePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(
        QRect(QPoint(r.left() + 1, r.top() + 1), QPoint(r.right() - 1, r.bottom() - 1)), 10, 10,
        Qt::AbsoluteSize);

    QPen fillPen(Qt::transparent);
    fillPen.setWidth(1);
    painter.setPen(fillPen);
    QRect inner(QPoint(r.left() + 3, r.top() + 3), QPoint(r.right() - 3, r.bottom() - 3));
    QLinearGradient gradient(inner.left(), inner.bottom(), inner.left(), inner.top());
    const QColor darker(220, 142, 38);
    const QColor lighter(225, 157, 69);
    gradient.setColorAt(0.0, darker);
    gradient.setColorAt(0.49, darker);
    gradient.setColorAt(0.5, lighter);
    gradient.setColorAt(1.0, lighter);
    painter.setBrush(gradient);

    const int filled = filledWidth(inner.width());
    if (filled <= 0)
        return;
    inner.setRight(inner.left() + filled - 1);
    painter.drawRoundedRect(inner, 10, 10, Qt::AbsoluteSize);
}
