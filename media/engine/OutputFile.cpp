#include "media/engine/OutputFile.h"

#include "core/Translate.h"
#include "media/engine/Timing.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

// A fragment every half second while recording: a killed program leaves a file that plays
// up to about its last second, at the price of a few hundred bytes of headers per fragment.
constexpr int64_t kFragmentUs = 500000;
constexpr const char* kFragmentMicroseconds = "500000";
static_assert(kFragmentUs == 500000, "kFragmentMicroseconds says the same as text");

} // namespace

OutputFile::OutputFile(const OutputSettings& settings)
    : settings_(settings) {}

OutputFile::~OutputFile() = default;

bool OutputFile::fail(EncoderErrors::Error code, const QString& text) {
    if (errorCode_ == EncoderErrors::NoError) {
        errorCode_ = code;
        errorText_ = text;
    }
    return false;
}

bool OutputFile::writeError(int result) {
    writeFailed_ = true;
    if (isOutOfSpace(result))
        return fail(
            EncoderErrors::WriteError,
            kTr.tr("The disk is full (%1): the recording stopped. The file %2 keeps what was "
                   "recorded so far; free some space before recording again.")
                .arg(avErrorRawText(result), settings_.path));
    return fail(EncoderErrors::WriteError,
                kTr.tr("Writing the video file %1 failed: %2. The recording stopped.")
                    .arg(settings_.path, avErrorText(result)));
}

