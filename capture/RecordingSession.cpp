#include "capture/RecordingSession.h"

#include "capture/SelectionGeometry.h"
#include "history/FreeSpace.h"
#include "history/RecordingStore.h"
#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/RecorderSetup.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {
// The label shows whole seconds.
constexpr int kElapsedTickMs = 1000;
} // namespace

RecordingSession::RecordingSession(RecordingStore* store, QObject* parent)
    : QObject(parent)
    , screenGrabber_(new ScreenGrabber(this))
    , audioGrabber_(new AudioGrabber(this))
    , recorder_(new Recorder(this))
    , store_(store) {
    screenGrabber_->setSourceOpener(platform::Platform::current().screenSource());
    connect(recorder_->encoder(), &Encoder::error, this, [this] {
        stopClock();
        if (unfinished_.contains(filePath_))
            unfinished_[filePath_] = true;
        emit failed(tr("Encoder error"), recorder_->encoder()->errorString());
    });
    connect(recorder_, &Recorder::finished, this, &RecordingSession::onRecorderFinished);
    connect(recorder_, &Recorder::soundLost, this, &RecordingSession::soundStopped);
    connect(recorder_, &Recorder::paused, this, [this] { emit pausedChanged(true); });
    connect(recorder_, &Recorder::resumed, this, [this] { emit pausedChanged(false); });
    connect(audioGrabber_, &AbstractGrabber::error, this, [this] {
        stopClock();
        if (unfinished_.contains(filePath_))
            unfinished_[filePath_] = true;
        emit failed(tr("Audio capture error"), audioGrabber_->errorString());
    });

    setUpRecorder(*recorder_, *screenGrabber_, *audioGrabber_);

    // The elapsed time is a clock: a coarse timer may drift by up to 5 % a tick.
    elapsedTimer_.setTimerType(Qt::PreciseTimer);
    connect(&elapsedTimer_, &QTimer::timeout, this, [this] {
        // After a resume the first tick came after what was left of its second.
        elapsedTimer_.setInterval(kElapsedTickMs);
        ++elapsedSeconds_;
        emit elapsedChanged(CaptureGeometry::elapsedText(elapsedSeconds_));
    });
}

RecordingSession::~RecordingSession() {
    // The engine's threads end before the grabbers they read from go; deleting the recorder
    // waits for the files still being finished, which are then ready to be offered again.
    disconnect(recorder_, nullptr, this, nullptr);
    delete recorder_;
    recorder_ = nullptr;
    if (store_) {
        for (auto it = unfinished_.cbegin(); it != unfinished_.cend(); ++it) {
            if (QFileInfo(it.key()).size() > 0)
                store_->setState(it.key(), RecordingState::NotUploaded);
        }
    }
}

RecordingStore* RecordingSession::ensureStore() {
    if (!store_)
        store_ = new RecordingStore(RecordingStore::defaultFolder(), this);
    return store_;
}

bool RecordingSession::isRecording() const {
    return recorder_->isRecording();
}

bool RecordingSession::isFinishing(const QString& filePath) const {
    return unfinished_.contains(filePath) && !(isRecording() && filePath == filePath_);
}

QString RecordingSession::prepare(QString* warning) {
    if (warning)
        warning->clear();
    // The overlay may be opened again while a recording runs; a second start would end the
    // first one through the engine's refusal.
    if (isRecording())
        return tr("A recording is already under way. Stop it before starting another one.");
    RecordingStore* store = ensureStore();
    if (!store->isOpen()) {
        const QString error = store->open();
        if (!error.isEmpty())
            return error;
    }
    const FreeSpace::Check room = FreeSpace::check(store->folder());
    if (room.level == FreeSpace::Level::TooLow)
        return room.message;
    if (room.level == FreeSpace::Level::Low && warning)
        *warning = room.message;
    return {};
}

bool RecordingSession::start(const QRect& physicalArea, bool withSound) {
    const RecordingStore::Reservation file = ensureStore()->reserve();
    if (file.filePath.isEmpty()) {
        // Told the way an engine refusal is: from the event loop, after start() returned.
        QTimer::singleShot(0, this,
                           [this, error = file.error] { emit failed(tr("Encoder error"), error); });
        return false;
    }
    filePath_ = file.filePath;
    videoSize_ = physicalArea.size();
    sizes_.insert(filePath_, videoSize_);
    Encoder* encoder = recorder_->encoder();
    encoder->setFilePath(filePath_);
    screenGrabber_->setCaptureRect(physicalArea);
    encoder->setVideoSize(physicalArea.size());
    encoder->setEncodingMode(withSound ? Encoder::VideoAudioMode : Encoder::VideoMode);
    SoundMix mix;
    const QString source = AppSettings::soundSource(QSettings());
    mix.input = source == AppSettings::kSoundSourceComputer ? SoundInput::ComputerSound
                : source == AppSettings::kSoundSourceBoth   ? SoundInput::Both
                                                            : SoundInput::Microphone;
    audioGrabber_->setMix(mix);

    recorder_->start();
    if (!recorder_->isRecording()) {
        // Refused before writing anything: the empty file reserved for it goes again.
        if (store_ && QFileInfo(filePath_).size() == 0)
            store_->remove(filePath_);
        return false;
    }
    unfinished_.insert(filePath_, false);
    emit elapsedChanged(CaptureGeometry::elapsedText(0));
    elapsedSeconds_ = 0;
    elapsedTimer_.start(kElapsedTickMs);
    return true;
}

void RecordingSession::pause() {
    if (!recorder_->isRecording() || recorder_->isPaused())
        return;
    // The elapsed time stands still; what was left of the current second is kept.
    tickLeftMs_ = elapsedTimer_.remainingTime();
    elapsedTimer_.stop();
    recorder_->pause();
}

void RecordingSession::resume() {
    if (!recorder_->isPaused())
        return;
    elapsedTimer_.start(tickLeftMs_ > 0 ? tickLeftMs_ : kElapsedTickMs);
    recorder_->resume();
}

bool RecordingSession::isPaused() const {
    return recorder_->isPaused();
}

void RecordingSession::stop() {
    stopClock();
    recorder_->stop();
}

void RecordingSession::onRecorderFinished(const QString& path, const QString& errorText) {
    const auto it = unfinished_.constFind(path);
    if (it == unfinished_.cend())
        return;
    const bool reported = it.value();
    unfinished_.erase(it);
    if (store_) {
        // What the engine kept is the user's, even after a failure; a file with nothing in it
        // is no recording.
        if (QFileInfo(path).size() > 0)
            store_->setState(path, RecordingState::NotUploaded);
        else
            store_->remove(path);
    }
    const bool ok = errorText.isEmpty() && !reported;
    emit fileFinished(path, ok, reported ? QString() : errorText);
}

void RecordingSession::stopClock() {
    elapsedTimer_.stop();
}
