#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// Saving a recording elsewhere. On the same file system the file is renamed onto the target,
// which also replaces an existing target in one step; across file systems it is copied to a
// new file beside the target, flushed, renamed over the target and only then removed from
// the recordings folder. Whatever fails, the old target and the recording stay as they were.
namespace RecordingSave {

struct Result {
    bool ok = false;
    QString error;  // readable, in our words, names the file, when !ok
    QString detail; // the system's own text for the failure, when it gave one
    // The recording could not be removed after a copy: it is saved, but also still ours.
    bool sourceKept = false;
};

// Reports bytes done of the total; called on the thread that runs moveRecording().
using Progress = std::function<void(qint64 done, qint64 total)>;

// Any thread. `cancel`, when set from another thread, stops a copy between blocks.
Result moveRecording(const QString& source, const QString& target, const Progress& progress = {},
                     const std::atomic<bool>* cancel = nullptr);

} // namespace RecordingSave

// Runs RecordingSave::moveRecording on a thread of its own and reports through signals.
// One save at a time.
//
// Threads: create, call and destroy on the GUI thread; signals arrive there. Destroying it
// during a save cancels the copy and waits for the thread (the target is left untouched).
class RecordingSaver : public QObject {
    Q_OBJECT
public:
    explicit RecordingSaver(QObject* parent = nullptr);
    ~RecordingSaver() override;

    // Starts moving `source` to `target`. False (and nothing starts) while a save runs.
    bool start(const QString& source, const QString& target);
    bool isRunning() const { return thread_ != nullptr; }

signals:
    // Whole percent of the bytes copied so far, each value once.
    void progressChanged(int percent);
    void finished(const QString& source, const QString& target, bool sourceKept);
    // `message` in our words; `detail` the system's own text, to show apart (may be empty).
    void failed(const QString& source, const QString& target, const QString& message,
                const QString& detail);

private:
    void onThreadDone(const QString& source, const QString& target,
                      const RecordingSave::Result& result);

    QThread* thread_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
};
