#pragma once

#include <QMetaType>

// Where a recording's link can be shared: the capture panel has one button for each, and
// each has a share page that takes the link. The values are kept in their slots (the third
// was Google+, whose share page closed in 2019), since they travel as plain ints.
enum class SocialNetwork { Facebook, Twitter, Reddit };
Q_DECLARE_METATYPE(SocialNetwork)
