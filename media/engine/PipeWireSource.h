#pragma once

#include "media/engine/Sources.h"

#include <QRect>

#include <cstdint>
#include <memory>

namespace engine {

struct PipeWireSourceOptions {
    bool pointer = true; // the mouse pointer the stream describes drawn into the pictures
};

// Connects to the PipeWire remote `fd` (owned from here on, also on failure), asks the node
// `node` for its pictures and waits, a few seconds at most, for the two to agree on a format.
// `crop` is the part of the stream's picture, in stream pixels, to deliver. The pictures are
// BGR0 whatever the stream's byte order. Returns null with *code and *errorText on failure.
//
// Threads: open and destroy on any one thread (the GUI thread); grab(), size() and
// pixelFormat() on the capture thread. PipeWire's own thread copies what each frame changed
// into one picture grab() takes from; either waits for the other at most for one such copy,
// never for a frame to come: grab() reports rows == 0 when none came, as a still screen sends
// none for seconds.
std::unique_ptr<ImageSource> openPipeWireSource(int fd, uint32_t node, const QRect& crop,
                                                const PipeWireSourceOptions& options,
                                                GrabberErrors::Error* code, QString* errorText);

} // namespace engine
