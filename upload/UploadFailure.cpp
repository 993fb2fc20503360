#include "upload/UploadFailure.h"

#include "core/SystemError.h"
#include "core/Translate.h"

#include <QStringDecoder>

namespace {

constexpr TranslationContext kTr{"HttpUploader"};

using Kind = UploadFailure::Kind;

UploadFailure make(Kind kind, const QString& message, int status = 0) {
    UploadFailure failure;
    failure.kind = kind;
    failure.message = message;
    failure.httpStatus = status;
    return failure;
}

QString where(const UploadContext& context) {
    return ServiceUrls::displayAddress(context.url);
}

QString settingsFile(const UploadContext& context) {
    return context.settingsFile.isEmpty() ? kTr.tr("the program's settings") : context.settingsFile;
}

// Qt's own error texts may quote the address, and with it a password from "Service host".
QString scrubbed(QString text, const QUrl& url) {
    const QString password = url.password(QUrl::FullyDecoded);
    if (!password.isEmpty())
        text.replace(password, QStringLiteral("****"));
    const QString encoded = url.password(QUrl::FullyEncoded);
    if (!encoded.isEmpty())
        text.replace(encoded, QStringLiteral("****"));
    return text;
}

} // namespace

UploadFailureKind classifyUploadFailure(QNetworkReply::NetworkError error, int httpStatus) {
    if (httpStatus == 408 || httpStatus == 429 || httpStatus >= 500)
        return UploadFailureKind::Transient;
    if (httpStatus >= 300)
        return UploadFailureKind::Permanent;
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownProxyError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
    case QNetworkReply::ProtocolFailure:
        return UploadFailureKind::Transient;
    default:
        return UploadFailureKind::Permanent;
    }
}

bool UploadFailure::isTransient() const {
    // One rule for both: the retry queue may classify from the uploader's last error alone.
    return classifyUploadFailure(networkError, httpStatus) == UploadFailureKind::Transient;
}

