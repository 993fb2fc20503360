#include "media/engine/H264Encoder.h"

#include "core/Translate.h"
#include "media/engine/X264Options.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <x264.h>
}

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

struct ParamCleanup {
    void operator()(x264_param_t* param) const { x264_param_cleanup(param); }
};

// Puts the coded picture x264 gave out (`bytes` long, in `nals`) into `packet`, after
// `prefix`, with its time stamps in ticks. False when out of memory.
bool toPacket(int bytes, const x264_nal_t* nals, const x264_picture_t& picture,
              const QByteArray& prefix, AVPacket* packet) {
    const int extra = int(prefix.size());
    if (av_new_packet(packet, extra + bytes) < 0)
        return false;
    if (extra > 0)
        std::memcpy(packet->data, prefix.constData(), size_t(extra));
    // x264 lays the units of one picture out one after the other.
    std::memcpy(packet->data + extra, nals[0].p_payload, size_t(bytes));
    packet->pts = picture.i_pts;
    packet->dts = picture.i_dts;
    if (picture.b_keyframe)
        packet->flags |= AV_PKT_FLAG_KEY;
    return true;
}

} // namespace

void X264Deleter::operator()(x264_t* encoder) const {
    x264_encoder_close(encoder);
}

H264Encoder::~H264Encoder() = default;

void H264Encoder::log(void* self, int level, const char* format, va_list args) {
    // Only errors are asked for; they end up in the error text rather than on the terminal.
    if (level > X264_LOG_ERROR)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* encoder = static_cast<H264Encoder*>(self);
    std::lock_guard<std::mutex> lock(encoder->messageMutex_);
    encoder->lastMessage_ = QString::fromLocal8Bit(text).trimmed();
}

namespace {

// The pictures as the converters and the file have them.
void setPictureFormat(x264_param_t& p, QSize size, int periodMs) {
    p.i_csp = X264_CSP_I420;
    p.i_width = size.width();
    p.i_height = size.height();
    // One tick of the capture clock per time stamp unit; pictures come at most once a tick.
    p.i_fps_num = 1000;
    p.i_fps_den = uint32_t(periodMs);
    p.i_timebase_num = uint32_t(periodMs);
    p.i_timebase_den = 1000;
    p.vui.i_sar_width = 1;
    p.vui.i_sar_height = 1;
    // What the converters produce from RGB: BT.601, limited range.
    p.vui.b_fullrange = 0;
    p.vui.i_colorprim = 6; // SMPTE 170M
    p.vui.i_transfer = 6;
    p.vui.i_colmatrix = 6;
    // The parameter sets go into the file's codec data once, not before every keyframe.
    p.b_annexb = 1;
    p.b_repeat_headers = 0;
}

// Applies "name=value:name..." in order; returns the first option x264 refused, or empty.
QString applyOptions(x264_param_t& p, const QString& options) {
    for (const QString& option : options.split(':', Qt::SkipEmptyParts)) {
        const qsizetype eq = option.indexOf('=');
        const QByteArray name = option.left(eq).toUtf8();
        const QByteArray value = eq < 0 ? QByteArray() : option.mid(eq + 1).toUtf8();
        if (x264_param_parse(&p, name.constData(), eq < 0 ? nullptr : value.constData()) < 0)
            return option;
    }
    return QString();
}

} // namespace

