#pragma once

#include "upload/TusClient.h"
#include "upload/UploadFailure.h"

#include <QObject>
#include <QUrl>

class UploadSource;

// One video sent by the resumable protocol from an UploadSource, in chunks of at most kChunkBytes.
//
// Given the address of an upload made before (a retry, or a queue after a restart), it asks the
// service how far that upload got and goes on from there; an upload the service no longer knows
// (404 or 410) is made anew, once per start(). The offset is always the service's: after a
// refused chunk (409) it asks again; after a cut connection the owner starts again and the
// address leads back to where the service's bytes end. A source that is not complete is
// created with its length deferred, waited for while it has nothing new, and its length goes
// with the last chunk.
//
// Threads: create, use and destroy on the GUI thread; signals are emitted there.
class TusUpload : public QObject {
    Q_OBJECT
public:
    // The largest PATCH body. The reference service takes chunks of up to 8 MiB; half of that
    // leaves room for a service configured tighter, keeps what a cut connection costs again to
    // one chunk (two seconds at 2 MB/s), and still makes a request's round trip a small part
    // of a chunk's time at ten times that rate.
    static constexpr qint64 kChunkBytes = 4 * 1024 * 1024;
    // Refused chunks (409) in a row, each followed by a HEAD, before the service is taken to
    // be confused rather than busy with another request of ours.
    static constexpr int kMaxConflicts = 3;

    // `source` must outlive the upload. `client` is set up (service, token...) by the caller.
    TusUpload(UploadSource* source, std::unique_ptr<TusClient> client,
              const QList<QPair<QByteArray, QByteArray>>& metadata, QObject* parent = nullptr);
    ~TusUpload() override;

    // Goes on with the upload created before (`earlier.location` not empty) or creates one.
    void start(const TusCreation& earlier);
    void abort();

    TusClient* client() const { return client_.get(); }
    const TusCreation& creation() const { return creation_; }

signals:
    // The service made the upload: store its address before anything else happens to it.
    void created(const TusCreation& creation);
    // Bytes the service holds plus those of the running chunk, and the video's length so far.
    void progress(qint64 bytes, qint64 total);
    // The service holds the whole video.
    void finished(const TusCreation& creation);
    // The service answered the creation with 404 or 405: it does not take resumable uploads (any
    // more) at that address.
    void notSupported();
    void failed(const UploadFailure& failure);

private:
    void createNew();
    void sendNext();
    void onFailed(const UploadFailure& failure);
    void onOffset(qint64 offset, qint64 length);
    void onPatched(qint64 offset);

    UploadSource* source_;
    std::unique_ptr<TusClient> client_;
    QList<QPair<QByteArray, QByteArray>> metadata_;
    TusCreation creation_;
    enum class Step { Idle, Creating, Asking, Sending, Waiting, Done } step_ = Step::Idle;
    qint64 offset_ = 0;
    qint64 chunkSize_ = 0;
    bool lengthKnown_ = false; // the service holds the final length
    bool declaring_ = false;   // the running chunk carries it
    bool madeAnew_ = false;    // this start() created an upload already
    int conflicts_ = 0;
};
