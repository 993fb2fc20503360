#pragma once

#include <QMetaType>
#include <QNetworkReply>

// Whether trying the same upload again later can succeed.
enum class UploadFailureKind {
    Transient, // the service was unreachable, overloaded or slow: try again later
    Permanent  // the service refused this upload or answered nonsense: trying again is futile
};
Q_DECLARE_METATYPE(UploadFailureKind)

// Classifies a failed upload from the network error and the HTTP status of the answer (0 when
// none arrived). 5xx, 408 and 429 and failures to reach or hear from the service are
// transient; any other 4xx, and a reply without an error (its answer was not acceptable), are
// permanent.
UploadFailureKind classifyUploadFailure(QNetworkReply::NetworkError error, int httpStatus);
