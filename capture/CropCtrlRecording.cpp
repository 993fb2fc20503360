// The recording session: configures the engine once, starts and stops it, shows the frame,
// the elapsed time and the blinking stop button, and turns engine failures into a message.
#include "capture/CropCtrl.h"

#include "capture/PushButtonWithTooltip.h"
#include "capture/RecordingPath.h"
#include "capture/SelectionGeometry.h"
#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"
#include "media/VideoCodecSettings.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace {
// The label shows whole seconds; the stop button blinks once a second (on, off).
constexpr int kElapsedTickMs = 1000;
constexpr int kBlinkMs = 500;
} // namespace

void CropCtrl::configureMedia() {
    connect(recorder->encoder(), &Encoder::error, this, &CropCtrl::onEncoderError);
    connect(audioGrabber, &AbstractGrabber::error, this, &CropCtrl::onAudioGrabberError);

    screenGrabber->setLatency(kPicturePeriodMs);
    screenGrabber->setDrawClicks(false);

    AudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(44100);
    format.setFormat(AudioFormat::Format_S16LE);
    audioGrabber->setDeviceIndex(0);
    audioGrabber->setFormat(format);

    Encoder* encoder = recorder->encoder();
    encoder->setVideoCodecSettings(makeVideoCodecSettings());
    encoder->setAudioCodecSettings(makeAudioCodecSettings());
    encoder->setVideoCodec(EncoderGlobal::H264);
    encoder->setAudioCodec(EncoderGlobal::MP3);
    encoder->setOutputPixelFormat(EncoderGlobal::YUV420P);

    fileExtension = QStringLiteral("mp4");
}

VideoCodecSettings CropCtrl::makeVideoCodecSettings() const {
    return screenRecordingVideoSettings();
}

AudioCodecSettings CropCtrl::makeAudioCodecSettings() const {
    AudioCodecSettings settings;
    settings.setSampleRate(audioGrabber->format().sampleRate());
    settings.setChannelCount(audioGrabber->format().channelCount());
    settings.setSampleFormat(EncoderGlobal::S16);
    return settings;
}

QRect CropCtrl::physicalCaptureRect() const {
    // The grabber reads the X root window in physical pixels; under a scale factor the
    // selection is mapped through the device pixel ratio of the screen it lies on.
    const QRect global = captureRect.translated(geometry().topLeft());
    QScreen* screen = QGuiApplication::screenAt(global.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return global;
    return CaptureGeometry::toPhysical(global, screen->geometry(), screen->devicePixelRatio());
}

void CropCtrl::record() {
    startRecord(soundCheckBox->isChecked());
}

void CropCtrl::recordWithSound() {
    startRecord(true);
}

void CropCtrl::recordWithoutSound() {
    startRecord(false);
}

void CropCtrl::startRecord(bool withSound) {
    // The main window may reopen the overlay while a recording runs; a second start would
    // end the first one through the engine's refusal and take its panels away.
    const RecordingPath path = recorder->isRecording() ? RecordingPath() : prepareRecordingPath();
    if (path.filePath.isEmpty()) {
        refuseStart(
            recorder->isRecording()
                ? tr("A recording is already under way. Stop it before starting another one.")
                : path.error);
        return;
    }

    mode = Recording;
    captureRect = CaptureGeometry::normalizedSelection(selection);
    videoWidth_ = captureRect.width();
    videoHeight_ = captureRect.height();
    recordFilePath = path.filePath;

    recorder->setImageGrabber(screenGrabber);
    recorder->setAudioGrabber(audioGrabber);
    Encoder* encoder = recorder->encoder();
    encoder->setFilePath(recordFilePath);
    const QRect physical = physicalCaptureRect();
    screenGrabber->setCaptureRect(physical);
    encoder->setVideoSize(physical.size());
    encoder->setEncodingMode(withSound ? Encoder::VideoAudioMode : Encoder::VideoMode);

    // The overlay goes before the engine starts, so that the first pictures show the
    // desktop and not the dimmed overlay.
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    hide();

    recorder->start();
    if (mode != Recording)
        return; // the engine refused at once and the error handler has ended the session

    recordRect.setGeometry(
        CaptureGeometry::recordFrameGeometry(captureRect).translated(geometry().topLeft()));
    recordRect.show();
    recordRect.raise();
    onRecordTimeChanged(QStringLiteral("00:00:00"));
    recordPanelWindow->show();
    placeRecordPanel();
    recordPanelWindow->raise();
    blinkTimer.start(kBlinkMs);
    recordSeconds = 0;
    recordTimer.start(kElapsedTickMs);
}

void CropCtrl::refuseStart(const QString& message) {
    // The overlay lies above every window and holds the keyboard: it goes first, so that the
    // message can be seen and answered.
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    hide();
    close();
    QMessageBox::critical(this, tr("Error"), message, QMessageBox::Ok);
}

void CropCtrl::stopRecord() {
    mode = RecordFinished;
    blinkTimer.stop();
    recordTimer.stop();
    recorder->stop();
    recordPanelWindow->hide();
    placePanel(finishedPanelWindow);
    finishedPanelWindow->show();
    finishedPanelWindow->raise();
    placeSocialPanel();
    socialPanelWindow->show();
    socialPanelWindow->raise();
}

void CropCtrl::timerTimeout() {
    ++recordSeconds;
    onRecordTimeChanged(CaptureGeometry::elapsedText(recordSeconds));
}

void CropCtrl::recordTimeout() {
    stopRecordButton->setIcon(QIcon(blinkOn
                                        ? QStringLiteral(":/Resources/Buttons/record.png")
                                        : QStringLiteral(":/Resources/Buttons/record_grey.png")));
    blinkOn = !blinkOn;
}

void CropCtrl::onRecordTimeChanged(const QString& time) {
    timeLabel->setText(time);
}

void CropCtrl::onEncoderError(Encoder::Error) {
    endWithError(QStringLiteral("Encoder error"), recorder->encoder()->errorString());
}

void CropCtrl::onAudioGrabberError(AbstractGrabber::Error) {
    endWithError(QStringLiteral("Audio capture error"), audioGrabber->errorString());
}

void CropCtrl::endWithError(const QString& title, const QString& message) {
    // One failure may be reported by more than one part of the engine; the user hears of
    // it once.
    if (endingWithError)
        return;
    endingWithError = true;
    stopRecord();
    mode = Idle;
    recordRect.hide();
    finishedPanelWindow->hide();
    socialPanelWindow->hide();
    close();
    QMessageBox::critical(this, title, message, QMessageBox::Ok);
    endingWithError = false;
}
