// What the user can do with a finished recording: save it, upload it, share it, or close.
#include "capture/CropCtrl.h"

#include "history/RecordingStore.h"
#include "widgets/SaveRecordingFlow.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QWindow>

void CropCtrl::dropFinishedPanels() {
    mode_ = Idle;
    recordRect_.hide();
    finishedPanelWindow_->hide();
    socialPanelWindow_->hide();
    shownRecording_.clear();
    setFinishing(false);
}

void CropCtrl::tearDown() {
    dropFinishedPanels();
    close();
}

QString CropCtrl::recordingToSave() const {
    // Never the recording under way, nor a file still being finished: either would copy a
    // half-written file.
    QString path = mode_ == RecordFinished ? shownRecording_ : lastFinished_;
    if (path.isEmpty() || session_.isFinishing(path) ||
        (isRecording() && path == session_.filePath()))
        return {};
    // The history may have uploaded, saved or deleted it meanwhile.
    RecordingStore* store = session_.store();
    const auto entry = store ? store->entry(path) : std::nullopt;
    if (!entry || entry->state == RecordingState::Queued ||
        entry->state == RecordingState::Recording)
        return {};
    return path;
}

void CropCtrl::save() {
    setOverlayCursor(Qt::ArrowCursor);
    if (saving_ || SaveRecordingFlow::isSaving())
        return;
    const QString recording = recordingToSave();
    if (recording.isEmpty())
        return; // nothing finished to save (yet): Ctrl+S does nothing

    // Reached by Ctrl+S while the overlay is up: the overlay lies above every window, so it
    // steps aside while the dialog and any message are open, and comes back if nothing was
    // saved.
    const bool overlayShown = isVisible();
    if (overlayShown) {
        if (QWindow* window = windowHandle())
            window->setKeyboardGrabEnabled(false);
        QWidget::hide();
    }
    const auto restoreOverlay = [this, overlayShown] {
        if (overlayShown && !isVisible()) {
            QWidget::show();
            raise();
            activateWindow();
            takeKeyboard(kKeyboardRetries);
        }
    };

    SaveRecordingFlow* flow = SaveRecordingFlow::saveRecordingAs(recording, session_.store(), this);
    if (!flow) {
        restoreOverlay();
        return;
    }
    saving_ = true;
    finishedPanel_->setEnabled(false);
    socialPanel_->setEnabled(false);
    connect(flow, &SaveRecordingFlow::done, this,
            [this, restoreOverlay](const QString& source, const QString&, bool saved) {
                saving_ = false;
                finishedPanel_->setEnabled(true);
                socialPanel_->setEnabled(true);
                if (!saved) {
                    // The recording and the panels stay, so the user can pick another place.
                    restoreOverlay();
                    return;
                }
                if (lastFinished_ == source)
                    lastFinished_.clear();
                if (mode_ == RecordFinished && shownRecording_ != source)
                    return; // another recording's panels are up now
                tearDown();
            });
}

void CropCtrl::handOver(int shareTarget, const QString& errorTitle) {
    setOverlayCursor(Qt::ArrowCursor);
    const QString recording = shownRecording_;
    if (recording.isEmpty() || !QFileInfo::exists(recording)) {
        QMessageBox::critical(this, errorTitle, QStringLiteral("Can not open file"),
                              QMessageBox::Ok);
        return;
    }
    if (lastFinished_ == recording)
        lastFinished_.clear();
    if (session_.isFinishing(recording))
        pendingUploads_.insert(recording, shareTarget); // sent once its file is ready
    else
        emit uploadRecording(recording, session_.videoSizeOf(recording), shareTarget);
    tearDown();
}

void CropCtrl::upload() {
    handOver(-1, QStringLiteral("Upload error"));
}

void CropCtrl::share(SocialNetwork network) {
    handOver(int(network), QStringLiteral("Share error"));
}

void CropCtrl::closeRecordFinishedPanel() {
    tearDown();
}
