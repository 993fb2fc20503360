#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// Where a recording stands. Stored by name, so the values may be reordered freely.
enum class RecordingState {
    Recording,    // the engine is (or was, before a crash) writing it
    NotUploaded,  // finished, neither uploaded nor saved elsewhere
    Queued,       // waiting in the upload queue or being uploaded
    UploadFailed, // the last upload failed for good; `reason` says why
    Recovered     // left by a run that ended during the recording, finished at the next start
};

struct RecordingEntry {
    QString filePath;
    QDateTime created;
    RecordingState state = RecordingState::NotUploaded;
    QString reason;       // why the upload failed, for UploadFailed
    int shareTarget = -1; // the social network to share on once uploaded, -1 for none
    qint64 size = 0;
};

// The user's recordings: one file per recording in a private, disk-backed folder, and what
// became of each (not uploaded, queued, failed, recovered) in an index beside them.
//
// A file is never overwritten: each recording gets a name of its own, reserved by creating
// the file exclusively. The index only adds to what is on disk: a recording file without an
// entry is listed as not uploaded, an entry without its file is dropped, so a damaged index
// never hides a recording. Files leave the folder only through remove() (the user's choice,
// an accepted upload) or forget() after a save elsewhere moved them away.
//
// GUI thread only (the thread that owns the object).
class RecordingStore : public QObject {
    Q_OBJECT
public:
    // "$XDG_DATA_HOME/clipnest/recordings", with XDG_DATA_HOME defaulting to ~/.local/share.
    static QString defaultFolder();

    explicit RecordingStore(const QString& folder = defaultFolder(), QObject* parent = nullptr);
    ~RecordingStore() override;

    QString folder() const { return folder_; }
    QString indexPath() const;

    // Makes or checks the folder and reads the index. Entries still marked Recording are
    // recordings a previous run did not finish (see leftovers()). Returns an empty string on
    // success, else a readable message; the store is unusable until a later open() succeeds.
    QString open();
    bool isOpen() const { return open_; }

    // A new, empty recording file with a unique name (from `now`), marked Recording.
    struct Reservation {
        QString filePath; // empty on failure
        QString error;
    };
    Reservation reserve(const QDateTime& now = QDateTime::currentDateTime());

    // Recordings that were being written when the previous run ended: what open() found marked
    // Recording, less those changed since.
    QStringList leftovers() const;

    // Records what became of a recording of this store. Saves the index.
    void setState(const QString& filePath, RecordingState state, const QString& reason = {},
                  int shareTarget = -1);

    // Every recording file in the folder, oldest first.
    QList<RecordingEntry> list() const;
    std::optional<RecordingEntry> entry(const QString& filePath) const;
    bool contains(const QString& filePath) const;

    // Deletes the recording's file and its entry. Returns an empty string on success, else a
    // readable message (the entry stays then).
    QString remove(const QString& filePath);
    // Drops the entry of a recording that was moved out of the folder.
    void forget(const QString& filePath);

    static QString stateName(RecordingState state);
    static std::optional<RecordingState> stateFromName(const QString& name);

signals:
    // The list or a recording's state changed.
    void changed();
    // The index could not be written; `message` says where. The recordings are unharmed.
    void storeFailed(const QString& message);

private:
    struct Stored {
        QString fileName;
        QDateTime created;
        RecordingState state = RecordingState::NotUploaded;
        QString reason;
        int shareTarget = -1;
    };
    QString pathOf(const QString& fileName) const;
    // The name inside the folder, or empty for a path outside it.
    QString nameOf(const QString& filePath) const;
    void readIndex();
    void writeIndex();

    QString folder_;
    bool open_ = false;
    QList<Stored> entries_;
    QStringList leftovers_;
};
