#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QThread;
class RecordingStore;

// What a killed or crashed earlier run left behind, dealt with once at start-up:
// - recordings it was writing (the store's leftovers) are finished into ordinary MP4 files
//   where they can be, else kept as they are, and marked recovered;
// - hidden temporary files it was writing beside them (a finish or a copy cut short) are
//   removed: the recording they were made from is still there;
// - a recording that an earlier version of the program kept in its old place (one fixed
//   file name in the runtime or temporary folder) is moved into the store, once, and marked
//   recovered like the others.
// Nothing the user recorded is deleted: a file that cannot be used is kept and reported.
//
// Threads: create, call and destroy on the GUI thread, which owns the store; finished()
// arrives there. Reading and rewriting the files runs on a thread of its own, which
// touches neither the store nor this object. Destroying it waits for that thread.
class StartupRecovery : public QObject {
    Q_OBJECT
public:
    explicit StartupRecovery(RecordingStore* store, QObject* parent = nullptr);
    ~StartupRecovery() override;

    // Where earlier versions kept the recording in progress: "<runtimeDir>/clipnest" when
    // runtimeDir is given, and "<tempDir>/clipnest-<uid>", each holding "readyOrNot.mp4".
    static QStringList oldRecordingPaths(const QString& runtimeDir, const QString& tempDir);
    // The same for this process's XDG_RUNTIME_DIR and temporary folder.
    static QStringList oldRecordingPaths();

    // Removes the hidden temporary files that a killed run leaves in a recordings folder;
    // returns their paths. Only while nothing else writes there (at start-up).
    static QStringList removeStaleTemporaries(const QString& folder);

    // Instead of oldRecordingPaths(): for tests.
    void setOldRecordingPaths(const QStringList& paths) { oldPaths_ = paths; }

    // Starts the work; finished() follows, also when there was nothing to do.
    void start();
    bool isRunning() const { return thread_ != nullptr; }

signals:
    // `recovered`: recordings now listed as recovered that play. `messages`: what the user
    // should read once (a recording that cannot be played or rewritten, an old recording
    // that could not be moved), translated, naming the files.
    void finished(int recovered, const QStringList& messages);

private:
    struct Job {
        QString oldPath; // set when an old recording is moved in to `filePath`
        QString filePath;
    };
    struct Outcome {
        QString filePath;
        bool inPlace = false; // the file is in the store (moved in, or was there)
        bool plays = false;
        QString message;
    };
    static Outcome work(const Job& job);
    void onWorkDone(const QList<StartupRecovery::Outcome>& outcomes);

    RecordingStore* store_;
    QStringList oldPaths_;
    QThread* thread_ = nullptr;
};
