// The overlay's side of a recording: starts and stops the session, shows the frame, the
// elapsed time and the blinking stop button, and turns engine failures into a message.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

QRect CropCtrl::physicalCaptureRect() const {
    return physicalRect(captureRect_);
}

QRect CropCtrl::physicalRect(const QRect& overlayArea) const {
    // The grabber reads the X root window in physical pixels; under a scale factor the
    // selection is mapped through the device pixel ratio of the screen it lies on.
    const QRect global = overlayArea.translated(geometry().topLeft());
    QScreen* screen = QGuiApplication::screenAt(global.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return global;
    return CaptureGeometry::toPhysical(global, screen->geometry(), screen->devicePixelRatio());
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
    const QString refusal = session_.prepare();
    if (!refusal.isEmpty()) {
        refuseStart(refusal);
        return;
    }

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

    recordRect_.setGeometry(
        CaptureGeometry::recordFrameGeometry(captureRect_).translated(geometry().topLeft()));
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

void CropCtrl::stopRecord() {
    awaitingFinishedFile_ = session_.isRecording();
    session_.stop();
    recordPanelWindow_->hide();
    // The finished panels offer the file, so they wait until it is complete.
}

void CropCtrl::onRecordingFinished() {
    if (!awaitingFinishedFile_)
        return; // the session ended with an error meanwhile
    awaitingFinishedFile_ = false;
    mode_ = RecordFinished;
    placePanel(finishedPanelWindow_);
    finishedPanelWindow_->show();
    finishedPanelWindow_->raise();
    placeSocialPanel();
    socialPanelWindow_->show();
    socialPanelWindow_->raise();
}

void CropCtrl::onBlinkChanged(bool on) {
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
    awaitingFinishedFile_ = false; // the session ends here, whatever becomes of its file
    mode_ = Idle;
    recordRect_.hide();
    finishedPanelWindow_->hide();
    socialPanelWindow_->hide();
    close();
    showPlainMessage(this, QMessageBox::Critical, title, message);
    endingWithError_ = false;
}
