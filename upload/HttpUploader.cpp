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

void HttpUploader::setServiceToken(const QString& token) {
    serviceToken = token.trimmed();
}

void HttpUploader::setSettingsFile(const QString& path) {
    context.settingsFile = path;
}

void HttpUploader::fail(const UploadFailure& failure) {
    qDebug() << "Upload failed:" << failure.message;
    failureError = failure.networkError;
    failureStatus = failure.httpStatus;
    emit failed(failure);
    emit error(failure.message);
}

void HttpUploader::upload(const QUrl& url, const QByteArray& data, const QString& name,
                          const QString& fileName, const QString& contentType,
                          const QString& boundary) {
    qDebug() << "Try upload to:" << ServiceUrls::withoutCredentials(url);
    answer.clear();
    failureError = QNetworkReply::NoError;
    failureStatus = 0;
    if (!url.isValid() || url.isEmpty()) {
        fail(UploadFailures::invalidAddress(url));
        return;
    }
    if (data.isEmpty()) {
        fail(UploadFailures::noData());
        return;
    }
    // Visible ASCII only: anything else could end the header line or would be mangled on the way.
    for (const QChar c : serviceToken) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) {
            fail(UploadFailures::invalidToken({url, context.settingsFile}));
            return;
        }
    }
    abortUpload();
    context.url = url;

    auto* body =
        new MultipartBodyDevice(MultipartBody::prefix(name, fileName, contentType, boundary), data,
                                MultipartBody::suffix(boundary));
    body->open(QIODevice::ReadOnly);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      MultipartBody::contentTypeHeader(boundary));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
    // A 301/302/303 would turn the upload into a GET elsewhere and take that page for the link; a
    // 307/308 would send the video to another host. Neither happens: a 3xx is reported.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!serviceToken.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + serviceToken.toLatin1());

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
        abortUpload();
        answer.clear();
        fail(UploadFailures::answerTooLong(context));
        return;
    }
    // The answer coming in is progress too: keep the stall timer from firing.
    stallTimer.start();
}

void HttpUploader::onReplyError(QNetworkReply::NetworkError) {
    // The reply's finished() follows every error; the failure is reported there, once.
}

void HttpUploader::onReplyFinished() {
    if (!reply)
        return;
    stallTimer.stop();
    QNetworkReply* done = reply;
    reply = nullptr;
    done->deleteLater();
    const QVariant statusAttribute = done->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    if (status >= 300) {
        // Error answers are read only as far as a short message goes.
        const QByteArray body = done->read(UploadFailures::MaxServiceTextBytes + 1);
        fail(UploadFailures::forStatus(
            context, status, body, done->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
            done->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl()));
        return;
    }
    if (done->error() != QNetworkReply::NoError) {
        fail(UploadFailures::forNetworkError(context, done->error(), done->errorString()));
        return;
    }
    answer = done->readAll();
    if (answer.size() > MaxAnswerBytes) {
        answer.clear();
        fail(UploadFailures::answerTooLong(context));
        return;
    }
    const ServiceUrls::CheckedAnswer checked = ServiceUrls::checkAnswer(answer);
    if (checked.problem != ServiceUrls::AnswerProblem::None) {
        fail(UploadFailures::forAnswer(context, checked.problem));
        return;
    }
    emit finished(checked.link);
}

void HttpUploader::onStalled() {
    if (!reply)
        return;
    const int seconds = (stallTimer.interval() + 999) / 1000;
    abortUpload();
    answer.clear();
    fail(UploadFailures::stalled(context, seconds));
}
