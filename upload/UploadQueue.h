#pragma once

#include "upload/ServiceProtocols.h"
#include "upload/UploadFailure.h"

#include <QDateTime>

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class HttpUploader;
class QFile;
class QTimer;
class RecordingStore;
struct TusCreation;

// One recording waiting to reach the upload service.
struct UploadJob {
    QString filePath;
    QUrl url;
    int shareTarget = -1; // the social network to share on once uploaded, -1 for none
    int failedAttempts = 0;
    QString lastError;
};

// Uploads recordings, several at once, and keeps at them until the service takes them.
//
// A service that speaks the resumable protocol (asked once, then remembered beside the index:
// ServiceProtocols) gets the video in chunks (TusUpload); the upload's address is in the index
// the moment the service makes it, so a retry or a later run asks the service how far it got
// and sends only the rest. Other services get the whole file in one multipart request.
//
// A transient failure (see classifyUploadFailure) is retried after growing delays; a
// permanent one, or running out of retries, ends the job. What lasts of a job (its address,
// share target, failed tries, when it retries, its outcome) is the recording's state in the
// RecordingStore, written there at every step; the queue itself keeps only the scheduling
// (timers, running requests). So uploads still pending when the program ends resume at the
// next start (load()), and an accepted link is in the store before anyone hears of it. Each attempt
// is either the user's (the first after add(), which the user asked for) or automatic (retries,
// resumed jobs), so the program can tell the user about the first in a box and about the others
// more quietly.
//
// Threads: create, use and destroy on the GUI thread; signals are emitted there.
class UploadQueue : public QObject {
    Q_OBJECT
public:
    // Two uploads share the uplink without starving each other; more would only slow each
    // one down and keep more files mapped.
    static constexpr int kMaxRunning = 2;
    // Delays before the automatic retries: the first soon (a service restarting is back in
    // seconds), then growing so that an outage of a quarter of an hour is still bridged
    // without hammering the service. Seven tries in all.
    static std::vector<int> defaultRetryDelays() {
        return {5000, 30000, 60000, 120000, 300000, 300000};
    }

    // Fixed parts of every upload request, as the service expects them.
    static constexpr const char* kFieldName = "attachment";
    static constexpr const char* kFileName = "video.mp4";
    static constexpr const char* kContentType = "video/mp4";
    static constexpr const char* kBoundary = "Ax3WQkoke";

    // `store` keeps what lasts of each job; it must be open and outlive the queue.
    explicit UploadQueue(RecordingStore* store, QObject* parent = nullptr);
    ~UploadQueue() override;

    // Takes up the pending uploads the store holds (an earlier run's) as automatic attempts,
    // each when its retry is due.
    void load();

    // Queues the upload of `filePath` to `url`; the first attempt is the user's. A file
    // already queued is tried again at once (the user asked), keeping its place.
    void add(const QString& filePath, const QUrl& url, int shareTarget);
    // A job waiting for its automatic retry tries again now, as the user's attempt (so it goes
    // ahead of automatic ones). Returns false, changing nothing, when `filePath` has no job or
    // its attempt is running already.
    bool retryNow(const QString& filePath);
    // Drops the job (abandoning a running attempt without a signal).
    void remove(const QString& filePath);

    bool contains(const QString& filePath) const;
    bool isUploading(const QString& filePath) const;
    QList<UploadJob> jobs() const;
    RecordingStore* store() const { return store_; }

    // Given to every attempt started from now on (see HttpUploader): the service's token
    // and the settings file that messages name.
    void setServiceToken(const QString& token) { serviceToken_ = token; }
    void setSettingsFile(const QString& path) { settingsFile_ = path; }

    // For tests: other delays (and with them another number of tries) and stall timeout.
    void setRetryDelays(const std::vector<int>& delaysMs) { retryDelays_ = delaysMs; }
    void setStallTimeout(int milliseconds) { stallTimeoutMs_ = milliseconds; }
    // Which protocol each service was found to speak.
    ServiceProtocols& protocols() { return protocols_; }

signals:
    void attemptStarted(const QString& filePath, bool userStarted);
    void progressChanged(const QString& filePath, int percent, bool userStarted);
    // What the service said beside the link (its deletion address, empty when none, and when
    // the video expires, invalid when never), emitted right before accepted().
    void linkDetails(const QString& filePath, const QUrl& deleteUrl, const QDateTime& expires);
    // The service answered with a link; the job is gone, and the store holds the link with
    // the recording (state Uploaded).
    void accepted(const QString& filePath, const QString& link, int shareTarget, bool userStarted);
    // An attempt failed. With willRetry the job waits for its next try; without, it is gone
    // (a permanent failure or no tries left).
    void failed(const QString& filePath, const QString& message, UploadFailureKind kind,
                bool userStarted, bool willRetry);

private:
    struct Entry;
    Entry* find(const QString& filePath) const;
    Entry* append(const QString& filePath);
    UploadJob jobOf(const Entry* entry) const;
    void pump();
    void startAttempt(Entry* entry);
    void announce(Entry* entry);
    void probe(Entry* entry);
    void startMultipart(Entry* entry);
    void startResumable(Entry* entry);
    void failUnreadable(Entry* entry, const QString& reason);
    void reportProgress(Entry* entry, int percent);
    void onAnswer(Entry* entry, const QString& answer, const QUrl& deleteUrl,
                  const QDateTime& expires);
    void onError(Entry* entry, const QString& message, UploadFailureKind kind);
    // Ends the service's half of a resumable upload that will not go on.
    void terminateRemote(const QUrl& uploadUrl, const QUrl& location);
    void endAttempt(Entry* entry);
    void erase(Entry* entry);

    RecordingStore* store_;
    ServiceProtocols protocols_;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<int> retryDelays_ = defaultRetryDelays();
    int stallTimeoutMs_ = 0;
    QString serviceToken_;
    QString settingsFile_;
};
