// The overlay's side of a recording: starts and stops the session, shows the frame and the
// record panel, and turns engine failures into a message.
#include "capture/CropCtrl.h"

#include "capture/FinishedPanel.h"
#include "capture/FinishedWindow.h"
#include "capture/OverlayWindow.h"
#include "capture/RecordPanel.h"
#include "capture/SelectionGeometry.h"
#include "capture/SharePanel.h"
#include "platform/Platform.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QScreen>

namespace {
// The sound-stopped message is a sentence or two: time to read it while recording.
constexpr int kSoundStoppedShownMs = 6000;
} // namespace

void CropCtrl::startRecord(bool withSound) {
    // An empty selection goes on to the engine, which says what is wrong with it.
    const QRect selected = model_.normalized();
    if (!selected.isEmpty() && sourceAreaOf(selected).isEmpty()) {
        // The selection stays, so the user can move it onto one monitor.
        showPlainMessage(windows_.front().get(), QMessageBox::Warning, tr("Error"),
                         tr("This desktop records one monitor at a time. Select an area that "
                            "lies on one monitor."));
        return;
    }
    QString warning;
    const QString refusal = session_.prepare(&warning);
    if (!refusal.isEmpty()) {
        refuseStart(refusal);
        return;
    }
    if (!warning.isEmpty())
        emit notice(warning);
    if (!selected.isEmpty())
        rememberArea(selected);
    if (countdownSeconds_ > 0)
        startCountdown(withSound);
    else
        beginRecording(withSound);
}

void CropCtrl::beginRecording(bool withSound) {
    model_.setMode(Mode::Recording);
    captureRect_ = model_.normalized();

    // The overlay goes before the engine starts, so that the first pictures show the
    // desktop and not the dimmed overlay.
    hideWindows();

    // A refusal reaches onSessionFailed() from the event loop, which ends the session.
    if (!session_.start(sourceAreaOf(captureRect_), withSound))
        return;
    emit recordingChanged(true);

    recordPanel_->begin();
    if (!platform::Platform::current().placesWindows()) {
        // Where the panel and the frame cannot be put beside the area they could land inside
        // it, and the desktop records every window: the tray shows the recording instead.
        return;
    }
    recordRect_.setGeometry(layout_.toGlobal(CaptureGeometry::recordFrameGeometry(captureRect_),
                                             captureRect_.center(), false));
    recordRect_.show();
    recordRect_.raise();
    // Where no place outside the area is left, the tray icon says that a recording runs,
    // and a click on it, as the stop shortcut, ends it.
    placeRecordPanel();
}

void CropCtrl::refuseStart(const QString& message) {
    // The overlay lies above every window and holds the keyboard: it goes first, so that the
    // message can be seen and answered.
    hideWindows();
    close();
    showPlainMessage(windows_.front().get(), QMessageBox::Critical, tr("Error"), message);
}

void CropCtrl::bringRecordPanelForward() {
    if (!isRecording() || !platform::Platform::current().placesWindows())
        return;
    recordRect_.show();
    recordRect_.raise();
    if (!recordPanelPlaced_)
        return;
    recordPanel_->show();
    recordPanel_->raise();
}

void CropCtrl::stopRecord() {
    const bool wasRecording = session_.isRecording();
    // Returns at once: the file is finished on a thread of the engine.
    session_.stop();
    recordPanel_->end();
    // The frame tells what is being recorded: once that ends it would only stand over the
    // save dialog and the user's windows.
    recordRect_.hide();
    if (wasRecording)
        emit recordingChanged(false);
    if (!wasRecording || endingWithError_)
        return;
    // The panels come at once; they say that the file is still being finished, and Save waits
    // for it while upload and share are queued until it is ready.
    model_.setMode(Mode::RecordFinished);
    finished_.offer(session_.filePath());
    if (!platform::Platform::current().placesWindows()) {
        finishedWindow_->show();
        finishedWindow_->raise();
        finishedWindow_->activateWindow();
        return;
    }
    placePanel(finishedPanel_.get());
    finishedPanel_->show();
    finishedPanel_->raise();
    // The share targets wait for the share button.
    sharePanel_->hide();
    // The panels bypass the window manager, which never gives them the keyboard: the finished
    // panel takes it, so that Escape closes at once. The user has just stopped the recording,
    // so the keyboard is not taken from anything being typed.
    finishedPanel_->activateWindow();
}

void CropCtrl::onRecordingFinished(const QString& filePath, bool ok, const QString& errorText) {
    releaseScreens();
    const auto outcome =
        finished_.fileFinished(filePath, ok, errorText, model_.mode() == Mode::RecordFinished);
    if (outcome == FinishedRecordings::Outcome::Nothing ||
        outcome == FinishedRecordings::Outcome::Ready)
        return;
    // Titled as the session titles the engine's other failures.
    const QString title = QCoreApplication::translate("RecordingSession", "Encoder error");
    if (outcome == FinishedRecordings::Outcome::OfferedFailed) {
        onSessionFailed(title, errorText);
        return;
    }
    // An earlier recording, its panels long gone: the user still hears what became of it.
    showPlainMessage(nullptr, QMessageBox::Critical, title, errorText);
}

void CropCtrl::togglePauseFromOutside() {
    if (model_.mode() == Mode::Recording && session_.isRecording())
        togglePause();
}

void CropCtrl::togglePause() {
    if (session_.isPaused())
        session_.resume();
    else
        session_.pause();
}

void CropCtrl::onSoundStopped(const QString& message) {
    if (!soundPopup_)
        soundPopup_ = std::make_unique<PopupNotify>(nullptr);
    soundPopup_->setText(message);
    // Above the record panel, or below it when there is no room; long enough to be read.
    const QRect panel = recordPanel_->geometry();
    QPoint at(panel.right() - soundPopup_->width(), panel.top() - soundPopup_->height() - 5);
    const QScreen* screen = recordPanel_->screen();
    if (at.y() < (screen ? screen->geometry().top() : 0))
        at.setY(panel.bottom() + 5);
    soundPopup_->move(at);
    soundPopup_->showFor(kSoundStoppedShownMs);
}

void CropCtrl::onSessionFailed(const QString& title, const QString& message) {
    // One failure may be reported by more than one part of the engine; the user hears of
    // it once.
    if (endingWithError_)
        return;
    endingWithError_ = true;
    stopRecord();
    tearDown();
    showPlainMessage(windows_.front().get(), QMessageBox::Critical, title, message);
    endingWithError_ = false;
}
