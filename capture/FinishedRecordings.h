#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class RecordingStore;

// What becomes of recordings once they stop: the one the finished panels offer and whether
// its file is still being finished, the last one finished whole (which Ctrl+S reaches on a
// fresh overlay), uploads asked for before their file was ready, and a save under way.
// It sits beside the recording session and holds no widgets. GUI thread only.
class FinishedRecordings : public QObject {
    Q_OBJECT
public:
    // How the recordings' files stand; the recording session answers in the program.
    struct Files {
        // Whether the file is still being finished.
        std::function<bool(const QString&)> isFinishing;
        // The recorded size of a file, in pixels.
        std::function<QSize(const QString&)> videoSizeOf;
        // The file a recording under way goes to; empty when none runs.
        std::function<QString()> recordingUnderWay;
    };

    // `store` keeps the recordings (may be null: nothing is offered for saving then).
    FinishedRecordings(RecordingStore* store, Files files, QObject* parent = nullptr);

    // The panels offer `filePath`, which just stopped.
    void offer(const QString& filePath);
    // The panels went; the recording stays in the store.
    void withdraw();
    QString offered() const { return offered_; }
    bool isFinishing() const { return finishing_; }
    QString lastFinished() const { return lastFinished_; }

    // The finished recording Ctrl+S and Save act on, or empty when there is none. While the
    // panels are up (`panelsUp`) it is the one they offer, otherwise the last one finished.
    // Never the recording under way nor a file still being finished: either would copy a
    // half-written file; nor one the history uploaded or is uploading meanwhile.
    QString toSave(bool panelsUp) const;

    bool isSaving() const { return saving_; }
    void setSaving(bool saving) { saving_ = saving; }
    // A save of `source` ended; the last finished recording is no longer offered when it
    // went elsewhere.
    void saved(const QString& source);

    enum class HandOver { Missing, Sent, Queued };
    // Upload (shareTarget -1) or share the offered recording: sent at once when its file is
    // ready, queued until it is otherwise. Missing when there is no file to send.
    HandOver handOver(int shareTarget);
    int pendingCount() const { return int(pending_.size()); }

    enum class Outcome {
        Nothing,       // nothing for the user to hear
        Ready,         // the offered recording is ready now
        OfferedFailed, // the offered recording's file failed: its panels must go
        EarlierFailed  // an earlier recording's file failed, its panels long gone
    };
    // The file of an ended recording is final (`ok`); with `errorText` it went wrong.
    // `panelsUp` tells whether the finished panels show.
    Outcome fileFinished(const QString& filePath, bool ok, const QString& errorText, bool panelsUp);

signals:
    void finishingChanged(bool finishing);
    // Upload (shareTarget -1) or share a finished recording of `videoSize` pixels.
    void uploadRecording(const QString& filePath, const QSize& videoSize, int shareTarget);

private:
    void setFinishing(bool finishing);

    QPointer<RecordingStore> store_;
    Files files_;
    QString offered_;
    bool finishing_ = false;
    QString lastFinished_;
    // Uploads asked for while their file was still being finished: share target by file.
    QHash<QString, int> pending_;
    bool saving_ = false;
};
