#include "upload/HttpUploader.h"
#include "upload/AbandonReply.h"

#include "upload/MultipartBody.h"
#include "upload/TusAnswer.h"

#include <QDebug>
#include <QNetworkRequest>

#include <algorithm>

HttpUploader::HttpUploader(QObject* parent)
    : QObject(parent) {
    stallTimer_.setSingleShot(true);
    stallTimer_.setInterval(kDefaultStallTimeoutMs);
    connect(&stallTimer_, &QTimer::timeout, this, &HttpUploader::onStalled);
    answerDeadline_.setSingleShot(true);
    answerDeadline_.setInterval(kDefaultAnswerDeadlineMs);
    connect(&answerDeadline_, &QTimer::timeout, this, &HttpUploader::onAnswerOverdue);
}

HttpUploader::~HttpUploader() {
    abortUpload();
}

void HttpUploader::setStallTimeout(int milliseconds) {
    stallTimer_.setInterval(std::max(1, milliseconds));
}

int HttpUploader::stallTimeout() const {
    return stallTimer_.interval();
}

void HttpUploader::setAnswerDeadline(int milliseconds) {
    answerDeadline_.setInterval(std::max(1, milliseconds));
}

void HttpUploader::setServiceToken(const QString& token) {
    serviceToken_ = token.trimmed();
}

void HttpUploader::setSettingsFile(const QString& path) {
    context_.settingsFile = path;
}

void HttpUploader::fail(const UploadFailure& failure) {
    qDebug() << "Upload failed:" << failure.message;
    failureError_ = failure.networkError;
    failureStatus_ = failure.httpStatus;
    emit failed(failure);
    emit error(failure.message);
}

void HttpUploader::upload(const QUrl& url, const QByteArray& data, const QString& name,
                          const QString& fileName, const QString& contentType,
                          const QString& boundary) {
    qDebug() << "Try upload to:" << ServiceUrls::withoutCredentials(url);
    answer_.clear();
    failureError_ = QNetworkReply::NoError;
    failureStatus_ = 0;
    deleteUrl_ = QUrl();
    expires_ = QDateTime();
    if (!url.isValid() || url.isEmpty()) {
        fail(UploadFailures::invalidAddress(url));
        return;
    }
    if (data.isEmpty()) {
        fail(UploadFailures::noData());
        return;
    }
    // Visible ASCII only: anything else could end the header line or would be mangled on the way.
    for (const QChar c : serviceToken_) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) {
            fail(UploadFailures::invalidToken({url, context_.settingsFile}));
            return;
        }
    }
    abortUpload();
    context_.url = url;

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
    if (!serviceToken_.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + serviceToken_.toLatin1());
    // Asked for by name, the answer arrives as sent: left to itself the network module would
    // ask for gzip and inflate the answer before any byte of it is counted against
    // kMaxAnswerBytes, so a small endless compressed answer could fill memory.
    request.setRawHeader("Accept-Encoding", "identity");

    reply_ = manager_.post(request, body);
    // Nothing beyond the longest answer taken is ever held, whatever the server sends; one byte
    // more tells a too long answer from one of exactly the longest length.
    reply_->setReadBufferSize(kMaxAnswerBytes + 1);
    // The body must live as long as the request that reads it.
    body->setParent(reply_);

    lastPercent_ = -1;
    connect(reply_, &QNetworkReply::uploadProgress, this, &HttpUploader::onUploadProgress);
    connect(reply_, &QNetworkReply::readyRead, this, &HttpUploader::onAnswerData);
    connect(reply_, &QNetworkReply::finished, this, &HttpUploader::onReplyFinished);
    connect(reply_, &QNetworkReply::errorOccurred, this, &HttpUploader::onReplyError);
    stallTimer_.start();
}

void HttpUploader::abortUpload() {
    stallTimer_.stop();
    answerDeadline_.stop();
    abandonReply(reply_, this);
}

void HttpUploader::onUploadProgress(qint64 bytesSent, qint64 bytesTotal) {
    if (!reply_)
        return;
    stallTimer_.start();
    // An unknown or empty total gives no meaningful percentage: say nothing rather than guess.
    if (bytesTotal <= 0)
        return;
    if (bytesSent >= bytesTotal && !answerDeadline_.isActive())
        answerDeadline_.start();
    const double percent = double(bytesSent) * 100.0 / double(bytesTotal);
    const int whole = std::clamp(int(percent), 0, 100);
    // The network module reports every few kilobytes; the percentage changes far less often.
    if (whole == lastPercent_)
        return;
    lastPercent_ = whole;
    emit progressChanged(double(whole));
}

void HttpUploader::onAnswerData() {
    if (!reply_)
        return;
    if (reply_->bytesAvailable() > kMaxAnswerBytes) {
        abortUpload();
        answer_.clear();
        fail(UploadFailures::answerTooLong(context_));
        return;
    }
    // The answer coming in is progress too: keep the stall timer from firing.
    stallTimer_.start();
}

void HttpUploader::onReplyError(QNetworkReply::NetworkError) {
    // The reply's finished() follows every error; the failure is reported there, once.
}

void HttpUploader::onReplyFinished() {
    if (!reply_)
        return;
    stallTimer_.stop();
    answerDeadline_.stop();
    QNetworkReply* done = reply_;
    reply_ = nullptr;
    done->deleteLater();
    const QVariant statusAttribute = done->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    if (status >= 300) {
        // Error answers are read only as far as a short message goes.
        const QByteArray body = done->read(UploadFailures::kMaxServiceTextBytes + 1);
        fail(UploadFailures::forStatus(
            context_, status, body, done->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
            done->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl()));
        return;
    }
    if (done->error() != QNetworkReply::NoError) {
        fail(UploadFailures::forNetworkError(context_, done->error(), done->errorString()));
        return;
    }
    answer_ = done->readAll();
    if (answer_.size() > kMaxAnswerBytes) {
        answer_.clear();
        fail(UploadFailures::answerTooLong(context_));
        return;
    }
    const ServiceUrls::CheckedAnswer checked = ServiceUrls::checkAnswer(answer_);
    if (checked.problem != ServiceUrls::AnswerProblem::None) {
        fail(UploadFailures::forAnswer(context_, checked.problem));
        return;
    }
    deleteUrl_ = TusAnswer::deleteAddress(done->rawHeader("Clipnest-Delete"));
    expires_ = TusAnswer::expiry(done->rawHeader("Clipnest-Expires"));
    emit finished(checked.link);
}

void HttpUploader::onStalled() {
    if (!reply_)
        return;
    const int seconds = (stallTimer_.interval() + 999) / 1000;
    abortUpload();
    answer_.clear();
    fail(UploadFailures::stalled(context_, seconds));
}

void HttpUploader::onAnswerOverdue() {
    if (!reply_)
        return;
    const int seconds = (answerDeadline_.interval() + 999) / 1000;
    abortUpload();
    answer_.clear();
    fail(UploadFailures::answerOverdue(context_, seconds));
}
