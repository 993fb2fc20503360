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

// Whether the service's answer is a link: not empty and starting with "http://" or "https://"
// (case-sensitive).
bool isAcceptedAnswer(const QString& answer);

// The link handed to a share page: "<answer>?lang=<code>", with "br" sent as "pt".
QString sharedLink(const QString& answer, const QString& languageCode);

// The share page of `network` with `link` as its single query item.
QUrl sharePageUrl(SocialNetwork network, const QString& link);

} // namespace ServiceUrls
