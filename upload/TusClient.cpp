#include "upload/TusClient.h"
#include "upload/AbandonReply.h"

#include "core/Translate.h"
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"
#include "upload/TusAnswer.h"

#include <QDebug>
#include <QNetworkRequest>

#include <algorithm>
#include <limits>

namespace {

constexpr TranslationContext kTr{"TusClient"};
const QByteArray kVersion = "1.0.0";

QByteArray headerOf(QNetworkReply* reply, const char* name) {
    return reply->rawHeader(name).trimmed();
}

bool listsToken(const QByteArray& list, const QByteArray& token) {
    for (const QByteArray& item : list.split(','))
        if (item.trimmed() == token)
            return true;
    return false;
}

} // namespace

TusClient::TusClient(QObject* parent)
    : QObject(parent) {
    stallTimer_.setSingleShot(true);
    stallTimer_.setInterval(HttpUploader::kDefaultStallTimeoutMs);
    connect(&stallTimer_, &QTimer::timeout, this, [this] {
        const int seconds = (stallTimer_.interval() + 999) / 1000;
        release();
        fail(UploadFailures::stalled(context_, seconds));
    });
    answerDeadline_.setSingleShot(true);
    answerDeadline_.setInterval(HttpUploader::kDefaultAnswerDeadlineMs);
    connect(&answerDeadline_, &QTimer::timeout, this, [this] {
        const int seconds = (answerDeadline_.interval() + 999) / 1000;
        release();
        fail(UploadFailures::answerOverdue(context_, seconds));
    });
}

TusClient::~TusClient() {
    release();
}

void TusClient::setService(const QUrl& uploadUrl) {
    context_.url = uploadUrl;
}

void TusClient::setServiceToken(const QString& token) {
    serviceToken_ = token.trimmed();
}

void TusClient::setSettingsFile(const QString& path) {
    context_.settingsFile = path;
}

void TusClient::setStallTimeout(int milliseconds) {
    stallTimer_.setInterval(std::max(1, milliseconds));
}

void TusClient::setAnswerDeadline(int milliseconds) {
    answerDeadline_.setInterval(std::max(1, milliseconds));
}

void TusClient::abort() {
    release();
}

void TusClient::release() {
    stallTimer_.stop();
    answerDeadline_.stop();
    op_ = Op::None;
    abandonReply(reply_, this);
}

void TusClient::fail(const UploadFailure& failure) {
    qDebug() << "Resumable upload request failed:" << failure.message;
    emit failed(failure);
}

void TusClient::badAnswer(const QString& what) {
    UploadFailure failure;
    failure.kind = UploadFailure::Kind::BadAnswer;
    failure.message = kTr.tr("The upload service at %1 gave an answer the program can not use: "
                             "%2. Ask the service's operator to check it.")
                          .arg(ServiceUrls::displayAddress(context_.url), what);
    fail(failure);
}

QNetworkRequest TusClient::request(const QUrl& url) const {
    QUrl target = url;
    // The setting's user name and password go wherever the service itself is asked.
    target.setUserName(context_.url.userName());
    target.setPassword(context_.url.password());
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    if (!serviceToken_.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + serviceToken_.toLatin1());
    // As for HttpUploader: an inflated answer could grow past the cap before it is counted.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Tus-Resumable", kVersion);
    return request;
}

bool TusClient::begin(Op op, const QUrl& url) {
    release();
    for (const QChar c : serviceToken_) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) {
            fail(UploadFailures::invalidToken(context_));
            return false;
        }
    }
    const QUrl files = TusAnswer::filesUrl(context_.url);
    if (files.isEmpty() || !url.isValid() || !TusAnswer::sameOrigin(url, files)) {
        fail(UploadFailures::invalidAddress(url.isValid() ? url : context_.url));
        return false;
    }
    op_ = op;
    return true;
}

void TusClient::watch(QNetworkReply* reply) {
    reply_ = reply;
    reply_->setReadBufferSize(kMaxAnswerBytes + 1);
    connect(reply_, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64 total) {
        stallTimer_.start();
        if (op_ == Op::Patch)
            emit patchProgress(std::clamp<qint64>(sent, 0, patchSize_));
        if (total > 0 && sent >= total && !answerDeadline_.isActive())
            answerDeadline_.start();
    });
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        if (reply_ && reply_->bytesAvailable() > kMaxAnswerBytes) {
            release();
            fail(UploadFailures::answerTooLong(context_));
            return;
        }
        stallTimer_.start();
    });
    connect(reply_, &QNetworkReply::finished, this, &TusClient::onFinished);
    stallTimer_.start();
    // Requests without a body are all answer from the start.
    if (op_ != Op::Patch || patchSize_ == 0)
        answerDeadline_.start();
}

void TusClient::discover() {
    const QUrl files = TusAnswer::filesUrl(context_.url);
    if (!begin(Op::Discover, files))
        return;
    QNetworkRequest r = request(files);
    watch(manager_.sendCustomRequest(r, "OPTIONS"));
}

