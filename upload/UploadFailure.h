#pragma once

#include "upload/ServiceUrls.h"

#include <QByteArray>
#include <QMetaType>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

// Whether trying the same upload again later can succeed.
enum class UploadFailureKind {
    Transient, // the service was unreachable, overloaded or slow: try again later
    Permanent  // the service refused this upload or answered nonsense: trying again is futile
};
Q_DECLARE_METATYPE(UploadFailureKind)

// Classifies a failed upload from the network error and the HTTP status of the answer (0 when
// none arrived). 5xx, 408 and 429 and failures to reach or hear from the service are
// transient; any other 4xx or 3xx, and a reply without an error (its answer was not
// acceptable), are permanent.
UploadFailureKind classifyUploadFailure(QNetworkReply::NetworkError error, int httpStatus);

// Why an upload failed, in a form both the user (message) and a retry queue (kind, transient)
// can use. Built by the pure functions below, which HttpUploader calls; tests call them directly.
struct UploadFailure {
    enum class Kind {
        // Worth trying again later: the service or the way to it may come back.
        Refused,         // nothing listens at the address
        Unreachable,     // host unknown, network down, connection dropped
        Timeout,         // the connection or the answer took too long
        Stalled,         // no progress for the stall timeout
        ServerError,     // 5xx
        TooManyRequests, // 429
        RequestTimeout,  // 408
        // Trying again unchanged gives the same result: the user or the service's operator has
        // to change something first.
        Rejected,    // any other 4xx
        BadAnswer,   // 200, but not an acceptable link
        Redirected,  // 3xx: the service points elsewhere
        BadSettings, // the "Service host" or "Service token" setting is unusable
        NoData,      // nothing to upload
        Secure,      // the TLS connection failed (certificate, protocol)
        Other,       // anything else the network layer reports
    };

    Kind kind = Kind::Other;
    int httpStatus = 0;  // the answer's status code, 0 when there was none
    QString message;     // readable, translated, meant to be shown as plain text
    QUrl redirectTarget; // for Redirected: where the service pointed (resolved, no credentials)
    // The network layer's error; NoError when the request itself went through (an error status,
    // a redirection, an unacceptable answer) or never started (bad settings, no data).
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;

    // Whether an automatic retry later may succeed.
    bool isTransient() const;
};
Q_DECLARE_METATYPE(UploadFailure)

// Where the failing upload went, for the messages.
struct UploadContext {
    QUrl url;             // the upload address (may carry credentials; they are never shown)
    QString settingsFile; // the settings file that holds "Service host"; empty: not named
};

namespace UploadFailures {

// At most this many characters of a service's own error text are shown: enough for a sentence
// or two, not enough to turn a message box into a page.
constexpr int kMaxServiceTextChars = 300;
// A plain-text error body longer than this is no short message meant for a person.
constexpr int kMaxServiceTextBytes = 4096;

// The service's own explanation from an error answer: the body when it is short plain text,
// decoded, its line breaks and control characters made spaces, trimmed and cut to
// kMaxServiceTextChars. Empty when there is none worth showing (HTML, binary, too long, empty).
QString serviceText(const QByteArray& body, const QByteArray& contentType);

// An answer with an HTTP status of 300 or more.
UploadFailure forStatus(const UploadContext& context, int status, const QByteArray& body,
                        const QByteArray& contentType, const QUrl& location);
// A failure of the network layer before any usable answer.
UploadFailure forNetworkError(const UploadContext& context, QNetworkReply::NetworkError code,
                              const QString& errorString);
// A 200 answer that is no acceptable link.
UploadFailure forAnswer(const UploadContext& context, ServiceUrls::AnswerProblem problem);
UploadFailure stalled(const UploadContext& context, int seconds);
UploadFailure answerTooLong(const UploadContext& context);
// The service took the whole video but did not finish its answer within `seconds`.
UploadFailure answerOverdue(const UploadContext& context, int seconds);
UploadFailure invalidAddress(const QUrl& url);
UploadFailure invalidToken(const UploadContext& context);
UploadFailure noData();

} // namespace UploadFailures
