#pragma once

#include "media/MediaTypes.h"

#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <vector>

namespace engine {

// What changed in a grabbed picture, in the screen's own pixel layout: the source rows
// [top, top + rows) of a picture width x height, `stride` bytes apart. The rows
// [changedTop, changedEnd) differ from the previous picture (changedTop even); the band also
// holds the row above and the row below them where the picture has them, which the colour
// conversion reads. rows == 0: nothing changed since the previous picture.
struct RawImage {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    int stride = 0;
    int top = 0;
    int rows = 0;
    int changedTop = 0;
    int changedEnd = 0;
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
    // Takes what changed on screen since the previous grab (the whole picture the first time);
    // image.rows == 0 when nothing did. On failure returns false and fills *code and
    // *errorText.
    virtual bool grab(RawImage& image, GrabberErrors::Error* code, QString* errorText) = 0;
};

// Sound as it arrived from the device, with the time its first sample was recorded.
struct SoundData {
    std::vector<uint8_t> bytes;
    std::chrono::steady_clock::time_point start;
};

// A device that delivers sound. Opened on the GUI thread, then read only by the sound thread.
class SoundSource {
public:
    enum class ReadResult { Data, Lost, Interrupted };
    virtual ~SoundSource() = default;
    // Waits for sound. Data: `data` holds the next piece. Lost: the source failed or went away
    // (*errorText says why); the caller may try reopen() later. Interrupted: interrupt() was
    // called and everything that had arrived before was returned.
    virtual ReadResult read(SoundData& data, QString* errorText) = 0;
    // Ends the waiting of read() at once; any thread.
    virtual void interrupt() = 0;
    // Connects again after a loss; returns whether sound flows again.
    virtual bool reopen(QString* errorText) = 0;
};

} // namespace engine