void TusClient::create(qint64 length, const QList<QPair<QByteArray, QByteArray>>& metadata) {
    const QUrl files = TusAnswer::filesUrl(context_.url);
    if (!begin(Op::Create, files))
        return;
    QNetworkRequest r = request(files);
    if (length >= 0)
        r.setRawHeader("Upload-Length", QByteArray::number(length));
    else
        r.setRawHeader("Upload-Defer-Length", "1");
    if (!metadata.isEmpty())
        r.setRawHeader("Upload-Metadata", TusAnswer::metadata(metadata));
    r.setHeader(QNetworkRequest::ContentLengthHeader, 0);
    watch(manager_.post(r, QByteArray()));
}

void TusClient::head(const QUrl& location, qint64 known) {
    if (!begin(Op::Head, location))
        return;
    known_ = known;
    watch(manager_.head(request(location)));
}

void TusClient::patch(const QUrl& location, qint64 offset, const QByteArray& data,
                      qint64 declareLength) {
    if (!begin(Op::Patch, location))
        return;
    patchOffset_ = offset;
    patchSize_ = data.size();
    QNetworkRequest r = request(location);
    r.setHeader(QNetworkRequest::ContentTypeHeader, "application/offset+octet-stream");
    r.setRawHeader("Upload-Offset", QByteArray::number(offset));
    if (declareLength >= 0)
        r.setRawHeader("Upload-Length", QByteArray::number(declareLength));
    watch(manager_.sendCustomRequest(r, "PATCH", data));
}

void TusClient::terminate(const QUrl& location) {
    if (!begin(Op::Terminate, location))
        return;
    watch(manager_.deleteResource(request(location)));
}

void TusClient::onFinished() {
    if (!reply_)
        return;
    QNetworkReply* done = reply_;
    reply_ = nullptr;
    stallTimer_.stop();
    answerDeadline_.stop();
    done->deleteLater();
    const QVariant attribute = done->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = attribute.isValid() ? attribute.toInt() : 0;
    const Op op = op_;
    op_ = Op::None;
    // A service without the protocol answers its OPTIONS with "not found" or "not allowed", or
    // with headers that name no version of it: that is an answer, not a failure.
    if (op == Op::Discover && (status == 404 || status == 405 || (status >= 200 && status < 300))) {
        const bool tus = status >= 200 && status < 300 &&
                         listsToken(headerOf(done, "Tus-Version"), kVersion) &&
                         listsToken(headerOf(done, "Tus-Extension"), "creation");
        emit discovered(tus);
        return;
    }
    if (status >= 300 || status == 0 || done->error() != QNetworkReply::NoError) {
        if (status >= 300) {
            const QByteArray body = done->read(UploadFailures::kMaxServiceTextBytes + 1);
            fail(UploadFailures::forStatus(
                context_, status, body,
                done->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
                done->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl()));
        } else {
            fail(UploadFailures::forNetworkError(context_, done->error(), done->errorString()));
        }
        return;
    }
    // The answer's signal may start the next request at once: nothing of this one is touched
    // after it.
    answer(op, done);
}

void TusClient::answer(Op op, QNetworkReply* done) {
    constexpr qint64 kAny = std::numeric_limits<qint64>::max() / 2;
    switch (op) {
    case Op::Create: {
        const QUrl location = TusAnswer::location(headerOf(done, "Location"), done->url(),
                                                  TusAnswer::filesUrl(context_.url));
        if (location.isEmpty())
            return badAnswer(kTr.tr("no upload address on the service's own host"));
        const ServiceUrls::CheckedAnswer link =
            ServiceUrls::checkAnswer(done->rawHeader("Clipnest-Link"));
        if (link.problem != ServiceUrls::AnswerProblem::None)
            return fail(UploadFailures::forAnswer(context_, link.problem));
        TusCreation creation;
        creation.location = location;
        creation.link = link.link;
        creation.deleteUrl = TusAnswer::deleteAddress(done->rawHeader("Clipnest-Delete"));
        creation.expires = TusAnswer::expiry(done->rawHeader("Clipnest-Expires"));
        emit created(creation);
        return;
    }
    case Op::Head: {
        const QByteArray lengthText = headerOf(done, "Upload-Length");
        const auto length = TusAnswer::wholeNumber(lengthText, kAny);
        const bool deferred = headerOf(done, "Upload-Defer-Length") == "1";
        if (!deferred && !length)
            return badAnswer(kTr.tr("no valid upload length"));
        const qint64 limit = std::min(known_, length.value_or(kAny));
        const auto offset = TusAnswer::wholeNumber(headerOf(done, "Upload-Offset"), limit);
        if (!offset)
            return badAnswer(kTr.tr("an upload offset outside the video"));
        emit offsetKnown(*offset, deferred && !length ? -1 : *length);
        return;
    }
    case Op::Patch: {
        const auto offset =
            TusAnswer::wholeNumber(headerOf(done, "Upload-Offset"), patchOffset_ + patchSize_);
        if (!offset || *offset < patchOffset_)
            return badAnswer(kTr.tr("an upload offset outside the bytes sent"));
        emit patched(*offset);
        return;
    }
    case Op::Terminate:
        emit terminated();
        return;
    case Op::Discover:
    case Op::None:
        return;
    }
}
