#pragma once

#include "upload/UploadFailure.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

// Reading the headers of a resumable-upload service's answers. Every value comes from outside
// and is taken only when it is exactly what the protocol allows. Pure functions, no network.
namespace TusAnswer {

// An Upload-Offset or Upload-Length value: decimal digits only (no sign, no space, no
// exponent), at most `limit`. Anything else, including a number too large for 64 bits, is none.
std::optional<qint64> wholeNumber(const QByteArray& value, qint64 limit);

// Whether `url` is on the same scheme, host and port as `service`: the only place the video's
// bytes may go.
bool sameOrigin(const QUrl& url, const QUrl& service);

// A Location header resolved against the address of the request that got it; invalid (empty)
// when it is no usable address or points away from `service`.
QUrl location(const QByteArray& value, const QUrl& request, const QUrl& service);

// A Clipnest-Delete header: the deletion address when it passes the same checks as a link
// (ServiceUrls::checkAnswer); empty otherwise or when absent.
QUrl deleteAddress(const QByteArray& value);

// A Clipnest-Expires header in RFC 3339 form; invalid when absent or unreadable.
QDateTime expiry(const QByteArray& value);

// The "Upload-Metadata" value for the pairs given: "key base64,key base64".
QByteArray metadata(const QList<QPair<QByteArray, QByteArray>>& pairs);

// "<base>/files/" for the upload address the queue holds ("<base>/upload.php?..."): where the
// service takes resumable uploads. Invalid for an unusable address.
QUrl filesUrl(const QUrl& uploadUrl);
// The service's base address as the protocol memory names it: "scheme://host[:port][/path]",
// without credentials, query or the script's name.
QString serviceKey(const QUrl& uploadUrl);

} // namespace TusAnswer