std::unique_ptr<OutputFile> OutputFile::open(const OutputSettings& settings,
                                             EncoderErrors::Error* code, QString* errorText) {
    std::unique_ptr<OutputFile> file(new OutputFile(settings));
    auto failed = [&]() {
        *code = file->errorCode_;
        *errorText = file->errorText_;
        return nullptr;
    };
    AVFormatContext* raw = nullptr;
    const QByteArray path = settings.path.toLocal8Bit();
    if (avformat_alloc_output_context2(&raw, nullptr, "mp4", path.constData()) < 0 || !raw) {
        file->fail(EncoderErrors::EncodingError, kTr.tr("The MP4 writer is not available."));
        return failed();
    }
    file->format_.reset(raw);
    file->packet_.reset(av_packet_alloc());
    if (settings.video && !file->openVideo())
        return failed();
    if (settings.sound && !file->openSound())
        return failed();

    const int opened = avio_open(&file->format_->pb, path.constData(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        const QString folder = QFileInfo(settings.path).absolutePath();
        file->fail(
            EncoderErrors::FileOpenError,
            kTr.tr("Cannot create the video file %1: %2. Check that the folder %3 exists and "
                   "that you may write to it.")
                .arg(settings.path, avErrorText(opened), folder));
        return failed();
    }
    // Every packet goes to the disk at once: a killed program loses at most the fragment
    // under way.
    file->format_->flush_packets = 1;
    Options options;
    options.set("movflags", "empty_moov+default_base_moof+frag_keyframe")
        .set("frag_duration", kFragmentMicroseconds);
    const int header = options.lend(
        [&](AVDictionary** d) { return avformat_write_header(file->format_.get(), d); });
    if (header < 0) {
        if (isOutOfSpace(header) || header == AVERROR(EIO))
            file->writeError(header);
        else
            file->fail(EncoderErrors::EncodingError,
                       kTr.tr("Cannot start the MP4 file: %1.").arg(avErrorText(header)));
        return failed();
    }
    return file;
}

bool OutputFile::openVideo() {
    const QSize size = evenSize(settings_.videoSize);
    QString refused;
    h264_ = H264Encoder::open(size, settings_.periodMs, settings_.videoSettings, &refused);
    if (!h264_)
        return fail(EncoderErrors::EncodingError, refused);
    videoTimeBase_ = AVRational{settings_.periodMs, 1000};
    videoStream_ = avformat_new_stream(format_.get(), nullptr);
    const QByteArray& sets = h264_->parameterSets();
    uint8_t* extradata =
        static_cast<uint8_t*>(av_mallocz(size_t(sets.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!videoStream_ || !extradata) {
        av_free(extradata);
        return fail(EncoderErrors::EncodingError,
                    kTr.tr("Cannot add the picture to the MP4 file."));
    }
    // Annex B codec data: the MP4 writer turns it (and the pictures) into its own layout.
    std::memcpy(extradata, sets.constData(), size_t(sets.size()));
    AVCodecParameters* par = videoStream_->codecpar;
    par->extradata = extradata;
    par->extradata_size = int(sets.size());
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_H264;
    par->format = AV_PIX_FMT_YUV420P;
    par->width = size.width();
    par->height = size.height();
    par->sample_aspect_ratio = AVRational{1, 1};
    // What the converters produce from RGB: BT.601, limited range.
    par->color_range = AVCOL_RANGE_MPEG;
    par->color_space = AVCOL_SPC_SMPTE170M;
    par->color_primaries = AVCOL_PRI_SMPTE170M;
    par->color_trc = AVCOL_TRC_SMPTE170M;
    videoStream_->time_base = videoTimeBase_;
    videoStream_->avg_frame_rate = AVRational{1000, settings_.periodMs};
    return true;
}

bool OutputFile::drain(AVCodecContext* codec, AVStream* stream) {
    for (;;) {
        const int received = avcodec_receive_packet(codec, packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (received < 0)
            return fail(EncoderErrors::EncodingError,
                        kTr.tr("Encoding failed: %1.").arg(avErrorText(received)));
        av_packet_rescale_ts(packet_.get(), codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        if (!writePacket(packet_.get()))
            return false;
    }
}

bool OutputFile::holdPicture() {
    av_packet_rescale_ts(packet_.get(), videoTimeBase_, videoStream_->time_base);
    packet_->stream_index = videoStream_->index;
    // Pictures come without B-frames, so in order: the previous one lasts until this one, and
    // this one waits for the next.
    if (heldPicture_ && !writeHeldPicture(packet_->dts))
        return false;
    if (!heldPicture_)
        heldPicture_.reset(av_packet_alloc());
    if (!heldPicture_)
        return fail(EncoderErrors::EncodingError,
                    kTr.tr("Out of memory: a coded picture could not be kept."));
    av_packet_move_ref(heldPicture_.get(), packet_.get());
    return true;
}

bool OutputFile::writeHeldPicture(int64_t nextDts) {
    AVPacket* held = heldPicture_.get();
    held->duration = std::max<int64_t>(1, nextDts - held->dts);
    if (unflushedFrom_ == AV_NOPTS_VALUE)
        unflushedFrom_ = held->dts;
    const int64_t end = held->dts + held->duration;
    bool ok = writePacket(held);
    heldPicture_.reset();
    // The muxer closes a fragment only once a later packet shows it full: on a still screen
    // without sound, a picture later, which a killed program would lose. Once a fragment's
    // worth of pictures waits, it goes to the disk now.
    if (ok && av_rescale_q(end - unflushedFrom_, videoStream_->time_base, AVRational{1, 1000000}) >=
                  kFragmentUs) {
        const int flushed = av_write_frame(format_.get(), nullptr);
        if (flushed < 0)
            ok = writeError(flushed);
        unflushedFrom_ = AV_NOPTS_VALUE;
    }
    return ok;
}

bool OutputFile::writePacket(AVPacket* packet) {
    // Written as they come, not interleaved: interleaving would hold the pictures back until
    // the sound of their time arrives, which some sources deliver seconds late, and a killed
    // program would lose them. Each fragment keeps its tracks apart, and the finished file is
    // interleaved when finishing rewrites it.
    const int written = av_write_frame(format_.get(), packet);
    av_packet_unref(packet);
    if (written < 0)
        return writeError(written);
    return true;
}

bool OutputFile::writeVideo(const AVFrame* frame, int64_t tick, const UnchangedBlocks* unchanged) {
    if (!h264_ || errorCode_ != EncoderErrors::NoError)
        return false;
    bool got = false;
    if (!h264_->encode(frame, tick, unchanged, packet_.get(), &got))
        return fail(EncoderErrors::EncodingError, h264_->errorText());
    return !got || holdPicture();
}

bool OutputFile::finish(int64_t endTick) {
    if (finished_)
        return errorCode_ == EncoderErrors::NoError;
    finished_ = true;
    bool ok = errorCode_ == EncoderErrors::NoError;
    while (ok && h264_) {
        bool got = false;
        if (!h264_->flush(packet_.get(), &got))
            ok = fail(EncoderErrors::EncodingError, h264_->errorText());
        else if (!got)
            break;
        else
            ok = holdPicture();
    }
    // The last picture is shown until the end of the recording.
    if (heldPicture_) {
        const int64_t end =
            endTick >= 0 ? av_rescale_q(endTick, videoTimeBase_, videoStream_->time_base) : -1;
        const int64_t oneTick = av_rescale_q(1, videoTimeBase_, videoStream_->time_base);
        if (ok)
            ok = writeHeldPicture(std::max(end, heldPicture_->dts + oneTick));
        heldPicture_.reset();
    }
    if (ok && sound_) {
        ok = convertSound(nullptr, 0) && encodeSoundFrames(true);
        if (ok) {
            const int sent = avcodec_send_frame(sound_.get(), nullptr);
            ok = sent >= 0 ? drain(sound_.get(), soundStream_)
                           : fail(EncoderErrors::EncodingError,
                                  kTr.tr("The sound encoder failed while finishing: %1.")
                                      .arg(avErrorText(sent)));
        }
    }
    // The trailer is written also after a failure: it closes the last fragment, so that what
    // was encoded is kept. After a write failure there is nothing to gain.
    if (!writeFailed_) {
        const int trailer = av_write_trailer(format_.get());
        if (trailer < 0)
            ok = writeError(trailer);
    }
    if (format_->pb) {
        const int closed = avio_closep(&format_->pb);
        if (closed < 0 && !writeFailed_)
            ok = writeError(closed);
    }
    return ok;
}

} // namespace engine
