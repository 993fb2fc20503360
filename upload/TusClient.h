#pragma once

#include "upload/UploadFailure.h"

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

// What the service answered when it created an upload.
struct TusCreation {
    QUrl location;     // the upload's own address, on the service's scheme, host and port
    QString link;      // the link the user gets (Clipnest-Link), checked as every link is
    QUrl deleteUrl;    // the secret deletion address; empty when the service gave none
    QDateTime expires; // when the video goes (UTC); invalid when it does not expire
};
Q_DECLARE_METATYPE(TusCreation)

// The requests of the resumable upload protocol (tus 1.0.0 with its creation and termination
// extensions), one at a time, each reported by exactly one result signal or failed(). A new
// request or abort() abandons the running one without letting any of its signals through.
//
// The service is named once (setService()): every request goes to it and every address it hands
// out must be on its scheme, host and port, so no answer can send the video elsewhere. The
// same safety rules as HttpUploader apply: the token header, no redirection followed, the
// answer asked for uncompressed and read no further than kMaxAnswerBytes, a stall timer and an
// answer deadline; every answer header is checked before it is used.
//
// Threads: create, use and destroy on the GUI thread; signals are emitted there.
class TusClient : public QObject {
    Q_OBJECT
public:
    // The protocol's answers carry their news in headers; a body is at most a short error text.
    static constexpr qint64 kMaxAnswerBytes = 64 * 1024;

    explicit TusClient(QObject* parent = nullptr);
    ~TusClient() override;

    // The service's upload address ("<base>/upload.php?..."): the origin every request and
    // every address in an answer must keep to, and the address messages name.
    void setService(const QUrl& uploadUrl);
    void setServiceToken(const QString& token);
    void setSettingsFile(const QString& path);
    void setStallTimeout(int milliseconds);
    void setAnswerDeadline(int milliseconds);

    // OPTIONS on the service's files address: reports discovered(), true when the answer names
    // version 1.0.0 and the creation extension. An answer of 404 or 405 or one without those
    // headers is "no"; only an unreachable service fails.
    void discover();
    // POST: a new upload of `length` bytes, or of a length given later when `length` is -1.
    void create(qint64 length, const QList<QPair<QByteArray, QByteArray>>& metadata);
    // HEAD: the server's offset of the upload at `location`, and its length (-1: deferred).
    // `known` is the most the offset may be (what this side could have sent).
    void head(const QUrl& location, qint64 known);
    // PATCH: `data` at `offset`; with `declareLength` >= 0 the deferred length goes with it.
    void patch(const QUrl& location, qint64 offset, const QByteArray& data, qint64 declareLength);
    // DELETE: the upload and all of it on the service goes.
    void terminate(const QUrl& location);
    void abort();

    bool isBusy() const { return reply_ != nullptr; }
    QUrl service() const { return context_.url; }

signals:
    void discovered(bool speaksTus);
    void created(const TusCreation& creation);
    void offsetKnown(qint64 offset, qint64 length);
    // Bytes of the running PATCH's body sent so far.
    void patchProgress(qint64 sent);
    void patched(qint64 offset);
    void terminated();
    void failed(const UploadFailure& failure);

private:
    enum class Op { None, Discover, Create, Head, Patch, Terminate };
    QNetworkRequest request(const QUrl& url) const;
    bool begin(Op op, const QUrl& url);
    void watch(QNetworkReply* reply);
    void onFinished();
    void answer(Op op, QNetworkReply* done);
    void fail(const UploadFailure& failure);
    void badAnswer(const QString& what);
    void release();

    QNetworkAccessManager manager_;
    QNetworkReply* reply_ = nullptr;
    Op op_ = Op::None;
    UploadContext context_;
    QString serviceToken_;
    // The running PATCH's range, to check the offset the service answers with; the most a
    // HEAD's offset may be.
    qint64 patchOffset_ = 0;
    qint64 patchSize_ = 0;
    qint64 known_ = 0;
    QTimer stallTimer_;
    QTimer answerDeadline_;
};
