// The pointer over the overlay: the selection's rules are SelectionModel's; here the labels,
// the start panel and the pointer's shape follow what it did.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "capture/StartPanel.h"

#include <QLabel>

void CropCtrl::onPressed(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    sizeLabel_->hide();
    hintLabel_->hide();
    startPanel_->hide();

    QLabel* toShow = hintLabel_;
    switch (model_.press(pos)) {
    case SelectionModel::Press::Moving:
    case SelectionModel::Press::Resizing:
        placeSizeLabel();
        toShow = sizeLabel_;
        break;
    case SelectionModel::Press::Dropped:
        clear();
        placeHintLabel();
        break;
    case SelectionModel::Press::Started:
        placeHintLabel();
        break;
    }
    toShow->show();
    updateScreens();
}

void CropCtrl::onMoved(QPoint pos, Qt::MouseButtons buttons) {
    const bool handlesShown = model_.pointAt(pos);
    if (!(buttons & Qt::LeftButton))
        pointTarget(pos);
    placeHintLabel();
    if (handlesShown)
        repaintScreens();
    if (model_.mode() != Mode::Selecting)
        setOverlayCursor(model_.hoverCursor(childOverlayRect(startPanel_)));

    if (buttons & Qt::LeftButton) {
        model_.drag();
        if (model_.mode() != Mode::Moving) {
            setOverlayCursor(model_.dragCursor());
            showSizeOf(model_.normalized());
        }
        placeSizeLabel();
        sizeLabel_->show();
    }
    // The hint asks for an area: once one is being drawn or is there, it would only cover
    // the size label and the start panel.
    hintLabel_->setVisible(model_.mode() == Mode::Idle);
    updateScreens();
}

void CropCtrl::onReleased(QPoint pos, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    placeHintLabel();
    if (model_.refreshHandles())
        repaintScreens();
    const bool selected = model_.release();
    if (!selected && model_.clicked()) {
        // A click on the empty overlay takes what it showed outlined: a window or a monitor.
        takeArea(targetAt(pos));
        return;
    }
    hintLabel_->setVisible(!selected);
    if (selected) {
        placePanel(startPanel_);
        startPanel_->show();
    }
    updateScreens();
}

void CropCtrl::showSizeOf(const QRect& overlayArea) {
    // The size the user is shown is what a recording of the area holds.
    const QSize s = layout_.physicalRect(overlayArea).size();
    updateSizeLabel(s.width(), s.height());
}

void CropCtrl::placeSizeLabel() {
    placeChild(sizeLabel_, CaptureGeometry::sizeLabelPos(model_.selection(), sizeLabel_->height()),
               model_.normalized().topLeft());
}
