#pragma once

#include <QString>

namespace engine {

// Rewrites the fragmented MP4 at `path` as an ordinary MP4 with its index in front (what
// browsers want to play and seek), by copying the streams. The new file is written beside the
// old one (finishingPath()), flushed to the disk and renamed over it only once complete, so a
// failure leaves the fragmented file, which still plays. A damaged tail (a run killed in the
// middle of a write) ends the copy; what came before it is kept. Returns false with
// *errorText on failure; on success *seconds (when given) is the length written.
bool remuxToFastStart(const QString& path, double* seconds, QString* errorText);

// Whether the MP4 at `path` holds movie fragments (a recording not yet finished).
bool isFragmented(const QString& path);

// Reads every packet of the file: the length in seconds of what can be played, or -1 with
// *errorText when nothing can.
double playableSeconds(const QString& path, QString* errorText);

} // namespace engine
