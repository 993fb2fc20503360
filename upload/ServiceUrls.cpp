#include "upload/ServiceUrls.h"

#include <QStringDecoder>
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

namespace {

// Characters a link never holds: pasted into a terminal or a chat they would end the link or run
// what follows (line breaks), ring or redraw (controls), or show the text in another order than
// it is (bidirectional and other invisible format characters).
bool isForbiddenInLink(QChar c) {
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return c.isSpace() || c.isSurrogate() || c.isNonCharacter() ||
               c == QChar::ReplacementCharacter;
    }
}

} // namespace

AnswerProblem checkLink(const QString& link) {
    if (link.isEmpty())
        return AnswerProblem::Empty;
    if (!link.startsWith(QLatin1String("http://"), Qt::CaseSensitive) &&
        !link.startsWith(QLatin1String("https://"), Qt::CaseSensitive))
        return AnswerProblem::NotALink;
    for (const QChar c : link) {
        if (isForbiddenInLink(c))
            return AnswerProblem::BadCharacters;
    }
    if (link.toUtf8().size() > kMaxLinkBytes)
        return AnswerProblem::TooLong;
    if (QUrl(link, QUrl::TolerantMode).host().isEmpty())
        return AnswerProblem::NoHost;
    return AnswerProblem::None;
}

CheckedAnswer checkAnswer(const QByteArray& body) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (utf8.hasError())
        text = QString::fromLatin1(body);
    CheckedAnswer checked;
    checked.link = text.trimmed();
    checked.problem = checkLink(checked.link);
    return checked;
}

bool isAcceptedAnswer(const QString& answer) {
    return checkLink(answer) == AnswerProblem::None;
}

QString displayAddress(const QUrl& url) {
    return url
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toString();
}

QString withoutCredentials(const QUrl& url) {
    return url.adjusted(QUrl::RemoveUserInfo).toString();
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
    case SocialNetwork::Reddit:
        page = QStringLiteral("https://www.reddit.com/submit");
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
