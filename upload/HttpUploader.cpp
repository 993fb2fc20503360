#include "upload/HttpUploader.h"

#include "upload/MultipartBody.h"

#include <QDebug>
#include <QNetworkRequest>

#include <algorithm>

HttpUploader::HttpUploader(QObject* parent)
    : QObject(parent) {
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(DefaultStallTimeoutMs);
    connect(&stallTimer, &QTimer::timeout, this, &HttpUploader::onStalled);
}

HttpUploader::~HttpUploader() {
    abortUpload();
}

void HttpUploader::setStallTimeout(int milliseconds) {
    stallTimer.setInterval(std::max(1, milliseconds));
}

int HttpUploader::stallTimeout() const {
    return stallTimer.interval();
}

void HttpUploader::upload(const QUrl& url, const QByteArray& data, const QString& name,
                          const QString& fileName, const QString& contentType,
                          const QString& boundary) {
    qDebug() << "Try upload to: " << url.toString();
    answer.clear();
    failureError = QNetworkReply::NoError;
    failureStatus = 0;
    if (!url.isValid()) {
        emit error(QStringLiteral("Invalid url: ") + url.toString());
        return;
    }
    if (data.isEmpty()) {
        emit error(QStringLiteral("Empty data"));
        return;
    }
    abortUpload();

    auto* body =
        new MultipartBodyDevice(MultipartBody::prefix(name, fileName, contentType, boundary), data,
                                MultipartBody::suffix(boundary));
    body->open(QIODevice::ReadOnly);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      MultipartBody::contentTypeHeader(boundary));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());

    reply = manager.post(request, body);
    // The body must live as long as the request that reads it.
    body->setParent(reply);

    lastPercent = -1;
    connect(reply, &QNetworkReply::uploadProgress, this, &HttpUploader::onUploadProgress);
    connect(reply, &QNetworkReply::readyRead, this, &HttpUploader::onAnswerData);
    connect(reply, &QNetworkReply::finished, this, &HttpUploader::onReplyFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &HttpUploader::onReplyError);
    stallTimer.start();
}

void HttpUploader::abortUpload() {
    stallTimer.stop();
    if (!reply)
        return;
    QNetworkReply* abandoned = reply;
    reply = nullptr;
    // Disconnect first, so that nothing the abort raises reaches this object.
    abandoned->disconnect(this);
    abandoned->abort();
    abandoned->close();
    abandoned->deleteLater();
}

void HttpUploader::onUploadProgress(qint64 bytesSent, qint64 bytesTotal) {
    if (!reply)
        return;
    stallTimer.start();
    // An unknown or empty total gives no meaningful percentage: say nothing rather than guess.
    if (bytesTotal <= 0)
        return;
    const double percent = double(bytesSent) * 100.0 / double(bytesTotal);
    const int whole = std::clamp(int(percent), 0, 100);
    // The network module reports every few kilobytes; the percentage changes far less often.
    if (whole == lastPercent)
        return;
    lastPercent = whole;
    emit progressChanged(double(whole));
}

void HttpUploader::onAnswerData() {
    if (!reply)
        return;
    if (reply->bytesAvailable() > MaxAnswerBytes) {
        failureError = QNetworkReply::NoError;
        failureStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        abortUpload();
        answer.clear();
        emit error(QStringLiteral("The upload service sent an answer too long to be a link. "
                                  "Please try again later."));
        return;
    }
    // The answer coming in is progress too: keep the stall timer from firing.
    stallTimer.start();
}

void HttpUploader::onReplyError(QNetworkReply::NetworkError) {
    // The reply's finished() follows every error; the failure is reported there, once.
    if (reply)
        qDebug() << "Upload failed:" << reply->errorString();
}

void HttpUploader::onReplyFinished() {
    if (!reply)
        return;
    stallTimer.stop();
    QNetworkReply* done = reply;
    reply = nullptr;
    done->deleteLater();
    failureError = done->error();
    failureStatus = done->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (done->error() != QNetworkReply::NoError) {
        const QString text = done->errorString();
        qDebug() << text;
        emit error(text);
        return;
    }
    answer = done->readAll();
    if (answer.size() > MaxAnswerBytes) {
        answer.clear();
        emit error(QStringLiteral("The upload service sent an answer too long to be a link. "
                                  "Please try again later."));
        return;
    }
    emit finished(QString::fromLatin1(answer));
}

void HttpUploader::onStalled() {
    if (!reply)
        return;
    const int seconds = (stallTimer.interval() + 999) / 1000;
    failureError = QNetworkReply::TimeoutError;
    failureStatus = 0;
    abortUpload();
    answer.clear();
    emit error(QStringLiteral("The upload service stopped answering for %1 seconds. Please try "
                              "again later.")
                   .arg(seconds));
}
