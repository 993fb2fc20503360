#pragma once

#include "media/VideoCodecSettings.h"

// The encoder settings every screen recording of the program uses. The capture control and
// the command-line recorder share them, so what the benchmark measures is what users get.
VideoCodecSettings screenRecordingVideoSettings();
