#include "media/Recorder.h"

#include "media/AbstractImageGrabber.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/RecorderSetup.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/Session.h"

#include <QFileInfo>
#include <QMetaObject>

#include <pthread.h>

Recorder::Recorder(QObject* parent)
    : QObject(parent)
    , encoder_(new Encoder(this)) {
    engine::quietenFfmpegLog();
}

Recorder::~Recorder() {
    stop();
    for (const std::unique_ptr<Finishing>& job : finishing_)
        job->thread.join();
}

bool Recorder::isRecording() const {
    return session_ != nullptr;
}

RecorderStatistics Recorder::statistics() const {
    return session_ ? session_->statistics() : lastStatistics_;
}

void Recorder::start() {
    if (session_) {
        encoder_->reportError(Encoder::AlreadyRecordingError,
                              tr("A recording is already under way; stop it before starting "
                                 "another one."));
        return;
    }
    encoder_->clearError();
    if (imageGrabber_)
        imageGrabber_->clearError();
    if (audioGrabber_)
        audioGrabber_->clearError();

    const Encoder::EncodingMode mode = encoder_->encodingMode();
    const bool withPicture = mode != Encoder::AudioMode;
    const bool withSound = mode != Encoder::VideoMode;
    const SetupFault fault = checkStart(withPicture, withSound);
    if (fault.code != Encoder::NoError)
        return encoder_->reportError(fault.code, fault.text);
    engine::SessionParts parts;
    if (openParts(parts, withPicture, withSound))
        launch(std::move(parts));
}

SetupFault Recorder::checkStart(bool withPicture, bool withSound) const {
    if (withPicture && !imageGrabber_)
        return {Encoder::InvalidSettingsError, tr("No screen grabber is set.")};
    if (withSound && !audioGrabber_)
        return {Encoder::InvalidSettingsError, tr("No sound grabber is set.")};
    const SetupFault codecs = checkEncoderChoices(*encoder_, withPicture, withSound,
                                                  audioGrabber_ ? audioGrabber_->format().format()
                                                                : AudioFormat::Format_S16LE);
    if (codecs.code != Encoder::NoError)
        return codecs;
    if (encoder_->filePath().isEmpty())
        return {Encoder::FileOpenError, tr("No file to record into is set.")};
    const QString target = QFileInfo(encoder_->filePath()).absoluteFilePath();
    for (const std::unique_ptr<Finishing>& job : finishing_)
        if (QFileInfo(job->path).absoluteFilePath() == target)
            return {Encoder::FileOpenError,
                    tr("The recording %1 is still being finished; record into another file.")
                        .arg(job->path)};
    const QSize size = encoder_->videoSize();
    const QSize area = withPicture ? imageGrabber_->imageSize() : QSize(1, 1);
    if (withPicture &&
        (size.width() < 1 || size.height() < 1 || area.width() < 1 || area.height() < 1))
        return {Encoder::InvalidSettingsError,
                tr("The area to record is empty (%1 x %2 pixels). Select an area of "
                   "at least 1 x 1 pixel.")
                    .arg(qMax(0, qMin(size.width(), area.width())))
                    .arg(qMax(0, qMin(size.height(), area.height())))};
    return {};
}

bool Recorder::openParts(engine::SessionParts& parts, bool withPicture, bool withSound) {
    parts.path = encoder_->filePath();
    parts.periodMs = imageGrabber_ ? imageGrabber_->latency() : kPicturePeriodMs;
    AbstractGrabber::Error code = AbstractGrabber::NoError;
    QString text;
    if (withPicture) {
        parts.videoSize = encoder_->videoSize();
        parts.image = imageGrabber_->openSource(&code, &text);
        if (!parts.image) {
            imageGrabber_->reportError(code, text);
            encoder_->reportError(Encoder::SourceError, text);
            return false;
        }
    }
    if (withSound) {
        parts.soundFormat = audioGrabber_->format();
        parts.soundLevel = audioGrabber_->mix().microphoneLevel;
        parts.secondSoundLevel = audioGrabber_->mix().computerLevel;
        if (!audioGrabber_->openSources(&parts.sound, &parts.secondSound, &code, &text)) {
            audioGrabber_->reportError(code, text);
            return false;
        }
    }
    engine::OutputSettings output;
    output.path = parts.path;
    output.video = withPicture;
    output.sound = withSound;
    output.videoSize = parts.videoSize;
    output.periodMs = parts.periodMs;
    output.videoSettings = encoder_->videoCodecSettings();
    output.audioSettings = encoder_->audioCodecSettings();
    output.audioCodec = encoder_->audioCodec();
    output.soundFormat = parts.soundFormat;
    Encoder::Error outputCode = Encoder::NoError;
    parts.output = engine::OutputFile::open(output, &outputCode, &text);
    if (!parts.output)
        encoder_->reportError(outputCode, text);
    return parts.output != nullptr;
}

