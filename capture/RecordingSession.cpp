#include "capture/RecordingSession.h"

#include "capture/RecordingPath.h"
#include "capture/SelectionGeometry.h"
#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"

namespace {
// The label shows whole seconds; the stop button blinks once a second (on, off).
constexpr int kElapsedTickMs = 1000;
constexpr int kBlinkMs = 500;
// CD-quality stereo: what every sound server offers a microphone in without resampling.
constexpr int kSoundSampleRate = 44100;
constexpr int kSoundChannels = 2;
} // namespace

RecordingSession::RecordingSession(QObject* parent)
    : QObject(parent)
    , screenGrabber_(new ScreenGrabber(this))
    , audioGrabber_(new AudioGrabber(this))
    , recorder_(new Recorder(this)) {
    connect(recorder_->encoder(), &Encoder::error, this, [this] {
        stopClock();
        emit failed(tr("Encoder error"), recorder_->encoder()->errorString());
    });
    connect(recorder_, &Recorder::finished, this,
            [this](const QString& path, const QString& errorText) {
                // Only the file of a recording stop() ended: one that ended with a failure was
                // reported by the error signals already.
                if (!awaitingFile_ || path != filePath_)
                    return;
                awaitingFile_ = false;
                if (errorText.isEmpty())
                    emit fileFinished();
                else
                    emit failed(tr("Encoder error"), errorText);
            });
    connect(audioGrabber_, &AbstractGrabber::error, this, [this] {
        stopClock();
        emit failed(tr("Audio capture error"), audioGrabber_->errorString());
    });

    screenGrabber_->setLatency(kPicturePeriodMs);
    screenGrabber_->setDrawClicks(false);

    AudioFormat format;
    format.setChannelCount(kSoundChannels);
    format.setSampleRate(kSoundSampleRate);
    format.setFormat(AudioFormat::Format_S16LE);
    audioGrabber_->setDeviceIndex(0);
    audioGrabber_->setFormat(format);

    AudioCodecSettings sound;
    sound.setSampleRate(format.sampleRate());
    sound.setChannelCount(format.channelCount());
    sound.setSampleFormat(EncoderGlobal::S16);

    Encoder* encoder = recorder_->encoder();
    encoder->setVideoCodecSettings(screenRecordingVideoSettings());
    encoder->setAudioCodecSettings(sound);
    encoder->setVideoCodec(EncoderGlobal::H264);
    encoder->setAudioCodec(EncoderGlobal::MP3);
    encoder->setOutputPixelFormat(EncoderGlobal::YUV420P);
    recorder_->setImageGrabber(screenGrabber_);
    recorder_->setAudioGrabber(audioGrabber_);

    // The elapsed time is a clock: a coarse timer may drift by up to 5 % a tick.
    elapsedTimer_.setTimerType(Qt::PreciseTimer);
    connect(&elapsedTimer_, &QTimer::timeout, this, [this] {
        ++elapsedSeconds_;
        emit elapsedChanged(CaptureGeometry::elapsedText(elapsedSeconds_));
    });
    connect(&blinkTimer_, &QTimer::timeout, this, [this] {
        emit blinkChanged(blinkOn_);
        blinkOn_ = !blinkOn_;
    });
}

RecordingSession::~RecordingSession() {
    // The engine's threads end before the grabbers they read from go.
    recorder_->stop();
}

bool RecordingSession::isRecording() const {
    return recorder_->isRecording();
}

QString RecordingSession::prepare() {
    // The overlay may be opened again while a recording runs; a second start would end the
    // first one through the engine's refusal.
    if (isRecording())
        return tr("A recording is already under way. Stop it before starting another one.");
    const RecordingPath path = prepareRecordingPath();
    preparedPath_ = path.filePath;
    return path.filePath.isEmpty() ? path.error : QString();
}

bool RecordingSession::start(const QRect& physicalArea, bool withSound) {
    filePath_ = preparedPath_;
    videoSize_ = physicalArea.size();
    Encoder* encoder = recorder_->encoder();
    encoder->setFilePath(filePath_);
    screenGrabber_->setCaptureRect(physicalArea);
    encoder->setVideoSize(physicalArea.size());
    encoder->setEncodingMode(withSound ? Encoder::VideoAudioMode : Encoder::VideoMode);

    recorder_->start();
    if (!recorder_->isRecording())
        return false;
    emit elapsedChanged(CaptureGeometry::elapsedText(0));
    elapsedSeconds_ = 0;
    blinkOn_ = false;
    blinkTimer_.start(kBlinkMs);
    elapsedTimer_.start(kElapsedTickMs);
    return true;
}

void RecordingSession::stop() {
    stopClock();
    awaitingFile_ = recorder_->isRecording();
    recorder_->stop();
}

void RecordingSession::stopClock() {
    blinkTimer_.stop();
    elapsedTimer_.stop();
}

QString RecordingSession::finishedFile() {
    if (filePath_.isEmpty()) // nothing recorded since start: whatever an earlier run left
        filePath_ = prepareRecordingPath().filePath;
    return filePath_;
}

QString RecordingSession::fileExtension() const {
    return QStringLiteral("mp4");
}