std::unique_ptr<H264Encoder> H264Encoder::open(QSize size, int periodMs,
                                               const VideoCodecSettings& settings,
                                               QString* errorText) {
    std::unique_ptr<H264Encoder> encoder(new H264Encoder);
    encoder->size_ = size;
    auto refused = [&](const QString& why) {
        *errorText = kTr.tr("The H.264 encoder refused the settings: %1.").arg(why);
        return nullptr;
    };
    x264_param_t p;
    if (x264_param_default_preset(&p, x264Preset(), nullptr) < 0)
        return refused(QString::fromLatin1(x264Preset()));
    // The settings may hold text x264_param_parse() allocated; the encoder keeps a copy of its
    // own.
    const std::unique_ptr<x264_param_t, ParamCleanup> cleanup(&p);
    p.pf_log = &H264Encoder::log;
    p.p_log_private = encoder.get();
    p.i_log_level = X264_LOG_ERROR;
    setPictureFormat(p, size, periodMs);
    if (settings.constantQuantizerMode() <= 0 && x264_param_parse(&p, "crf", "23") < 0)
        return refused(QStringLiteral("crf=23"));
    const QString options = x264Options(settings) + ':' + x264ThreadOptions(size, periodMs);
    const QString refusedOption = applyOptions(p, options);
    if (!refusedOption.isEmpty())
        return refused(refusedOption);
    p.analyse.b_mb_info = 1;
    if (x264_param_apply_profile(&p, "high") < 0)
        return refused(QStringLiteral("profile=high"));
    encoder->encoder_.reset(x264_encoder_open(&p));
    if (!encoder->encoder_)
        return refused(encoder->lastMessage().isEmpty() ? options : encoder->lastMessage());

    x264_nal_t* nals = nullptr;
    int count = 0;
    if (x264_encoder_headers(encoder->encoder_.get(), &nals, &count) < 0)
        return refused(encoder->lastMessage().isEmpty() ? options : encoder->lastMessage());
    for (int i = 0; i < count; ++i) {
        const QByteArray nal(reinterpret_cast<const char*>(nals[i].p_payload), nals[i].i_payload);
        if (nals[i].i_type == NAL_SEI)
            encoder->identification_ += nal;
        else
            encoder->parameterSets_ += nal;
    }
    return encoder;
}

bool H264Encoder::encode(const AVFrame* frame, int64_t tick, const UnchangedBlocks* unchanged,
                         AVPacket* packet, bool* got) {
    *got = false;
    x264_picture_t in;
    x264_picture_init(&in);
    in.img.i_csp = X264_CSP_I420;
    in.img.i_plane = 3;
    for (int i = 0; i < 3; ++i) {
        in.img.plane[i] = frame->data[i];
        in.img.i_stride[i] = frame->linesize[i];
    }
    in.i_pts = tick;
    in.i_type = X264_TYPE_AUTO;
    const QSize grid = macroblockGrid(size_);
    if (unchanged && unchanged->size() == size_t(grid.width()) * size_t(grid.height())) {
        // x264 may keep the map past this call (until the picture is coded), so it gets a copy
        // of its own, which it frees when done. (Should x264 fail before taking it over, the
        // few bytes are lost; the recording ends with that failure anyway.)
        auto* map = static_cast<uint8_t*>(std::malloc(unchanged->size()));
        if (!map) {
            errorText_ = kTr.tr("Out of memory.");
            return false;
        }
        for (size_t i = 0; i < unchanged->size(); ++i)
            map[i] = (*unchanged)[i] ? X264_MBINFO_CONSTANT : 0;
        in.prop.mb_info = map;
        in.prop.mb_info_free = &std::free;
    }
    return run(&in, packet, got);
}

bool H264Encoder::flush(AVPacket* packet, bool* got) {
    *got = false;
    if (x264_encoder_delayed_frames(encoder_.get()) <= 0)
        return true;
    return run(nullptr, packet, got);
}

bool H264Encoder::run(x264_picture_t* in, AVPacket* packet, bool* got) {
    x264_nal_t* nals = nullptr;
    int count = 0;
    x264_picture_t out;
    const int bytes = x264_encoder_encode(encoder_.get(), &nals, &count, in, &out);
    if (bytes < 0)
        return failed(bytes);
    if (bytes == 0 || count <= 0)
        return true;
    if (!toPacket(bytes, nals, out, identification_, packet))
        return failed(0);
    // The identification goes with the first picture only.
    identification_.clear();
    *got = true;
    return true;
}

QString H264Encoder::lastMessage() const {
    std::lock_guard<std::mutex> lock(messageMutex_);
    return lastMessage_;
}

bool H264Encoder::failed(int result) {
    if (result == 0) {
        errorText_ = kTr.tr("Out of memory: a coded picture could not be kept.");
        return false;
    }
    const QString why = lastMessage();
    errorText_ =
        kTr.tr("The H.264 encoder failed: %1.").arg(why.isEmpty() ? QString::number(result) : why);
    return false;
}

} // namespace engine
