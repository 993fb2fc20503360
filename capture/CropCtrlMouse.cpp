// Selecting, moving and resizing the area with the pointer. The rules themselves live in
// SelectionGeometry; these handlers translate events into calls on them.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"

#include <QLabel>
#include <QMouseEvent>

using namespace CaptureGeometry;

void CropCtrl::mousePressEvent(QMouseEvent* event) {
    pointerPressed(event, this);
}

void CropCtrl::mouseMoveEvent(QMouseEvent* event) {
    pointerMoved(event, this);
}

void CropCtrl::mouseReleaseEvent(QMouseEvent* event) {
    pointerReleased(event, this);
}

void CropCtrl::pointerPressed(QMouseEvent* event, QWidget* source) {
    if (event->button() != Qt::LeftButton)
        return;
    pressPos_ = overlayPoint(source, event->position());
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
            moveLimit_ = CaptureGeometry::moveLimit(selection_, overlaySize_);
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
            placeHintLabel();
        }
    } else {
        selection_ = nullSelection();
        updateHandles();
        placeHintLabel();
    }
    toShow->show();
    updateScreens();
    QWidget::mousePressEvent(event);
}

void CropCtrl::pointerMoved(QMouseEvent* event, QWidget* source) {
    currentPos_ = overlayPoint(source, event->position());
    placeHintLabel();
    updateHandles();
    if (mode_ != Selecting)
        updateHoverCursor();

    if (event->buttons() & Qt::LeftButton) {
        if (mode_ == Moving) {
            selection_ =
                movedSelection(selection_, moveOrigin_, pressPos_, currentPos_, moveLimit_);
        } else if (mode_ == Resizing) {
            selection_ = resizedSelection(selection_, resizeStart_, activeHandle_, pressPos_,
                                          currentPos_, overlaySize_);
            setOverlayCursor(handleCursor(activeHandle_));
            const QSize s = physicalRect(normalizedSelection(selection_)).size();
            updateSizeLabel(s.width(), s.height());
        } else {
            setOverlayCursor(Qt::SizeFDiagCursor);
            mode_ = Selecting;
            selection_ = drawnSelection(pressPos_, currentPos_, overlaySize_);
            const QSize s = physicalRect(normalizedSelection(selection_)).size();
            updateSizeLabel(s.width(), s.height());
        }
        placeSizeLabel();
        sizeLabel_->show();
    } else {
        hintLabel_->setVisible(mode_ == Idle);
    }
    updateScreens();
}

void CropCtrl::pointerReleased(QMouseEvent* event, QWidget* source) {
    if (event->button() != Qt::LeftButton)
        return;
    Q_UNUSED(source);
    placeHintLabel();
    updateHandles();
    if (mode_ == Selecting || mode_ == Moving || mode_ == Resizing) {
        mode_ = Selected;
        placePanel(startRecordPanel_);
        startRecordPanel_->show();
    } else {
        mode_ = Idle;
        hintLabel_->show();
    }
    updateScreens();
}

void CropCtrl::updateHandles() {
    const QRect s = normalizedSelection(selection_);
    if (s.right() < s.left() || s.bottom() < s.top()) {
        handles_.clear();
        return;
    }
    if (mode_ != Idle) {
        handles_ = handleRects(selection_);
        repaintScreens();
    }
}

void CropCtrl::updateHoverCursor() {
    const QRect s = normalizedSelection(selection_);
    int key = 0;
    if (s.contains(currentPos_)) {
        setOverlayCursor(childOverlayRect(startRecordPanel_).contains(currentPos_)
                             ? Qt::ArrowCursor
                             : Qt::SizeAllCursor);
    } else if (handleAt(handles_, currentPos_, &key)) {
        setOverlayCursor(handleCursor(key));
    } else {
        setOverlayCursor(Qt::ArrowCursor);
    }
}

void CropCtrl::placeSizeLabel() {
    placeChild(sizeLabel_, sizeLabelPos(selection_, sizeLabel_->height()),
               normalizedSelection(selection_).topLeft());
}
