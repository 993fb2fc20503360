#pragma once

#include <QString>

namespace engine {

// Rewrites the fragmented MP4 at `path` as an ordinary MP4 with its index in front (what
// browsers want to play and seek), by copying the streams. The new file is written beside the
// old one and renamed over it only once complete, so a failure leaves the fragmented file,
// which still plays. Returns false with *errorText on failure.
bool remuxToFastStart(const QString& path, QString* errorText);

} // namespace engine
