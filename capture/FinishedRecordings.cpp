#include "capture/FinishedRecordings.h"

#include "history/RecordingStore.h"

#include <QFileInfo>

FinishedRecordings::FinishedRecordings(RecordingStore* store, Files files, QObject* parent)
    : QObject(parent)
    , store_(store)
    , files_(std::move(files)) {}

void FinishedRecordings::offer(const QString& filePath) {
    offered_ = filePath;
    setFinishing(files_.isFinishing(filePath));
}

void FinishedRecordings::withdraw() {
    offered_.clear();
    setFinishing(false);
}

void FinishedRecordings::setFinishing(bool finishing) {
    finishing_ = finishing;
    emit finishingChanged(finishing);
}

QString FinishedRecordings::toSave(bool panelsUp) const {
    const QString path = panelsUp ? offered_ : lastFinished_;
    if (path.isEmpty() || files_.isFinishing(path) || path == files_.recordingUnderWay())
        return {};
    const auto entry = store_ ? store_->entry(path) : std::nullopt;
    if (!entry || entry->state == RecordingState::Queued ||
        entry->state == RecordingState::Recording)
        return {};
    return path;
}

void FinishedRecordings::saved(const QString& source) {
    if (lastFinished_ == source)
        lastFinished_.clear();
}

FinishedRecordings::HandOver FinishedRecordings::handOver(int shareTarget) {
    const QString recording = offered_;
    if (recording.isEmpty() || !QFileInfo::exists(recording))
        return HandOver::Missing;
    if (lastFinished_ == recording)
        lastFinished_.clear();
    if (files_.isFinishing(recording)) {
        pending_.insert(recording, shareTarget);
        return HandOver::Queued;
    }
    emit uploadRecording(recording, files_.videoSizeOf(recording), shareTarget);
    return HandOver::Sent;
}

FinishedRecordings::Outcome FinishedRecordings::fileFinished(const QString& filePath, bool ok,
                                                             const QString& errorText,
                                                             bool panelsUp) {
    if (ok)
        lastFinished_ = filePath;
    const auto pending = pending_.constFind(filePath);
    if (pending != pending_.cend()) {
        const int shareTarget = pending.value();
        pending_.erase(pending);
        // A file that could not be finished stays listed as not uploaded; the message the
        // caller shows says what was kept.
        if (ok)
            emit uploadRecording(filePath, files_.videoSizeOf(filePath), shareTarget);
    }
    const bool shown = panelsUp && filePath == offered_;
    if (shown && ok) {
        setFinishing(false);
        return Outcome::Ready;
    }
    if (errorText.isEmpty())
        return Outcome::Nothing;
    return shown ? Outcome::OfferedFailed : Outcome::EarlierFailed;
}
