#include "upload/ConnectionCheck.h"

#include "core/Translate.h"
#include "upload/ServiceUrls.h"
#include "upload/UploadFailure.h"

#include <QNetworkRequest>
#include <QTimer>

namespace {

constexpr TranslationContext kTr{"ConnectionCheck"};
using Kind = ConnectionVerdict::Kind;

// Any size the service takes: the probe carries no video, only the address an upload uses.
constexpr int kProbeSide = 16;

ConnectionVerdict make(Kind kind, const QString& message, int status = 0) {
    ConnectionVerdict verdict;
    verdict.kind = kind;
    verdict.message = message;
    verdict.httpStatus = status;
    return verdict;
}

// " It said: <text>" when the service gave a short plain text, for messages that go on.
QString saying(const QByteArray& body, const QByteArray& contentType) {
    const QString text = UploadFailures::serviceText(body, contentType);
    return text.isEmpty() ? QString() : QLatin1Char(' ') + kTr.tr("It answered: %1").arg(text);
}

bool usableToken(const QString& token) {
    // As the uploader: visible ASCII only, or the header line would break.
    for (const QChar c : token) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

} // namespace

namespace ConnectionVerdicts {

ConnectionVerdict forAnswer(const QUrl& url, int status, const QByteArray& body,
                            const QByteArray& contentType, bool tokenSent) {
    const QString where = ServiceUrls::displayAddress(url);
    const QString said = saying(body, contentType);
    if (status >= 200 && status < 300) {
        // An upload service never answers an upload without a video with success; a link
        // would mean it took nothing for a video, anything else is a page of some other site.
        if (ServiceUrls::checkAnswer(body).problem == ServiceUrls::AnswerProblem::None)
            return make(Kind::Accepts, kTr.tr("%1 is reachable and accepts uploads.").arg(where),
                        status);
        return make(Kind::NotAService,
                    kTr.tr("%1 answers, but it is not an upload service.").arg(where) + said,
                    status);
    }
    switch (status) {
    case 400:
    case 411:
    case 413:
    case 415:
    case 422:
        // The service let the request through to the point of looking for the video: the
        // address is its upload address and the token (or none) is good.
        return make(Kind::Accepts, kTr.tr("%1 is reachable and accepts uploads.").arg(where),
                    status);
    case 401:
        return tokenSent
                   ? make(Kind::TokenRefused, kTr.tr("%1 refused the token.").arg(where) + said,
                          status)
                   : make(Kind::NeedsToken, kTr.tr("%1 needs a token.").arg(where) + said, status);
    case 404:
    case 405:
    case 501:
        return make(Kind::NotAService,
                    kTr.tr("%1 answers, but it is not an upload service (status %2).")
                            .arg(where)
                            .arg(status) +
                        said,
                    status);
    default:
        break;
    }
    if (status >= 300 && status < 400)
        return make(Kind::Refused,
                    kTr.tr("%1 points to another address (status %2): put the service's own "
                           "address here.")
                        .arg(where)
                        .arg(status),
                    status);
    const UploadFailureKind retry = classifyUploadFailure(QNetworkReply::NoError, status);
    if (retry == UploadFailureKind::Transient)
        return make(
            Kind::Troubled,
            kTr.tr("%1 is reachable but has a problem now (status %2).").arg(where).arg(status) +
                said,
            status);
    return make(Kind::Refused,
                kTr.tr("%1 refused the upload (status %2).").arg(where).arg(status) + said, status);
}

ConnectionVerdict forNetworkError(const QUrl& url, QNetworkReply::NetworkError code,
                                  const QString& errorString) {
    QString reason = errorString;
    // Qt's text may quote the address, and with it a password the address carries.
    const QString password = url.password(QUrl::FullyDecoded);
    if (!password.isEmpty())
        reason.replace(password, QStringLiteral("****"));
    if (code == QNetworkReply::OperationCanceledError || code == QNetworkReply::TimeoutError)
        reason = kTr.tr("no answer within %1 seconds").arg(ConnectionCheck::kTimeoutMs / 1000);
    return make(Kind::CannotConnect,
                kTr.tr("Cannot connect to %1: %2").arg(ServiceUrls::displayAddress(url), reason));
}

ConnectionVerdict forSettings(const QString& serviceHost, const QString& token) {
    const QString host = serviceHost.trimmed();
    const QUrl url = ServiceUrls::uploadUrl(host, kProbeSide, kProbeSide);
    if (host.isEmpty() || !url.isValid() || url.isEmpty())
        return make(Kind::BadSettings,
                    kTr.tr("\"%1\" is no service address: write host:port, or an http:// or "
                           "https:// address.")
                        .arg(host));
    if (!usableToken(token.trimmed()))
        return make(Kind::BadSettings,
                    kTr.tr("A token has only letters, digits and visible punctuation, without "
                           "spaces."));
    ConnectionVerdict usable = make(Kind::Accepts, QString());
    return usable;
}

} // namespace ConnectionVerdicts

ConnectionCheck::ConnectionCheck(QObject* parent)
    : QObject(parent) {
    qRegisterMetaType<ConnectionVerdict>();
}

ConnectionCheck::~ConnectionCheck() {
    cancel();
}

void ConnectionCheck::cancel() {
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void ConnectionCheck::start(const QString& serviceHost, const QString& token) {
    cancel();
    const ConnectionVerdict settings = ConnectionVerdicts::forSettings(serviceHost, token);
    if (!settings.message.isEmpty()) {
        // Reported from the event loop like every other outcome.
        QTimer::singleShot(0, this, [this, settings] { emit finished(settings); });
        return;
    }
    url_ = ServiceUrls::uploadUrl(serviceHost.trimmed(), kProbeSide, kProbeSide);
    const QString trimmedToken = token.trimmed();
    tokenSent_ = !trimmedToken.isEmpty();

    QNetworkRequest request(url_);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/plain"));
    request.setHeader(QNetworkRequest::ContentLengthHeader, 0);
    // A redirection is reported, not followed: an upload would not follow it either.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kTimeoutMs);
    if (tokenSent_)
        request.setRawHeader("Authorization", "Bearer " + trimmedToken.toLatin1());
    reply_ = manager_.post(request, QByteArray());
    connect(reply_, &QNetworkReply::finished, this, &ConnectionCheck::onFinished);
}

void ConnectionCheck::onFinished() {
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    reply_ = nullptr;
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    ConnectionVerdict verdict;
    if (status.isValid() && status.toInt() > 0) {
        // Only the start of the answer matters: a short text or the sign of a page.
        const QByteArray body = reply->read(UploadFailures::kMaxServiceTextBytes + 1);
        verdict = ConnectionVerdicts::forAnswer(
            url_, status.toInt(), body,
            reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), tokenSent_);
    } else {
        verdict = ConnectionVerdicts::forNetworkError(url_, reply->error(), reply->errorString());
    }
    emit finished(verdict);
}
