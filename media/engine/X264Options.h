#pragma once

#include "media/VideoCodecSettings.h"

#include <QSize>
#include <QString>

namespace engine {

// The libx264 options ("key=value:key=value", the x264-params syntax) that carry the given
// settings, plus our own choices for what the settings leave open. Values left at their
// default ("not set") are not mentioned, so x264's preset decides them.
QString x264Options(const VideoCodecSettings& settings);

// How x264 spreads its work over threads (options in the same syntax) for pictures of `size`
// coming at most every `periodMs`.
QString x264ThreadOptions(QSize size, int periodMs);

// x264's preset under the options above.
const char* x264Preset();

} // namespace engine
