#include "upload/ServiceUrls.h"

#include <QStringDecoder>

#include <QUrlQuery>
#include <algorithm>
#include <cstring>

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
        // What the user typed must make an address on its own, not only once a path follows.
        const QUrl base(value, QUrl::StrictMode);
        if (!base.isValid() || base.host().isEmpty())
            return {};
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

// The ASCII characters a URI may hold (RFC 3986: unreserved, reserved and '%'). Anything else,
// such as '"', '<', '>' or '`', ends the link early wherever it is pasted, or lets the rest of
// the answer be read as markup or a command.
bool isUriCharacter(QChar c) {
    if (c.unicode() >= 0x80)
        return false;
    const char ascii = char(c.unicode());
    if ((ascii >= 'a' && ascii <= 'z') || (ascii >= 'A' && ascii <= 'Z') ||
        (ascii >= '0' && ascii <= '9'))
        return true;
    return std::strchr("-._~:/?#[]@!$&'()*+,;=%", ascii) != nullptr && ascii != '\0';
}

bool isHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Each '%' starts an escape of two hex digits.
bool hasOnlyWholeEscapes(const QString& link) {
    for (qsizetype i = 0; i < link.size(); ++i) {
        if (link.at(i) != QLatin1Char('%'))
            continue;
        if (i + 2 >= link.size() || !isHexDigit(link.at(i + 1)) || !isHexDigit(link.at(i + 2)))
            return false;
    }
    return true;
}

bool hasNonAscii(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x80; });
}

// Characters outside ASCII that a link may still carry as an internationalised address
// (letters of a host or a path): no invisible, spacing or broken ones.
AnswerProblem checkBeforeEncoding(const QString& link) {
    for (const QChar c : link) {
        if (isForbiddenInLink(c) || (c.unicode() < 0x80 && !isUriCharacter(c)))
            return AnswerProblem::BadCharacters;
    }
    return AnswerProblem::None;
}

} // namespace

AnswerProblem checkLink(const QString& link) {
    if (link.isEmpty())
        return AnswerProblem::Empty;
    if (!link.startsWith(QLatin1String("http://"), Qt::CaseSensitive) &&
        !link.startsWith(QLatin1String("https://"), Qt::CaseSensitive))
        return AnswerProblem::NotALink;
    for (const QChar c : link) {
        if (!isUriCharacter(c))
            return AnswerProblem::BadCharacters;
    }
    if (!hasOnlyWholeEscapes(link))
        return AnswerProblem::BadCharacters;
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
    // An address with letters beyond ASCII is taken in its encoded form (percent escapes,
    // punycode host), which every program the link is pasted into reads the same way.
    if (hasNonAscii(checked.link)) {
        checked.problem = checkBeforeEncoding(checked.link);
        if (checked.problem != AnswerProblem::None)
            return checked;
        const QUrl url(checked.link, QUrl::StrictMode);
        if (!url.isValid()) {
            checked.problem = AnswerProblem::BadCharacters;
            return checked;
        }
        checked.link = QString::fromLatin1(url.toEncoded());
    }
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
