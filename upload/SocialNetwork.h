#pragma once

#include <QMetaType>

// Where a recording's link can be shared: the capture panel has one button for each, and
// each has a share page that takes the link.
enum class SocialNetwork { Facebook, Twitter, GooglePlus };
Q_DECLARE_METATYPE(SocialNetwork)
