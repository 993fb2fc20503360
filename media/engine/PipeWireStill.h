#pragma once

#include "media/MediaTypes.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace engine {

// One picture of a whole shared screen.
struct StillPicture {
    QSize size;
    int stride = 0; // bytes from one row's start to the next's
    // BGR0 as FFmpeg means it (blue, green, red, then a byte of no meaning; as
    // QImage::Format_RGB32 on this little-endian machine), size.height() rows of `stride`
    // bytes.
    std::vector<uint8_t> pixels;
};

// Connects to the PipeWire remote `fd` (owned from here on, also on failure) and takes the
// first picture the node `node` sends: the whole picture (only the part the stream says is
// the picture, when it says so), BGR0 whatever the stream's byte order, without the mouse
// pointer. Waits a few seconds at most for the stream to agree on a format and then `waitMs`
// at most for the picture. Returns false with *code and *errorText when no picture came.
//
// Threads: blocks the calling thread for as long as it waits, so any thread but the GUI
// thread; several may run at once.
bool takePipeWireStill(int fd, uint32_t node, int waitMs, StillPicture* out,
                       GrabberErrors::Error* code, QString* errorText);

} // namespace engine
