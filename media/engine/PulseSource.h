#pragma once

#include "media/AudioFormat.h"
#include "media/engine/Sources.h"

#include <memory>

namespace engine {

// Connects to the PulseAudio server (PULSE_SERVER or the user's own) and starts reading, in
// `format`, the source `deviceIndex` (0: the server's default source), or with
// `computerSound` what the computer plays: the monitor of the server's default output.
// Returns null with *code and *errorText on failure.
std::unique_ptr<SoundSource> openPulseSource(int deviceIndex, bool computerSound,
                                             const AudioFormat& format, GrabberErrors::Error* code,
                                             QString* errorText);

} // namespace engine
