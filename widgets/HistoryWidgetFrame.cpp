// The history window as a window on the desktop: dragged by its body, kept on the free part of
// the screens, and drawn to suit the desktop's backdrop.
#include "widgets/DesktopTraits.h"
#include "widgets/HistoryWidget.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

bool HistoryWidget::dragEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton)
            return false;
        // Where the desktop places windows itself, it moves them too (and keeps them on screen).
        if (!DesktopTraits::placesWindows() && windowHandle() && windowHandle()->startSystemMove())
            return true;
        dragOffset_ = press->globalPosition().toPoint() - pos();
        return true;
    }
    case QEvent::MouseMove:
        if (!dragOffset_)
            return false;
        move(keptOnScreen(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() -
                          *dragOffset_));
        return true;
    case QEvent::MouseButtonRelease:
        if (!dragOffset_)
            return false;
        dragOffset_.reset();
        return true;
    default:
        return false;
    }
}

QPoint HistoryWidget::keptOnScreen(const QPoint& topLeft) const {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return topLeft;
    const QRect free = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    // A window larger than the screen keeps its top-left corner in view.
    return {std::max(free.left(), std::min(topLeft.x(), free.right() + 1 - size.width())),
            std::max(free.top(), std::min(topLeft.y(), free.bottom() + 1 - size.height()))};
}

void HistoryWidget::setVisible(bool visible) {
    if (visible)
        followBackdrop();
    QWidget::setVisible(visible);
}

void HistoryWidget::followBackdrop() {
    const bool blends = DesktopTraits::blendsWindows();
    const QMargins margins = blends ? blendedMargins_ : QMargins();
    panel_->setStyleSheet(blends ? kPanelStyle : kOpaquePanelStyle);
    const QMargins before = layout()->contentsMargins();
    if (margins == before)
        return;
    layout()->setContentsMargins(margins);
    adjustSize();
    // The panel stays where the window was placed for it.
    move(pos() - QPoint(margins.left() - before.left(), margins.top() - before.top()));
}