void Recorder::launch(engine::SessionParts parts) {
    const quint64 generation = ++generation_;
    // Called on a recording thread: the failure is handled on this object's thread.
    auto onFailure = [this, generation](engine::FailureSource source, int failure,
                                        const QString& failureText) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, source, failure, failureText] {
                failRecording(generation, int(source), failure, failureText);
            },
            Qt::QueuedConnection);
    };
    auto onSoundLost = [this, generation](const QString& reason) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, reason] {
                if (generation == generation_ && session_)
                    emit soundLost(tr("The sound stopped: %1 The recording goes on, silent "
                                      "until the sound comes back.")
                                       .arg(reason));
            },
            Qt::QueuedConnection);
    };
    sessionPath_ = parts.path;
    paused_ = false;
    session_ = std::make_unique<engine::Session>(std::move(parts), onFailure, onSoundLost);
    session_->start();
    emit started();
}

void Recorder::pause() {
    if (!session_ || paused_ || !session_->pause())
        return;
    paused_ = true;
    emit paused();
}

void Recorder::resume() {
    if (!session_ || !paused_ || !session_->resume())
        return;
    paused_ = false;
    emit resumed();
}

void Recorder::stop() {
    if (!session_)
        return;
    paused_ = false;
    std::unique_ptr<engine::Session> session = std::move(session_);
    session->requestStop();
    lastStatistics_ = session->statistics();
    auto job = std::make_unique<Finishing>();
    job->generation = generation_;
    job->path = sessionPath_;
    // Joining the recording's threads, the sound of the last moments and rewriting the file
    // take from a few milliseconds to many seconds for a long recording: never on this
    // thread.
    job->thread = std::thread([this, generation = generation_, path = sessionPath_,
                               session = std::move(session)]() mutable {
        pthread_setname_np(pthread_self(), "clipnest-finish");
        Encoder::Error code = Encoder::NoError;
        QString text;
        const bool complete = session->finish(&code, &text);
        const RecorderStatistics statistics = session->statistics();
        session.reset();
        if (complete)
            text.clear();
        else if (text.isEmpty())
            text = tr("Finishing the recording %1 failed. The file was kept as it was "
                      "recorded.")
                       .arg(path);
        QMetaObject::invokeMethod(
            this,
            [this, generation, statistics, text] { fileFinished(generation, statistics, text); },
            Qt::QueuedConnection);
    });
    finishing_.push_back(std::move(job));
    emit stopped();
}

void Recorder::fileFinished(quint64 generation, const RecorderStatistics& statistics,
                            const QString& errorText) {
    for (auto it = finishing_.begin(); it != finishing_.end(); ++it) {
        if ((*it)->generation != generation)
            continue;
        // The thread has nothing left to do but to end.
        (*it)->thread.join();
        const QString path = (*it)->path;
        finishing_.erase(it);
        if (generation == generation_)
            lastStatistics_ = statistics;
        emit finished(path, errorText);
        return;
    }
}

void Recorder::failRecording(quint64 generation, int source, int code, const QString& text) {
    // A failure of a recording that has already ended (one found while finishing its file)
    // is told by finished().
    if (generation != generation_ || !session_)
        return;
    // Reported before the recording is stopped, so that the error signals come before
    // finished().
    switch (engine::FailureSource(source)) {
    case engine::FailureSource::Image:
        if (imageGrabber_)
            imageGrabber_->reportError(AbstractGrabber::Error(code), text);
        encoder_->reportError(Encoder::SourceError, text);
        break;
    case engine::FailureSource::Sound:
        if (audioGrabber_)
            audioGrabber_->reportError(AbstractGrabber::Error(code), text);
        break;
    case engine::FailureSource::Output:
        encoder_->reportError(Encoder::Error(code), text);
        break;
    }
    stop();
}
