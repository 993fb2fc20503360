#include "upload/TusAnswer.h"

#include "upload/ServiceUrls.h"

namespace TusAnswer {

std::optional<qint64> wholeNumber(const QByteArray& value, qint64 limit) {
    // 18 digits always fit in 64 bits; longer is no length any service holds.
    if (value.isEmpty() || value.size() > 18)
        return std::nullopt;
    qint64 n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > limit)
        return std::nullopt;
    return n;
}

bool sameOrigin(const QUrl& url, const QUrl& service) {
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == QLatin1String("https") ? 443 : 80;
    return url.isValid() && scheme == service.scheme().toLower() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           url.host().toLower() == service.host().toLower() &&
           url.port(defaultPort) == service.port(defaultPort);
}

QUrl location(const QByteArray& value, const QUrl& request, const QUrl& service) {
    const QByteArray trimmed = value.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > ServiceUrls::kMaxLinkBytes)
        return {};
    const QUrl reference(QString::fromLatin1(trimmed), QUrl::StrictMode);
    if (!reference.isValid())
        return {};
    QUrl resolved = request.resolved(reference);
    // The service's password, if the setting holds one, is never stored with the upload.
    resolved.setUserInfo(QString());
    resolved.setFragment(QString());
    if (!sameOrigin(resolved, service))
        return {};
    return resolved;
}

QUrl deleteAddress(const QByteArray& value) {
    if (value.trimmed().isEmpty())
        return {};
    const ServiceUrls::CheckedAnswer checked = ServiceUrls::checkAnswer(value);
    if (checked.problem != ServiceUrls::AnswerProblem::None)
        return {};
    return QUrl(checked.link, QUrl::StrictMode);
}

QDateTime expiry(const QByteArray& value) {
    const QByteArray trimmed = value.trimmed();
    // RFC 3339 dates are ASCII and short; anything else is not one.
    if (trimmed.isEmpty() || trimmed.size() > 40)
        return {};
    const QDateTime t = QDateTime::fromString(QString::fromLatin1(trimmed), Qt::ISODateWithMs);
    // Without a zone the moment is unknown.
    if (!t.isValid() || t.timeSpec() == Qt::LocalTime)
        return {};
    return t.toUTC();
}

QByteArray metadata(const QList<QPair<QByteArray, QByteArray>>& pairs) {
    QByteArray out;
    for (const auto& [key, value] : pairs) {
        if (!out.isEmpty())
            out += ',';
        out += key + ' ' + value.toBase64();
    }
    return out;
}

namespace {
QUrl baseOf(const QUrl& uploadUrl) {
    if (!uploadUrl.isValid() || uploadUrl.isRelative() || uploadUrl.host().isEmpty())
        return {};
    QUrl base = uploadUrl;
    base.setQuery(QString());
    base.setFragment(QString());
    QString path = base.path();
    path.truncate(path.lastIndexOf(QLatin1Char('/')) + 1);
    base.setPath(path.isEmpty() ? QStringLiteral("/") : path);
    return base;
}
} // namespace

QUrl filesUrl(const QUrl& uploadUrl) {
    QUrl base = baseOf(uploadUrl);
    if (base.isEmpty())
        return {};
    base.setPath(base.path() + QStringLiteral("files/"));
    return base;
}

QString serviceKey(const QUrl& uploadUrl) {
    const QUrl base = baseOf(uploadUrl);
    if (base.isEmpty())
        return {};
    return base.adjusted(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash).toString();
}

} // namespace TusAnswer
