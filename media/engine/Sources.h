#pragma once

#include "media/AbstractGrabber.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace engine {

// One grabbed picture in the screen's own pixel layout.
struct RawImage {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    int stride = 0;
    // Tick of the capture clock this picture belongs to.
    int64_t tick = 0;
};

// A device that delivers pictures on request. Opened on the GUI thread, then used only by
// the capture thread.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual QSize size() const = 0;
    // The pixels' layout as an FFmpeg AVPixelFormat value.
    virtual int pixelFormat() const = 0;
    // Takes the current picture. On failure returns false and fills *code and *errorText.
    virtual bool grab(RawImage& image, AbstractGrabber::Error* code, QString* errorText) = 0;
};

// A device that delivers sound. Opened on the GUI thread, then used only by the sound thread.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Blocks until `frames` frames (all channels) were read into `buffer`. Returns false when
    // the source failed or went away; the caller may try reopen() later.
    virtual bool read(uint8_t* buffer, int frames, QString* errorText) = 0;
    // Microseconds between the moment the last frame read was recorded and now.
    virtual int64_t latencyUs() = 0;
    // Connects again after a failure; returns whether sound flows again.
    virtual bool reopen(QString* errorText) = 0;
};

} // namespace engine
