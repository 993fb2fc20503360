#include "upload/UploadFailure.h"

UploadFailureKind classifyUploadFailure(QNetworkReply::NetworkError error, int httpStatus) {
    if (httpStatus == 408 || httpStatus == 429 || httpStatus >= 500)
        return UploadFailureKind::Transient;
    if (httpStatus >= 400)
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
