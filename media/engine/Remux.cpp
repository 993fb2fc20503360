#include "media/engine/Remux.h"

#include "media/Translate.h"
#include "media/engine/Ffmpeg.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace engine {
namespace {
constexpr TranslationContext kTr{"Encoder"};
} // namespace

bool remuxToFastStart(const QString& path, QString* errorText) {
    const QFileInfo info(path);
    const QString temporary =
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".finishing");
    const QByteArray inPath = path.toLocal8Bit();
    const QByteArray outPath = temporary.toLocal8Bit();

    AVFormatContext* rawIn = nullptr;
    int result = avformat_open_input(&rawIn, inPath.constData(), nullptr, nullptr);
    if (result < 0) {
        *errorText =
            kTr.tr("Cannot read back the recording %1: %2.").arg(path, avErrorText(result));
        return false;
    }
    InputContextPtr in(rawIn);
    if ((result = avformat_find_stream_info(in.get(), nullptr)) < 0) {
        *errorText =
            kTr.tr("Cannot read back the recording %1: %2.").arg(path, avErrorText(result));
        return false;
    }

    AVFormatContext* rawOut = nullptr;
    if (avformat_alloc_output_context2(&rawOut, nullptr, "mp4", outPath.constData()) < 0) {
        *errorText = kTr.tr("The MP4 writer is not available.");
        return false;
    }
    OutputContextPtr out(rawOut);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        AVStream* stream = avformat_new_stream(out.get(), nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, in->streams[i]->codecpar) < 0) {
            *errorText = kTr.tr("Cannot copy the streams of %1.").arg(path);
            return false;
        }
        stream->codecpar->codec_tag = 0;
        stream->time_base = in->streams[i]->time_base;
        stream->avg_frame_rate = in->streams[i]->avg_frame_rate;
    }
    auto failWrite = [&](int code) {
        out.reset(); // closes the file before it is removed
        QFile::remove(temporary);
        *errorText = isOutOfSpace(code)
                         ? kTr.tr("The disk is full (%1): the recording %2 was kept as it was "
                                  "recorded, which most players play but browsers may not seek.")
                               .arg(avErrorText(code), path)
                         : kTr.tr("Finishing the recording %1 failed: %2. The file was kept as it "
                                  "was recorded.")
                               .arg(path, avErrorText(code));
        return false;
    };
    if ((result = avio_open(&out->pb, outPath.constData(), AVIO_FLAG_WRITE)) < 0)
        return failWrite(result);
    Options options;
    options.set("movflags", "faststart");
    // The recording's fragments may hold sound well after the pictures of its time: wait for
    // every stream before writing, however far apart they are.
    out->max_interleave_delta = 0;
    result = options.lend([&](AVDictionary** d) { return avformat_write_header(out.get(), d); });
    if (result < 0)
        return failWrite(result);

    PacketPtr packet(av_packet_alloc());
    for (;;) {
        result = av_read_frame(in.get(), packet.get());
        if (result == AVERROR_EOF)
            break;
        if (result < 0) {
            // A damaged tail (a killed writer) ends the copy; what was read is kept.
            break;
        }
        AVStream* from = in->streams[packet->stream_index];
        AVStream* to = out->streams[packet->stream_index];
        av_packet_rescale_ts(packet.get(), from->time_base, to->time_base);
        packet->pos = -1;
        result = av_interleaved_write_frame(out.get(), packet.get());
        av_packet_unref(packet.get());
        if (result < 0)
            return failWrite(result);
    }
    if ((result = av_write_trailer(out.get())) < 0)
        return failWrite(result);
    if ((result = avio_closep(&out->pb)) < 0)
        return failWrite(result);
    out.reset();
    in.reset();
    if (std::rename(outPath.constData(), inPath.constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        *errorText = kTr.tr("Cannot replace %1 with the finished recording: %2.").arg(path, reason);
        return false;
    }
    return true;
}

} // namespace engine
