#pragma once

#include "upload/UploadFailure.h"

#include <QByteArray>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

// Posts one file as a multipart/form-data body and reports progress, the link the server
// answered with, or a failure through its signals. At most one request runs at a time; a new
// upload abandons the running one without letting any of its signals through.
//
// The upload is never sent on to another address: a redirection is a failure that names the
// address it pointed to. The answer is taken only when it is a plain link (ServiceUrls::
// checkAnswer); anything else is a failure, so nothing else reaches the clipboard or the history.
//
// Threads: create, use and destroy on the GUI thread (the thread that owns the object). All
// signals are emitted on that thread.
class HttpUploader : public QObject {
    Q_OBJECT
public:
    // A server that neither takes upload bytes nor sends answer bytes for this long is treated as
    // gone. Long enough for a slow uplink or a service that spends a while storing a large
    // video, short enough that the user is not left staring at a frozen progress window.
    static constexpr int kDefaultStallTimeoutMs = 30000;
    // The answer is a link; anything longer than this is not one, and reading on would only
    // let a broken or hostile server fill our memory.
    static constexpr qint64 kMaxAnswerBytes = 1024 * 1024;
    // Once the whole video is sent, the service has this long to finish its answer, however
    // steadily it trickles: storing even a large video takes seconds, and an answer that drips a
    // byte now and then would otherwise keep the upload "uploading" for ever.
    static constexpr int kDefaultAnswerDeadlineMs = 120000;

    explicit HttpUploader(QObject* parent = nullptr);
    ~HttpUploader() override;

    // Starts an upload of `data` as the single file part `name` (file name `fileName`, type
    // `contentType`) separated by `boundary`. `data` is shared, not copied; the caller may drop
    // its own copy at once. Reports exactly one of finished() or failed() (with error() right
    // after it) for each upload that is not abandoned by a later upload() or by destroying the
    // uploader.
    void upload(const QUrl& url, const QByteArray& data, const QString& name,
                const QString& fileName, const QString& contentType, const QString& boundary);

    // How long the request may go without any progress before it is abandoned with error().
    void setStallTimeout(int milliseconds);
    int stallTimeout() const;
    // How long the service may take, from the last byte of the video, to finish its answer.
    void setAnswerDeadline(int milliseconds);

    // The value of the "Service token" setting: when not empty, later uploads carry
    // "Authorization: Bearer <token>" (surrounding white space dropped); when empty they carry no
    // Authorization header at all.
    void setServiceToken(const QString& token);
    // The settings file that holds "Service host", named in messages that ask the user to check
    // that setting.
    void setSettingsFile(const QString& path);

    // True while a request is under way.
    bool isUploading() const { return reply_ != nullptr; }

    // What the last error() came from: the network error (NoError for an answer that could
    // not be taken) and the HTTP status of the answer (0 when none arrived).
    QNetworkReply::NetworkError lastNetworkError() const { return failureError_; }
    int lastHttpStatus() const { return failureStatus_; }
    // What the service said beside the last link it answered with (Clipnest-Delete and
    // Clipnest-Expires, checked as TusAnswer does): empty or invalid when it said nothing.
    QUrl lastDeleteUrl() const { return deleteUrl_; }
    QDateTime lastExpires() const { return expires_; }

signals:
    // A whole percentage from 0 to 100 of the body sent so far.
    void progressChanged(double progress);
    // The link the service answered with, trimmed of surrounding white space.
    void finished(const QString& link);
    // What went wrong, with its kind (transient or not) for a retry queue.
    void failed(const UploadFailure& failure);
    // The same failure's readable message (failure.message), emitted right after failed().
    void error(const QString& error);

private slots:
    void onUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void onReplyFinished();
    void onReplyError(QNetworkReply::NetworkError code);
    // Bytes of the answer arrived.
    void onAnswerData();
    void onStalled();
    void onAnswerOverdue();

private:
    // Abandons a running request silently: none of its signals reach this object afterwards.
    void abortUpload();
    void fail(const UploadFailure& failure);

    QNetworkAccessManager manager_;
    QNetworkReply* reply_ = nullptr;
    QByteArray answer_;
    QString serviceToken_;
    // The running (or last) upload's address and settings file, for messages.
    UploadContext context_;
    QTimer stallTimer_;
    QTimer answerDeadline_;
    // The last percentage reported for the running upload, so each is reported once.
    int lastPercent_ = -1;
    QNetworkReply::NetworkError failureError_ = QNetworkReply::NoError;
    int failureStatus_ = 0;
    QUrl deleteUrl_;
    QDateTime expires_;
};
