#pragma once

// Owning handles for the FFmpeg objects the engine uses, each freed by its own function.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "core/SystemError.h"

#include <QString>

#include <memory>

namespace engine {

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
// Marks the pool for freeing; it goes once the last of its buffers is released.
struct BufferPoolDeleter {
    void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct AudioFifoDeleter {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
// An output context: closes its file (if open) and frees the context.
struct OutputContextDeleter {
    void operator()(AVFormatContext* c) const {
        if (c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct InputContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;

// Options for one FFmpeg open call. FFmpeg takes a dictionary by address, may replace it, and
// leaves in it what the call did not use: lend() hands it over for one such call and owns
// whatever comes back, so it is freed on every path.
class Options {
public:
    Options& set(const char* key, const char* value) {
        lend([&](AVDictionary** d) { return av_dict_set(d, key, value, 0); });
        return *this;
    }
    template <typename Call> int lend(Call call) {
        AVDictionary* raw = dictionary_.release();
        const int result = call(&raw);
        dictionary_.reset(raw);
        return result;
    }

private:
    DictionaryPtr dictionary_;
};

// FFmpeg's informational lines (encoder statistics, the rewriting passes of a file) would
// flood the program's output; warnings and errors still show. Only the untouched default
// level is changed, so a program that chose its own level keeps it.
inline void quietenFfmpegLog() {
    if (av_log_get_level() == AV_LOG_INFO)
        av_log_set_level(AV_LOG_WARNING);
}

// FFmpeg's own text for an error code, untranslated: for a sentence that already says in
// our words what went wrong.
inline QString avErrorRawText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// The reason an FFmpeg call failed, for a sentence with a place for it. A system failure
// passed through (AVERROR(errno), errno values being small) is said in our words with the
// system's as a detail; FFmpeg's own failures have only FFmpeg's words.
inline QString avErrorText(int code) {
    constexpr int kLargestErrno = 4095; // the kernel's errno values stay below 4096
    if (code < 0 && code >= -kLargestErrno)
        return SystemError::describe(-code);
    return avErrorRawText(code);
}

// Whether an FFmpeg error means the disk is full or the file cannot grow.
inline bool isOutOfSpace(int code) {
    return code == AVERROR(ENOSPC) || code == AVERROR(EFBIG) || code == AVERROR(EDQUOT);
}

} // namespace engine
