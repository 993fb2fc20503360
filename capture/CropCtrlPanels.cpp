// The panels around the selected area: what they do, their texts and their places.
#include "capture/CropCtrl.h"

#include "app/Placement.h"
#include "capture/FinishedPanel.h"
#include "capture/FinishedWindow.h"
#include "capture/RecordPanel.h"
#include "capture/SelectionGeometry.h"
#include "capture/SharePanel.h"
#include "capture/StartPanel.h"

#include <QFontMetrics>
#include <QLabel>

void CropCtrl::connectPanels() {
    connect(startPanel_, &StartPanel::recordClicked, this, &CropCtrl::startRecord);
    connect(startPanel_, &StartPanel::closeClicked, this, &CropCtrl::close);
    connect(recordPanel_.get(), &RecordPanel::pauseClicked, this, &CropCtrl::togglePause);
    connect(recordPanel_.get(), &RecordPanel::stopClicked, this, &CropCtrl::stopRecord);
    connect(finishedPanel_.get(), &FinishedPanel::saveClicked, this, &CropCtrl::save);
    connect(finishedPanel_.get(), &FinishedPanel::uploadClicked, this,
            [this] { handOver(-1, tr("Upload error")); });
    connect(finishedPanel_.get(), &FinishedPanel::shareClicked, this, &CropCtrl::toggleSharePanel);
    connect(finishedPanel_.get(), &FinishedPanel::closeClicked, this,
            &CropCtrl::closeRecordFinishedPanel);
    connect(sharePanel_.get(), &SharePanel::shareClicked, this,
            [this](SocialNetwork network) { handOver(int(network), tr("Share error")); });
    connect(sharePanel_.get(), &SharePanel::closeRequested, this,
            &CropCtrl::closeRecordFinishedPanel);
    FinishedWindow* window = finishedWindow_.get();
    connect(window, &FinishedWindow::saveClicked, this, &CropCtrl::save);
    connect(window, &FinishedWindow::uploadClicked, this,
            [this] { handOver(-1, tr("Upload error")); });
    connect(window, &FinishedWindow::closeClicked, this, &CropCtrl::closeRecordFinishedPanel);
    connect(window, &FinishedWindow::shareClicked, this,
            [this](SocialNetwork network) { handOver(int(network), tr("Share error")); });
}

void CropCtrl::updateTexts() {
    menu_.retranslate();
    startPanel_->retranslate();
    recordPanel_->retranslate();
    finishedPanel_->retranslate();
    sharePanel_->retranslate();
    finishedWindow_->retranslate();
    offerLabel_->setText(tr("Enter to use the last area"));
    sizeLabel_->setToolTip(tr("Click to type an exact size and position, such as "
                              "1280x720 at 100,200"));
    const QString hint = tr("Select the area");
    hintLabel_->setText(hint);
    hintLabel_->setMinimumWidth(QFontMetrics(hintLabel_->font()).horizontalAdvance(hint) + 20);
}

// The panels go onto the monitor that holds the selection's bottom-right corner, next to
// which they are placed, and do not spill over onto another monitor.
void CropCtrl::placePanel(QWidget* panel) {
    const QPoint pos = CaptureGeometry::panelPos(model_.selection(), panel->size(),
                                                 layout_.overlaySize().height());
    const QPoint anchor = model_.normalized().bottomRight();
    if (panel->isWindow())
        panel->move(layout_.toGlobal(QRect(pos, panel->size()), anchor, true).topLeft());
    else
        placeChild(panel, pos, anchor);
}

void CropCtrl::placeRecordPanel() {
    // The recorded area as the panel's own coordinates see it, monitor by monitor: the
    // panel, a window of its own, must not show in the video.
    QList<QRect> screens;
    QRect recorded;
    for (int i = 0; i < layout_.count(); ++i) {
        // A pixel in from each edge: at a fractional scale a panel flush with the edge can be
        // rounded one device pixel onto the next monitor.
        screens.append(layout_.logical(i).adjusted(1, 1, -1, -1));
        const QRect part = captureRect_ & layout_.area(i);
        if (!part.isEmpty())
            recorded |= layout_.toLocal(part, i).translated(layout_.logical(i).topLeft());
    }
    if (screens.isEmpty()) {
        screens.append(QRect(fallback_.topLeft(), layout_.overlaySize()));
        recorded = captureRect_.translated(fallback_.topLeft());
    }
    const QRect tray = trayGeometry_ ? trayGeometry_() : QRect();
    // Placed at the size it shows at: laid out only on showing, it could grow past the edge of
    // the monitor it was placed on.
    recordPanel_->adjustSize();
    std::optional<QPoint> at = Placement::recordPanelPosition(
        screens, recorded, recordPanel_->size(), tray, CaptureGeometry::kPanelGap);
    if (!at && !trayShown_) {
        const QPoint inside = CaptureGeometry::recordPanelPos(
            model_.selection(), recordPanel_->size(), layout_.overlaySize().height());
        at = layout_.toGlobal(QRect(inside, recordPanel_->size()), captureRect_.bottomRight(), true)
                 .topLeft();
    }
    recordPanelPlaced_ = at.has_value();
    if (!at) {
        recordPanel_->hide();
        return;
    }
    recordPanel_->move(*at);
    recordPanel_->show();
    recordPanel_->raise();
}

void CropCtrl::placeSocialPanel() {
    const QRect share = finishedPanel_->shareButtonGeometry();
    const QPoint p = layout_.fromGlobal(share.topLeft());
    const QRect finished = layout_.overlayRect(finishedPanel_->geometry());
    const QPoint pos = CaptureGeometry::socialPanelPos(p, share.width(), sharePanel_->size(),
                                                       finished, layout_.overlaySize().height());
    sharePanel_->move(
        layout_.toGlobal(QRect(pos, sharePanel_->size()), finished.center(), true).topLeft());
}
