#pragma once

#include "upload/SocialNetwork.h"

#include <QString>
#include <QUrl>

// Addresses the program talks to: the upload service (from the "Service host" setting) and the
// share pages of the social networks. Pure functions, no network.
namespace ServiceUrls {

// The service's base address without a trailing slash, from the setting's value: a plain
// host[:port] becomes "http://host[:port]"; a value with an http or https scheme
// ("https://videos.example.org", "https://example.org/sub/") is used as given. Empty for an empty
// value or any other scheme.
QString serviceBase(const QString& serviceHost);

// "<base>/upload.php?width=<w>&height=<h>"; an invalid (empty) URL when the host is unusable.
QUrl uploadUrl(const QString& serviceHost, int width, int height);

// "<base>/faq"; an invalid (empty) URL when the host is unusable.
QUrl faqUrl(const QString& serviceHost);

// Why an answer is not taken as a link.
enum class AnswerProblem {
    None,
    Empty,
    NotALink,      // does not start with "http://" or "https://" (case-sensitive)
    BadCharacters, // a character no URI holds (white space, a control, a quote, '<', '>'...)
    TooLong,       // more than kMaxLinkBytes
    NoHost,
};

// A link longer than this is no link a service hands out: it would only carry something else
// to the clipboard and the history.
constexpr int kMaxLinkBytes = 2048;

// What a link as it stands (nothing trimmed) is wrong with.
AnswerProblem checkLink(const QString& link);

// The service's answer taken apart: the body decoded (UTF-8 when it is valid UTF-8, otherwise
// Latin-1), surrounding white space such as a trailing line break trimmed, letters beyond ASCII
// encoded as a URI carries them, then checked.
struct CheckedAnswer {
    QString link; // the trimmed answer, whether accepted or not
    AnswerProblem problem = AnswerProblem::None;
};
CheckedAnswer checkAnswer(const QByteArray& body);

// Whether `answer` is, as it stands, a link the program takes: checkLink() finds nothing.
bool isAcceptedAnswer(const QString& answer);

// "scheme://host[:port]" of `url`: how messages name a service, never with a user name or
// password the "Service host" setting may carry.
QString displayAddress(const QUrl& url);

// `url` without its user name and password, for log lines and messages.
QString withoutCredentials(const QUrl& url);

// The link handed to a share page: "<answer>?lang=<code>", with "br" sent as "pt".
QString sharedLink(const QString& answer, const QString& languageCode);

// The share page of `network` with `link` as its single query item.
QUrl sharePageUrl(SocialNetwork network, const QString& link);

} // namespace ServiceUrls
