#pragma once

#include "media/VideoCodecSettings.h"
#include "media/engine/Ffmpeg.h"
#include "media/engine/UnchangedBlocks.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <mutex>

struct x264_t;
struct x264_picture_t;

namespace engine {

struct X264Deleter {
    void operator()(x264_t* encoder) const;
};
using X264Ptr = std::unique_ptr<x264_t, X264Deleter>;

// libx264 driven directly rather than through libavcodec, whose wrapper has no way to tell
// x264 which parts of a picture did not change: on a mostly still screen those are most of
// the picture, and x264 skips their analysis when told. Configured as libavcodec's wrapper
// configures it for our settings, so the coded stream is the same. Used by one thread at a
// time.
class H264Encoder {
public:
    // An encoder for pictures of `size` (even, YUV 4:2:0) on a clock of `periodMs` per tick.
    // Null with *errorText when x264 refuses the settings.
    static std::unique_ptr<H264Encoder>
    open(QSize size, int periodMs, const VideoCodecSettings& settings, QString* errorText);
    ~H264Encoder();

    // The sequence and picture parameter sets, Annex B: the stream's codec data.
    const QByteArray& parameterSets() const { return parameterSets_; }

    // Encodes `frame` at `tick`; `unchanged` (null: everything may have changed) tells which
    // macroblocks equal the previous picture given here. A coded picture that comes out is put
    // into `packet` (Annex B, time stamps in ticks) and *got set. False with errorText() when
    // x264 fails.
    bool encode(const AVFrame* frame, int64_t tick, const UnchangedBlocks* unchanged,
                AVPacket* packet, bool* got);
    // Takes out a picture x264 still holds; *got stays false once there are none.
    bool flush(AVPacket* packet, bool* got);

    QString errorText() const { return errorText_; }

private:
    H264Encoder() = default;
    // Hands `in` (null: nothing, to take out what x264 holds) to x264 and what comes out to
    // `packet`.
    bool run(x264_picture_t* in, AVPacket* packet, bool* got);
    // 0: out of memory; below zero: what x264_encoder_encode() returned.
    bool failed(int result);
    QString lastMessage() const;
    static void log(void* self, int level, const char* format, va_list args);

    X264Ptr encoder_;
    QSize size_;
    QByteArray parameterSets_;
    // x264's identification and settings text: the wrapper sends it with the first picture,
    // where players and tools look for it.
    QByteArray identification_;
    // x264's last complaint, for the error text; x264 may log from its own threads.
    mutable std::mutex messageMutex_;
    QString lastMessage_; // guarded by messageMutex_
    QString errorText_;
};

} // namespace engine
