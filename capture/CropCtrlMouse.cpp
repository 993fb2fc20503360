// Selecting, moving and resizing the area with the pointer. The rules themselves live in
// SelectionGeometry; these handlers translate events into calls on them.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"

#include <QLabel>
#include <QMouseEvent>

using namespace CaptureGeometry;

void CropCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    pressPos_ = pointerPos(event);
    currentPos_ = pressPos_;
    sizeLabel_->hide();
    hintLabel_->hide();
    startRecordPanel_->hide();

    QLabel* toShow = hintLabel_;
    if (mode_ == Selected) {
        const QRect s = normalizedSelection(selection_);
        int key = 0;
        if (s.contains(pressPos_)) {
            mode_ = Moving;
            moveOrigin_ = selection_.topLeft();
            moveLimit_ = CaptureGeometry::moveLimit(selection_, size());
            placeSizeLabel();
            toShow = sizeLabel_;
        } else if (handleAt(handles_, pressPos_, &key)) {
            resizeStart_ = selection_;
            mode_ = Resizing;
            activeHandle_ = key;
            placeSizeLabel();
            toShow = sizeLabel_;
        } else {
            clear();
            hintLabel_->move(currentPos_ + QPoint(15, 15));
        }
    } else {
        selection_ = nullSelection();
        updateHandles();
        hintLabel_->move(currentPos_ + QPoint(15, 15));
    }
    toShow->show();
    update();
    QWidget::mousePressEvent(event);
}

void CropCtrl::mouseMoveEvent(QMouseEvent* event) {
    currentPos_ = pointerPos(event);
    hintLabel_->move(currentPos_ + QPoint(15, 15));
    updateHandles();
    if (mode_ != Selecting)
        updateHoverCursor();

    if (event->buttons() & Qt::LeftButton) {
        if (mode_ == Moving) {
            selection_ =
                movedSelection(selection_, moveOrigin_, pressPos_, currentPos_, moveLimit_);
        } else if (mode_ == Resizing) {
            selection_ = resizedSelection(selection_, resizeStart_, activeHandle_, pressPos_,
                                          currentPos_, size());
            setCursor(handleCursor(activeHandle_));
            const QSize s = physicalRect(normalizedSelection(selection_)).size();
            updateSizeLabel(s.width(), s.height());
        } else {
            setCursor(Qt::SizeFDiagCursor);
            mode_ = Selecting;
            selection_ = drawnSelection(pressPos_, currentPos_, size());
            const QSize s = physicalRect(normalizedSelection(selection_)).size();
            updateSizeLabel(s.width(), s.height());
        }
        placeSizeLabel();
        sizeLabel_->show();
    } else {
        hintLabel_->setVisible(mode_ == Idle);
    }
    update();
}

void CropCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    hintLabel_->move(currentPos_ + QPoint(15, 15));
    updateHandles();
    if (mode_ == Selecting || mode_ == Moving || mode_ == Resizing) {
        mode_ = Selected;
        placePanel(startRecordPanel_);
        startRecordPanel_->show();
    } else {
        mode_ = Idle;
        hintLabel_->show();
    }
    update();
}

void CropCtrl::updateHandles() {
    const QRect s = normalizedSelection(selection_);
    if (s.right() < s.left() || s.bottom() < s.top()) {
        handles_.clear();
        return;
    }
    if (mode_ != Idle) {
        handles_ = handleRects(selection_);
        repaint();
    }
}

void CropCtrl::updateHoverCursor() {
    const QRect s = normalizedSelection(selection_);
    int key = 0;
    if (s.contains(currentPos_)) {
        const QPoint inPanel = startRecordPanel_->mapFrom(this, currentPos_);
        setCursor(startRecordPanel_->rect().contains(inPanel) ? Qt::ArrowCursor
                                                              : Qt::SizeAllCursor);
    } else if (handleAt(handles_, currentPos_, &key)) {
        setCursor(handleCursor(key));
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void CropCtrl::placeSizeLabel() {
    sizeLabel_->move(sizeLabelPos(selection_, sizeLabel_->height()));
}
