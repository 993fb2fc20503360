#include "upload/ServiceUrls.h"

#include <QUrlQuery>

namespace ServiceUrls {

QString serviceBase(const QString& serviceHost) {
    QString value = serviceHost.trimmed();
    if (value.isEmpty())
        return {};
    if (value.contains(QLatin1String("://"))) {
        const QUrl base(value, QUrl::StrictMode);
        if (!base.isValid() || base.host().isEmpty())
            return {};
        const QString scheme = base.scheme();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return {};
    } else {
        value = QStringLiteral("http://") + value;
    }
    while (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    return value;
}

QUrl uploadUrl(const QString& serviceHost, int width, int height) {
    const QString base = serviceBase(serviceHost);
    if (base.isEmpty())
        return {};
    return QUrl(
        QStringLiteral("%1/upload.php?width=%2&height=%3").arg(base).arg(width).arg(height));
}

QUrl faqUrl(const QString& serviceHost) {
    const QString base = serviceBase(serviceHost);
    if (base.isEmpty())
        return {};
    return QUrl(base + QStringLiteral("/faq"));
}

bool isAcceptedAnswer(const QString& answer) {
    return !answer.isEmpty() && (answer.startsWith(QLatin1String("http://"), Qt::CaseSensitive) ||
                                 answer.startsWith(QLatin1String("https://"), Qt::CaseSensitive));
}

QString sharedLink(const QString& answer, const QString& languageCode) {
    const QString code = languageCode == QLatin1String("br") ? QStringLiteral("pt") : languageCode;
    return QStringLiteral("%1?lang=%2").arg(answer, code);
}

QUrl sharePageUrl(SocialNetwork network, const QString& link) {
    QString page;
    QString key;
    switch (network) {
    case SocialNetwork::Facebook:
        page = QStringLiteral("https://www.facebook.com/sharer/sharer.php");
        key = QStringLiteral("u");
        break;
    case SocialNetwork::Twitter:
        page = QStringLiteral("https://twitter.com/intent/tweet");
        key = QStringLiteral("url");
        break;
    case SocialNetwork::GooglePlus:
        page = QStringLiteral("https://plus.google.com/share");
        key = QStringLiteral("url");
        break;
    }
    QUrl url(page);
    // Encode the whole link, so its own '?', '&', '=' and '+' stay part of the one value.
    url.setQuery(key + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(link)),
                 QUrl::StrictMode);
    return url;
}

} // namespace ServiceUrls
