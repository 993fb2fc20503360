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
    pressPos = pointerPos(event);
    currentPos = pressPos;
    sizeLabel->hide();
    hintLabel->hide();
    startRecordPanel->hide();

    QLabel* toShow = hintLabel;
    if (mode == Selected) {
        const QRect s = normalizedSelection(selection);
        int key = 0;
        if (s.contains(pressPos)) {
            mode = Moving;
            moveOrigin = selection.topLeft();
            moveLimit = CaptureGeometry::moveLimit(selection, size());
            placeSizeLabel();
            toShow = sizeLabel;
        } else if (handleAt(handles, pressPos, &key)) {
            resizeStart = selection;
            mode = Resizing;
            activeHandle = key;
            placeSizeLabel();
            toShow = sizeLabel;
        } else {
            clear();
            hintLabel->move(currentPos + QPoint(15, 15));
        }
    } else {
        selection = nullSelection();
        updateHandles();
        hintLabel->move(currentPos + QPoint(15, 15));
    }
    toShow->show();
    update();
    QWidget::mousePressEvent(event);
}

void CropCtrl::mouseMoveEvent(QMouseEvent* event) {
    currentPos = pointerPos(event);
    hintLabel->move(currentPos + QPoint(15, 15));
    updateHandles();
    if (mode != Selecting)
        updateHoverCursor();

    if (event->buttons() & Qt::LeftButton) {
        if (mode == Moving) {
            selection = movedSelection(selection, moveOrigin, pressPos, currentPos, moveLimit);
        } else if (mode == Resizing) {
            selection = resizedSelection(selection, resizeStart, activeHandle, pressPos, currentPos,
                                         size());
            setCursor(handleCursor(activeHandle));
            const QRect s = normalizedSelection(selection);
            updateSizeLabel(s.width(), s.height());
        } else {
            setCursor(Qt::SizeFDiagCursor);
            mode = Selecting;
            selection = drawnSelection(pressPos, currentPos, size());
            const QRect s = normalizedSelection(selection);
            updateSizeLabel(s.width(), s.height());
        }
        placeSizeLabel();
        sizeLabel->show();
    } else {
        hintLabel->setVisible(mode == Idle);
    }
    update();
}

void CropCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    hintLabel->move(currentPos + QPoint(15, 15));
    updateHandles();
    if (mode == Selecting || mode == Moving || mode == Resizing) {
        mode = Selected;
        placePanel(startRecordPanel);
        startRecordPanel->show();
    } else {
        mode = Idle;
        hintLabel->show();
    }
    update();
}

void CropCtrl::updateHandles() {
    const QRect s = normalizedSelection(selection);
    if (s.right() < s.left() || s.bottom() < s.top()) {
        handles.clear();
        return;
    }
    if (mode != Idle) {
        handles = handleRects(selection);
        repaint();
    }
}

void CropCtrl::updateHoverCursor() {
    const QRect s = normalizedSelection(selection);
    int key = 0;
    if (s.contains(currentPos)) {
        const QPoint inPanel = startRecordPanel->mapFrom(this, currentPos);
        setCursor(startRecordPanel->rect().contains(inPanel) ? Qt::ArrowCursor : Qt::SizeAllCursor);
    } else if (handleAt(handles, currentPos, &key)) {
        setCursor(handleCursor(key));
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void CropCtrl::placeSizeLabel() {
    sizeLabel->move(sizeLabelPos(selection, sizeLabel->height()));
}
