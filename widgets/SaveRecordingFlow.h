#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class ProgressWidget;
class QWidget;
class RecordingSaver;
class RecordingStore;

// Saving one of the user's recordings to a place the user picks: the save dialog, the move
// off the GUI thread (a rename, or a copy for another file system) with the progress window
// for a copy that takes a while, the message when it fails or where it went when it worked,
// and the recordings folder told that the recording has gone. The capture's Save button and
// the history rows both use it, so the user sees one behaviour.
//
// A target the user agreed to replace (in the dialog's own question, or in ours when a name
// was completed after the dialog) is replaced whole (written beside, renamed over); on any
// failure the old target and the recording stay as they were.
//
// GUI thread only. A running flow deletes itself once it has emitted done().
class SaveRecordingFlow : public QObject {
    Q_OBJECT
public:
    // Asks where to save `filePath` (the dialog belongs to `parent`, which may be null) and
    // starts the move. Returns the running flow, or null when the user cancelled (nothing
    // changed). `store`, when given, forgets the recording once it is saved elsewhere.
    static SaveRecordingFlow* saveRecordingAs(const QString& filePath, RecordingStore* store,
                                              QWidget* parent);
    // The same without the dialog, for a target already chosen.
    static SaveRecordingFlow* saveRecordingTo(const QString& filePath, const QString& target,
                                              RecordingStore* store, QWidget* parent);
    // When the recording at `filePath` was made: as `store` knows it, else from the file.
    static QDateTime recordedAt(const QString& filePath, RecordingStore* store);

    // Whether any save is running: one move of a file at a time is enough for a disk.
    static bool isSaving();

    ~SaveRecordingFlow() override;

    ProgressWidget* progressWindow() const { return progressWindow_; }

signals:
    // Emitted once, after any failure message was answered. With `saved` the recording is
    // at `target` now; without, the old target and the recording are as they were.
    void done(const QString& source, const QString& target, bool saved);

private:
    // The dialog, opened at `proposed`, until the user picks a file to write or cancels
    // (empty).
    static QString askTarget(const QString& proposed, QWidget* parent);

    SaveRecordingFlow(RecordingStore* store, QWidget* parent);
    bool start(const QString& source, const QString& target);
    void onProgress(int percent);
    void onFinished(const QString& source, const QString& target, bool sourceKept);
    void onFailed(const QString& source, const QString& target, const QString& message,
                  const QString& detail);
    void showProgressWindow();
    void end(const QString& source, const QString& target, bool saved);

    QPointer<RecordingStore> store_;
    QPointer<QWidget> parent_;
    RecordingSaver* saver_;
    ProgressWidget* progressWindow_ = nullptr;
    QTimer progressDelay_;
    int percent_ = 0;
};
