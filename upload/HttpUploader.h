#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

// Posts one file as a multipart/form-data body and reports progress, the server's answer or a
// failure through its three signals. At most one request runs at a time; a new upload abandons
// the running one without letting any of its signals through.
//
// Threads: create, use and destroy on the GUI thread (the thread that owns the object). All
// signals are emitted on that thread.
class HttpUploader : public QObject {
    Q_OBJECT
public:
    // A server that neither takes upload bytes nor sends answer bytes for this long is treated as
    // gone. Long enough for a slow uplink or a service that spends a while storing a large
    // video, short enough that the user is not left staring at a frozen progress window.
    static constexpr int DefaultStallTimeoutMs = 30000;
    // The answer is a link; anything longer than this is not one, and reading on would only
    // let a broken or hostile server fill our memory.
    static constexpr qint64 MaxAnswerBytes = 1024 * 1024;

    explicit HttpUploader(QObject* parent = nullptr);
    ~HttpUploader() override;

    // Starts an upload of `data` as the single file part `name` (file name `fileName`, type
    // `contentType`) separated by `boundary`. `data` is shared, not copied; the caller may drop
    // its own copy at once. Reports exactly one of finished() or error() for each upload that is
    // not abandoned by a later upload() or by destroying the uploader.
    void upload(const QUrl& url, const QByteArray& data, const QString& name,
                const QString& fileName, const QString& contentType, const QString& boundary);

    // How long the request may go without any progress before it is abandoned with error().
    void setStallTimeout(int milliseconds);
    int stallTimeout() const;

    // True while a request is under way.
    bool isUploading() const { return reply != nullptr; }

    // What the last error() came from: the network error (NoError for an answer that could
    // not be taken) and the HTTP status of the answer (0 when none arrived).
    QNetworkReply::NetworkError lastNetworkError() const { return failureError; }
    int lastHttpStatus() const { return failureStatus; }

signals:
    // A whole percentage from 0 to 100 of the body sent so far.
    void progressChanged(double progress);
    // The response body, read as Latin-1.
    void finished(const QString& answer);
    // A readable description of what went wrong.
    void error(const QString& error);

private slots:
    void onUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void onReplyFinished();
    void onReplyError(QNetworkReply::NetworkError code);
    // Bytes of the answer arrived.
    void onAnswerData();
    void onStalled();

private:
    // Abandons a running request silently: none of its signals reach this object afterwards.
    void abortUpload();

    QNetworkAccessManager manager;
    QNetworkReply* reply = nullptr;
    QByteArray answer;
    QTimer stallTimer;
    // The last percentage reported for the running upload, so each is reported once.
    int lastPercent = -1;
    QNetworkReply::NetworkError failureError = QNetworkReply::NoError;
    int failureStatus = 0;
};
