// The overlay's side of a recording: starts and stops the session, shows the frame, the
// elapsed time and the blinking stop button, and turns engine failures into a message.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace {
// The sound-stopped message is a sentence or two: time to read it while recording.
constexpr int kSoundStoppedShownMs = 6000;
} // namespace

QRect CropCtrl::physicalCaptureRect() const {
    return physicalRect(captureRect_);
}

QRect CropCtrl::physicalRect(const QRect& overlayArea) const {
    // The grabber reads the X root window in physical pixels; overlay coordinates are those
    // divided by the ratio, from the monitors' common top-left corner.
    return CaptureGeometry::toPhysical(overlayArea, QRect(), ratio_).translated(physicalOrigin_);
}

void CropCtrl::record() {
    startRecord(soundCheckBox_->isChecked());
}

void CropCtrl::recordWithSound() {
    startRecord(true);
}

void CropCtrl::recordWithoutSound() {
    startRecord(false);
}

void CropCtrl::startRecord(bool withSound) {
    QString warning;
    const QString refusal = session_.prepare(&warning);
    if (!refusal.isEmpty()) {
        refuseStart(refusal);
        return;
    }
    if (!warning.isEmpty())
        emit notice(warning);
    if (countdownSeconds_ > 0)
        startCountdown(withSound);
    else
        beginRecording(withSound);
}

void CropCtrl::beginRecording(bool withSound) {
    mode_ = Recording;
    captureRect_ = CaptureGeometry::normalizedSelection(selection_);

    // The overlay goes before the engine starts, so that the first pictures show the
    // desktop and not the dimmed overlay.
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    hide();

    // A refusal reaches onSessionFailed() from the event loop, which ends the session.
    if (!session_.start(physicalCaptureRect(), withSound))
        return;

    onPausedChanged(false);
    recordRect_.setGeometry(
        toGlobal(CaptureGeometry::recordFrameGeometry(captureRect_), captureRect_.center(), false));
    recordRect_.show();
    recordRect_.raise();
    recordPanelWindow_->show();
    placeRecordPanel();
    recordPanelWindow_->raise();
}

void CropCtrl::refuseStart(const QString& message) {
    // The overlay lies above every window and holds the keyboard: it goes first, so that the
    // message can be seen and answered.
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    hide();
    close();
    showPlainMessage(this, QMessageBox::Critical, tr("Error"), message);
}

void CropCtrl::bringRecordPanelForward() {
    if (!isRecording())
        return;
    recordRect_.show();
    recordRect_.raise();
    recordPanelWindow_->show();
    recordPanelWindow_->raise();
}

void CropCtrl::stopRecord() {
    const bool wasRecording = session_.isRecording();
    // Returns at once: the file is finished on a thread of the engine.
    session_.stop();
    recordPanelWindow_->hide();
    if (!wasRecording || endingWithError_)
        return;
    // The panels come at once; they say that the file is still being finished, and Save waits
    // for it while upload and share are queued until it is ready.
    mode_ = RecordFinished;
    shownRecording_ = session_.filePath();
    setFinishing(session_.isFinishing(shownRecording_));
    placePanel(finishedPanelWindow_);
    finishedPanelWindow_->show();
    finishedPanelWindow_->raise();
    placeSocialPanel();
    socialPanelWindow_->show();
    socialPanelWindow_->raise();
}

void CropCtrl::setFinishing(bool finishing) {
    finishing_ = finishing;
    finishingLabel_->setVisible(finishing);
    saveButton_->setEnabled(!finishing);
    finishedPanel_->adjustSize();
    finishedPanelWindow_->adjustSize();
    if (finishedPanelWindow_->isVisible()) {
        placePanel(finishedPanelWindow_);
        placeSocialPanel();
    }
}

void CropCtrl::onRecordingFinished(const QString& filePath, bool ok, const QString& errorText) {
    if (ok)
        lastFinished_ = filePath;
    const auto pending = pendingUploads_.constFind(filePath);
    if (pending != pendingUploads_.cend()) {
        const int shareTarget = pending.value();
        pendingUploads_.erase(pending);
        // A file that could not be finished stays listed as not uploaded; the message below
        // says what was kept.
        if (ok)
            emit uploadRecording(filePath, session_.videoSizeOf(filePath), shareTarget);
    }
    const bool shown = mode_ == RecordFinished && filePath == shownRecording_;
    if (shown && ok) {
        setFinishing(false);
        return;
    }
    if (errorText.isEmpty())
        return;
    // Titled as the session titles the engine's other failures.
    const QString title = QCoreApplication::translate("RecordingSession", "Encoder error");
    if (shown) {
        onSessionFailed(title, errorText);
        return;
    }
    // An earlier recording, its panels long gone: the user still hears what became of it.
    showPlainMessage(nullptr, QMessageBox::Critical, title, errorText);
}

void CropCtrl::togglePause() {
    if (session_.isPaused())
        session_.resume();
    else
        session_.pause();
}

void CropCtrl::onPausedChanged(bool paused) {
    const QString image = paused ? QStringLiteral(":/Resources/Buttons/resume.png")
                                 : QStringLiteral(":/Resources/Buttons/pause.png");
    QString hover = image;
    hover.replace(QStringLiteral(".png"), QStringLiteral("_hover.png"));
    pauseRecordButton_->setStyleSheet(
        QStringLiteral("QPushButton#PauseRecordButton {\tborder-image: url(%1);\t}\t"
                       "QPushButton#PauseRecordButton:hover {\tborder-image: url(%2);\t}")
            .arg(image, hover));
    pauseRecordButton_->tooltipText = paused ? tr("Resume recording") : tr("Pause recording");
    // The time stands still while paused; the blink shows it (onBlinkChanged).
    timeLabel_->setStyleSheet(QStringLiteral("color:white;"));
}

void CropCtrl::onSoundStopped(const QString& message) {
    if (!soundPopup_)
        soundPopup_ = new PopupNotify(nullptr);
    soundPopup_->setText(message);
    // Above the record panel, or below it when there is no room; long enough to be read.
    const QRect panel = recordPanelWindow_->geometry();
    QPoint at(panel.right() - soundPopup_->width(), panel.top() - soundPopup_->height() - 5);
    const QScreen* screen = recordPanelWindow_->screen();
    if (at.y() < (screen ? screen->geometry().top() : 0))
        at.setY(panel.bottom() + 5);
    soundPopup_->move(at);
    soundPopup_->showFor(kSoundStoppedShownMs);
}

void CropCtrl::onBlinkChanged(bool on) {
    if (session_.isPaused())
        timeLabel_->setStyleSheet(on ? QStringLiteral("color:white;")
                                     : QStringLiteral("color:transparent;"));
    stopRecordButton_->setIcon(QIcon(on ? QStringLiteral(":/Resources/Buttons/record.png")
                                        : QStringLiteral(":/Resources/Buttons/record_grey.png")));
}

void CropCtrl::onRecordTimeChanged(const QString& time) {
    timeLabel_->setText(time);
}

void CropCtrl::onSessionFailed(const QString& title, const QString& message) {
    // One failure may be reported by more than one part of the engine; the user hears of
    // it once.
    if (endingWithError_)
        return;
    endingWithError_ = true;
    stopRecord();
    tearDown();
    showPlainMessage(this, QMessageBox::Critical, title, message);
    endingWithError_ = false;
}
