// What the user can do with a finished recording: save it, upload it, share it, or close.
// Which recording that is, and when its file is ready, FinishedRecordings knows.
#include "capture/CropCtrl.h"

#include "capture/FinishedPanel.h"
#include "capture/FinishedWindow.h"
#include "capture/OverlayWindow.h"
#include "capture/SharePanel.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/SaveRecordingFlow.h"

#include <QMessageBox>
#include <QToolTip>

void CropCtrl::dropFinishedPanels() {
    model_.setMode(Mode::Idle);
    recordRect_.hide();
    finishedPanel_->hide();
    sharePanel_->hide();
    finishedWindow_->hide();
    finished_.withdraw();
}

void CropCtrl::toggleSharePanel() {
    if (sharePanel_->isVisible()) {
        sharePanel_->hide();
        return;
    }
    // The share button's tooltip stands just below the pointer, where the targets come.
    QToolTip::hideText();
    placeSocialPanel();
    sharePanel_->show();
    sharePanel_->raise();
}

void CropCtrl::tearDown() {
    dropFinishedPanels();
    close();
}

void CropCtrl::onFinishingChanged(bool finishing) {
    finishedPanel_->setFinishing(finishing);
    finishedWindow_->setFinishing(finishing);
    if (finishedPanel_->isVisible()) {
        placePanel(finishedPanel_.get());
        placeSocialPanel();
    }
}

void CropCtrl::save() {
    setOverlayCursor(Qt::ArrowCursor);
    if (finished_.isSaving() || SaveRecordingFlow::isSaving())
        return;
    const QString recording = finished_.toSave(model_.mode() == Mode::RecordFinished);
    if (recording.isEmpty())
        return; // nothing finished to save (yet): Ctrl+S does nothing

    // Reached by Ctrl+S while the overlay is up: the overlay lies above every window, so it
    // steps aside while the dialog and any message are open, and comes back if nothing was
    // saved.
    const bool overlayShown = isVisible();
    if (overlayShown)
        hideWindows();
    const auto restoreOverlay = [this, overlayShown] {
        if (overlayShown && !isVisible())
            showWindows();
    };

    SaveRecordingFlow* flow =
        SaveRecordingFlow::saveRecordingAs(recording, session_.store(), windows_.front().get());
    if (!flow) {
        restoreOverlay();
        return;
    }
    finished_.setSaving(true);
    finishedPanel_->setEnabled(false);
    sharePanel_->setEnabled(false);
    finishedWindow_->setEnabled(false);
    connect(flow, &SaveRecordingFlow::done, this,
            [this, restoreOverlay](const QString& source, const QString&, bool saved) {
                finished_.setSaving(false);
                finishedPanel_->setEnabled(true);
                sharePanel_->setEnabled(true);
                finishedWindow_->setEnabled(true);
                if (!saved) {
                    // The recording and the panels stay, so the user can pick another place.
                    restoreOverlay();
                    return;
                }
                finished_.saved(source);
                if (model_.mode() == Mode::RecordFinished && finished_.offered() != source)
                    return; // another recording's panels are up now
                tearDown();
            });
}

void CropCtrl::handOver(int shareTarget, const QString& errorTitle) {
    setOverlayCursor(Qt::ArrowCursor);
    if (finished_.handOver(shareTarget) == FinishedRecordings::HandOver::Missing) {
        showPlainMessage(windows_.front().get(), QMessageBox::Critical, errorTitle,
                         tr("Can not open file"));
        return;
    }
    tearDown();
}
