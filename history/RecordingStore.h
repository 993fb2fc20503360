#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

// Where a recording stands. Stored by name, so the values may be reordered freely.
enum class RecordingState {
    Recording,    // the engine is (or was, before a crash) writing it
    NotUploaded,  // finished, neither uploaded nor saved elsewhere
    Queued,       // waiting in the upload queue or being uploaded (see `uploading`)
    UploadFailed, // the last upload failed for good; `reason` says why
    Uploaded,     // the service took it; `link` reaches the upload history, the file stays
    Recovered     // left by a run that ended during the recording, finished at the next start
};

struct RecordingEntry {
    QString filePath;
    QDateTime created;
    RecordingState state = RecordingState::NotUploaded;
    QString reason;       // why the upload failed (for Queued: why the last try failed)
    int shareTarget = -1; // the social network to share on once uploaded, -1 for none
    qint64 size = 0;
    // The upload under way, for Queued.
    QUrl url;
    int failedAttempts = 0;
    QDateTime retryAt; // when the next automatic try is due; null: as soon as there is room
    bool uploading = false;
    // For Uploaded.
    QString link;
    QDateTime uploadedAt;
    bool linkTold = false; // the link is in the upload history: only the recording is left
    // The user saved it elsewhere and it stayed here too (a copy whose original could not be
    // removed): letting it go loses nothing.
    bool saved = false;
    // For Queued, once a resumable upload is made: its address on the service (a retry or a
    // later run goes on from there) and the link the service gave for it.
    QUrl resumeAt;
    QString resumeLink;
    // For Queued (resumable) and Uploaded: the video's secret deletion address and when the
    // service drops it; empty or invalid when the service gave none.
    QUrl deleteUrl;
    QDateTime expires;
};

// The user's recordings and what became of each: one file per recording in a private,
// disk-backed folder, and one index beside them that is the only record of each
// recording's lifecycle, upload included. Every change is one atomic replacement of the
// index, so no crash can leave two records of one recording disagreeing.
//
// An upload is not the user's choice to delete: an uploaded recording stays in the folder
// with its link until the user deletes or saves it, or lets it go to keep the space that
// kept recordings take within the bound the user set.
//
// A file is never overwritten: each recording gets a name of its own, reserved by creating
// the file exclusively. The index only adds to what is on disk: a recording file without an
// entry is listed as not uploaded, an entry without its file is dropped, so a damaged index
// never hides a recording. Files leave the folder only through remove() (the user's choice)
// or forget() after a save elsewhere moved them away.
//
// Lookups answer from memory. The folder is read on open() and refresh(); changes the store
// makes itself are applied to its memory as they are made, so a file removed behind its back
// stays listed until the next refresh() (or until an operation on it finds it gone).
//
// A recording outside the folder (the user's own file) has an entry only while it waits for
// or goes through an upload; it is never listed and never deleted.
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
    // The pending uploads of earlier versions, taken into the index by open().
    QString oldUploadsPath() const;

    // Makes or checks the folder, reads it and the index. Entries still marked Recording are
    // recordings a previous run did not finish (see leftovers()). Returns an empty string on
    // success, else a readable message; the store is unusable until a later open() succeeds.
    QString open();
    bool isOpen() const { return open_; }
    // Reads the folder again: files added or removed by others show from now on.
    void refresh();

    // A new, empty recording file with a unique name (from `now`), marked Recording.
    struct Reservation {
        QString filePath; // empty on failure
        QString error;
    };
    Reservation reserve(const QDateTime& now = QDateTime::currentDateTime());

    // Recordings that were being written when the previous run ended: what open() found marked
    // Recording, less those changed since.
    QStringList leftovers() const;

    // Records what became of a recording of this store; clears its upload. Saves the index.
    void setState(const QString& filePath, RecordingState state, const QString& reason = {},
                  int shareTarget = -1);

    // The upload's steps, each saved at once. A file outside the folder is accepted by
    // queueUpload() only.
    bool queueUpload(const QString& filePath, const QUrl& url, int shareTarget);
    void startAttempt(const QString& filePath);
    void retryLater(const QString& filePath, const QString& reason, int failedAttempts,
                    const QDateTime& retryAt);
    void failUpload(const QString& filePath, const QString& reason);
    // A resumable upload was made for the pending upload: kept before any byte is sent.
    void setResumable(const QString& filePath, const QUrl& location, const QString& link,
                      const QUrl& deleteUrl, const QDateTime& expires);
    // The link and the recording's state in one write, before anything else is told.
    void markUploaded(const QString& filePath, const QString& link, const QDateTime& when,
                      const QUrl& deleteUrl = {}, const QDateTime& expires = {});
    // Ends a pending upload without a result: the recording is not uploaded again.
    void cancelUpload(const QString& filePath);
    // The upload history holds the link now. A recording of the folder stays, uploaded; the
    // entry of a file of the user's own goes.
    void markLinkTold(const QString& filePath);
    // The user saved a copy elsewhere and this one stayed.
    void markSaved(const QString& filePath);

    // Kept recordings that are not uploaded (each has a row of its own), oldest first.
    QList<RecordingEntry> list() const;
    // Every recording in the folder, uploaded ones included, oldest first.
    QList<RecordingEntry> kept() const;
    // The kept recording whose upload gave this link at this moment, if it is still here.
    std::optional<RecordingEntry> keptUpload(const QDateTime& uploadedAt, const QUrl& link) const;
    // Every recording with a pending upload, in the order they were queued.
    QList<RecordingEntry> pendingUploads() const;
    // Uploaded recordings whose link may not be in the upload history yet (not linkTold).
    QList<RecordingEntry> uploaded() const;
    std::optional<RecordingEntry> entry(const QString& filePath) const;
    bool contains(const QString& filePath) const;
    // Whether the path names a file in the folder (the store's own copy).
    bool isKept(const QString& filePath) const;

    // Deletes the recording's file and its entry. Returns an empty string on success, else a
    // readable message (the entry stays then).
    QString remove(const QString& filePath);
    // Drops the entry of a recording that was moved out of the folder (or has vanished).
    void forget(const QString& filePath);

    static QString stateName(RecordingState state);
    static std::optional<RecordingState> stateFromName(const QString& name);

signals:
    // The list or a recording's state changed.
    void changed();
    // The index could not be written; `message` says where. The recordings are unharmed.
    void storeFailed(const QString& message);

private:
    QString pathOf(const QString& fileName) const;
    // The name inside the folder, or empty for a path outside it.
    QString nameOf(const QString& filePath) const;
    RecordingEntry* find(const QString& filePath);
    // The entry of a file in the folder, made (not uploaded) when the file is there.
    RecordingEntry* findOrAdopt(const QString& filePath);
    void scanFolder();
    void readIndex();
    bool takeOldUploads();
    bool queueUploadInMemory(const QString& filePath, const QUrl& url, int shareTarget);
    bool writeIndex();
    void commit();
    static void clearUpload(RecordingEntry& e);

    QString folder_;
    bool open_ = false;
    QList<RecordingEntry> entries_;
    QStringList leftovers_;
};