namespace UploadFailures {

QString serviceText(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    if (!type.isEmpty() && type != "text/plain")
        return {};
    if (body.size() > kMaxServiceTextBytes)
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (utf8.hasError())
        text = QString::fromLatin1(body);
    for (QChar& c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    }
    text = text.simplified();
    if (text.size() > kMaxServiceTextChars)
        text = text.left(kMaxServiceTextChars - 1).trimmed() + QChar(0x2026);
    return text;
}

UploadFailure forStatus(const UploadContext& context, int status, const QByteArray& body,
                        const QByteArray& contentType, const QUrl& location) {
    if (status >= 300 && status < 400) {
        UploadFailure failure;
        failure.kind = Kind::Redirected;
        failure.httpStatus = status;
        if (location.isValid() && !location.isEmpty()) {
            failure.redirectTarget = context.url.resolved(location).adjusted(QUrl::RemoveUserInfo);
            // Encoded as sent: decoded, an invisible direction mark or a line break in the
            // address would reorder or split the message around it.
            QString target = QString::fromLatin1(failure.redirectTarget.toEncoded());
            if (target.size() > kMaxServiceTextChars)
                target = target.left(kMaxServiceTextChars - 1) + QChar(0x2026);
            failure.message =
                kTr.tr("The upload service at %1 points to another address: %2. Uploads are not "
                       "sent on; if that is the right service, put its address in the \"Service "
                       "host\" setting in %3.")
                    .arg(where(context), target, settingsFile(context));
        } else {
            failure.message = kTr.tr("The upload service at %1 points to another address "
                                     "without naming it (status %2). Check the \"Service host\" "
                                     "setting in %3.")
                                  .arg(where(context))
                                  .arg(status)
                                  .arg(settingsFile(context));
        }
        return failure;
    }
    Kind kind = Kind::Rejected;
    if (status >= 500)
        kind = Kind::ServerError;
    else if (status == 429)
        kind = Kind::TooManyRequests;
    else if (status == 408)
        kind = Kind::RequestTimeout;
    const QString text = serviceText(body, contentType);
    if (!text.isEmpty())
        return make(kind, kTr.tr("The upload service at %1 answered: %2").arg(where(context), text),
                    status);
    switch (kind) {
    case Kind::ServerError:
        return make(kind,
                    kTr.tr("The upload service at %1 has a problem (status %2). Please try again "
                           "later.")
                        .arg(where(context))
                        .arg(status),
                    status);
    case Kind::TooManyRequests:
        return make(
            kind,
            kTr.tr("The upload service at %1 is busy. Please try again later.").arg(where(context)),
            status);
    case Kind::RequestTimeout:
        return make(kind,
                    kTr.tr("The upload service at %1 gave up waiting for the video. Please try "
                           "again later.")
                        .arg(where(context)),
                    status);
    default:
        break;
    }
    if (status == 401)
        return make(kind,
                    kTr.tr("The upload service at %1 wants an access token. Put it in the "
                           "\"Service token\" setting in %2.")
                        .arg(where(context), settingsFile(context)),
                    status);
    return make(kind,
                kTr.tr("The upload service at %1 refused the video (status %2).")
                    .arg(where(context))
                    .arg(status),
                status);
}

namespace {

// Qt's words for a failed request name the request's fault (in English unless Qt's catalogue
// has them), so ours come first and Qt's follow as a detail.
QString networkReason(QNetworkReply::NetworkError code, const QString& errorString,
                      const QUrl& url) {
    QString ours;
    switch (code) {
    case QNetworkReply::SslHandshakeFailedError:
        ours = kTr.tr("the service's certificate or encryption was not accepted");
        break;
    case QNetworkReply::OperationCanceledError:
        ours = kTr.tr("the upload was cancelled");
        break;
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::AuthenticationRequiredError:
        ours = kTr.tr("access was denied");
        break;
    case QNetworkReply::ContentNotFoundError:
        ours = kTr.tr("the address is not on the service");
        break;
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::ProtocolFailure:
        ours = kTr.tr("the service's answer could not be understood");
        break;
    default:
        ours = kTr.tr("the network reported a failure");
        break;
    }
    return SystemError::withDetail(ours, scrubbed(errorString, url));
}

UploadFailure describeNetworkError(const UploadContext& context, QNetworkReply::NetworkError code,
                                   const QString& errorString) {
    switch (code) {
    case QNetworkReply::ConnectionRefusedError:
        return make(Kind::Refused,
                    kTr.tr("The upload service at %1 does not answer. Is it running? The address "
                           "is the \"Service host\" setting in %2.")
                        .arg(where(context), settingsFile(context)));
    case QNetworkReply::HostNotFoundError:
        return make(Kind::Unreachable,
                    kTr.tr("The host of the upload service at %1 is not known. Check the network "
                           "connection and the \"Service host\" setting in %2.")
                        .arg(where(context), settingsFile(context)));
    case QNetworkReply::RemoteHostClosedError:
        return make(Kind::Unreachable,
                    kTr.tr("The upload service at %1 closed the connection before it answered. "
                           "Please try again later.")
                        .arg(where(context)));
    case QNetworkReply::TimeoutError:
        return make(Kind::Timeout, kTr.tr("The upload service at %1 took too long to answer. "
                                          "Please try again later.")
                                       .arg(where(context)));
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return make(Kind::Unreachable,
                    kTr.tr("The upload service at %1 cannot be reached. Check the network "
                           "connection and try again later.")
                        .arg(where(context)));
    case QNetworkReply::SslHandshakeFailedError:
        return make(Kind::Secure,
                    kTr.tr("The secure connection to the upload service at %1 failed: %2")
                        .arg(where(context), networkReason(code, errorString, context.url)));
    default:
        return make(Kind::Other,
                    kTr.tr("The upload to %1 failed: %2")
                        .arg(where(context), networkReason(code, errorString, context.url)));
    }
}

} // namespace

UploadFailure forNetworkError(const UploadContext& context, QNetworkReply::NetworkError code,
                              const QString& errorString) {
    UploadFailure failure = describeNetworkError(context, code, errorString);
    failure.networkError = code;
    return failure;
}

UploadFailure forAnswer(const UploadContext& context, ServiceUrls::AnswerProblem problem) {
    using ServiceUrls::AnswerProblem;
    QString message;
    switch (problem) {
    case AnswerProblem::None:
        break;
    case AnswerProblem::Empty:
        message = kTr.tr("The upload service at %1 answered without a link.");
        break;
    case AnswerProblem::NotALink:
        message = kTr.tr("The upload service at %1 answered with something that is not a link.");
        break;
    case AnswerProblem::BadCharacters:
        message = kTr.tr("The upload service at %1 answered with a link that has characters no "
                         "link holds (such as spaces, quotes or angle brackets); it was not used.");
        break;
    case AnswerProblem::TooLong:
        return make(Kind::BadAnswer,
                    kTr.tr("The upload service at %1 answered with a link longer than %2 bytes; "
                           "it was not used.")
                        .arg(where(context))
                        .arg(ServiceUrls::kMaxLinkBytes),
                    200);
    case AnswerProblem::NoHost:
        message = kTr.tr("The upload service at %1 answered with a link without a host name; "
                         "it was not used.");
        break;
    }
    return make(Kind::BadAnswer, message.arg(where(context)), 200);
}

UploadFailure stalled(const UploadContext& context, int seconds) {
    UploadFailure failure = make(Kind::Stalled, kTr.tr("The upload service at %1 stopped "
                                                       "answering for %2 seconds. Please try "
                                                       "again later.")
                                                    .arg(where(context))
                                                    .arg(seconds));
    failure.networkError = QNetworkReply::TimeoutError;
    return failure;
}

UploadFailure answerOverdue(const UploadContext& context, int seconds) {
    UploadFailure failure =
        make(Kind::Stalled, kTr.tr("The upload service at %1 took the video but did not finish "
                                   "its answer within %2 seconds. Please try again later.")
                                .arg(where(context))
                                .arg(seconds));
    failure.networkError = QNetworkReply::TimeoutError;
    return failure;
}

UploadFailure answerTooLong(const UploadContext& context) {
    return make(Kind::BadAnswer,
                kTr.tr("The upload service at %1 sent an answer too long to be a link.")
                    .arg(where(context)),
                200);
}

UploadFailure invalidAddress(const QUrl& url) {
    return make(Kind::BadSettings,
                kTr.tr("The upload address \"%1\" is not usable. Check the \"Service host\" "
                       "setting.")
                    .arg(ServiceUrls::withoutCredentials(url)));
}

UploadFailure invalidToken(const UploadContext& context) {
    return make(Kind::BadSettings,
                kTr.tr("The \"Service token\" setting in %1 holds characters a token cannot "
                       "have: only letters, digits and visible punctuation, without spaces.")
                    .arg(settingsFile(context)));
}

UploadFailure noData() {
    return make(Kind::NoData, kTr.tr("There is no video to upload."));
}

} // namespace UploadFailures
