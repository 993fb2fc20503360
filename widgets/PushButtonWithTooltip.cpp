#include "widgets/PushButtonWithTooltip.h"

#include <QMouseEvent>
#include <QToolTip>

PushButtonWithTooltip::PushButtonWithTooltip(QWidget* parent)
    : QPushButton(parent) {
    setAttribute(Qt::WA_MouseTracking);
}

void PushButtonWithTooltip::mouseMoveEvent(QMouseEvent* event) {
    QToolTip::showText(event->globalPosition().toPoint(), tooltipText);
}
