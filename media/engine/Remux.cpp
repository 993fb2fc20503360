#include "media/engine/Remux.h"

#include "media/RecordingRecovery.h"
#include "media/Translate.h"
#include "media/engine/Ffmpeg.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace engine {
namespace {

constexpr TranslationContext kTr{"Encoder"};

// The end of the packet in seconds, or 0 when it has no time stamp.
double packetEnd(const AVPacket* packet, AVRational timeBase) {
    const int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (at == AV_NOPTS_VALUE)
        return 0;
    return double(at + std::max<int64_t>(packet->duration, 0)) * av_q2d(timeBase);
}

// Opens `path` for reading and reads its stream parameters; null with *result on failure.
InputContextPtr openInput(const QByteArray& path, int* result) {
    AVFormatContext* raw = nullptr;
    *result = avformat_open_input(&raw, path.constData(), nullptr, nullptr);
    if (*result < 0)
        return nullptr;
    InputContextPtr in(raw);
    if ((*result = avformat_find_stream_info(in.get(), nullptr)) < 0)
        return nullptr;
    return in;
}

// Whether the next packet is one to keep: false at the end and at a damaged tail (a read
// error, or a packet cut short by the end of the file).
bool readIntact(AVFormatContext* in, AVPacket* packet) {
    if (av_read_frame(in, packet) < 0)
        return false;
    if (packet->flags & AV_PKT_FLAG_CORRUPT) {
        av_packet_unref(packet);
        return false;
    }
    return true;
}

// Pushes the file's data to the disk, so that the rename that follows cannot leave an empty
// file behind after a power cut.
int syncToDisk(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return AVERROR(errno);
    const int synced = ::fsync(fd) == 0 ? 0 : AVERROR(errno);
    ::close(fd);
    return synced;
}

} // namespace

bool remuxToFastStart(const QString& path, double* seconds, QString* errorText) {
    const QString temporary = finishingPath(path);
    const QByteArray inPath = path.toLocal8Bit();
    const QByteArray outPath = temporary.toLocal8Bit();

    int result = 0;
    InputContextPtr in = openInput(inPath, &result);
    if (!in) {
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
    // The latest picture waits here until the next one comes, or the end: a still screen's
    // last picture may have reached the disk well before the sound of its time (a picture goes
    // out only when the screen changes, or every half second), and a file cut off by a kill then
    // has sound past its last picture. That picture stays on screen until the sound ends, as
    // it stayed on the screen being recorded.
    PacketPtr lastPicture(av_packet_alloc());
    int lastPictureStream = -1;
    double end = 0;
    int64_t copied = 0;
    auto write = [&](AVPacket* p) {
        AVStream* from = in->streams[p->stream_index];
        AVStream* to = out->streams[p->stream_index];
        av_packet_rescale_ts(p, from->time_base, to->time_base);
        p->pos = -1;
        const int written = av_interleaved_write_frame(out.get(), p);
        av_packet_unref(p);
        return written;
    };
    if (!packet || !lastPicture) {
        *errorText = kTr.tr("Out of memory.");
        return false;
    }
    while (readIntact(in.get(), packet.get())) {
        ++copied;
        AVStream* from = in->streams[packet->stream_index];
        end = std::max(end, packetEnd(packet.get(), from->time_base));
        if (from->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && lastPictureStream < 0)
            lastPictureStream = packet->stream_index;
        if (packet->stream_index == lastPictureStream) {
            if (lastPicture->data && (result = write(lastPicture.get())) < 0)
                return failWrite(result);
            av_packet_move_ref(lastPicture.get(), packet.get());
            continue;
        }
        if ((result = write(packet.get())) < 0)
            return failWrite(result);
    }
    if (lastPicture->data) {
        const AVRational base = in->streams[lastPictureStream]->time_base;
        const int64_t at = lastPicture->pts != AV_NOPTS_VALUE ? lastPicture->pts : lastPicture->dts;
        const int64_t until = int64_t(end / av_q2d(base) + 0.5);
        if (at != AV_NOPTS_VALUE && until - at > lastPicture->duration)
            lastPicture->duration = until - at;
        if ((result = write(lastPicture.get())) < 0)
            return failWrite(result);
    }
    if (copied == 0) {
        // Cut before its first fragment: an empty file would be no better.
        out.reset();
        QFile::remove(temporary);
        *errorText = kTr.tr("The file %1 holds nothing that can be played.").arg(path);
        return false;
    }
    if ((result = av_write_trailer(out.get())) < 0)
        return failWrite(result);
    if ((result = avio_closep(&out->pb)) < 0)
        return failWrite(result);
    if ((result = syncToDisk(outPath)) < 0)
        return failWrite(result);
    out.reset();
    in.reset();
    if (std::rename(outPath.constData(), inPath.constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        *errorText = kTr.tr("Cannot replace %1 with the finished recording: %2.").arg(path, reason);
        return false;
    }
    if (seconds)
        *seconds = end;
    return true;
}

bool isFragmented(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    qint64 pos = 0;
    while (pos + 8 <= size) {
        if (!file.seek(pos))
            return false;
        const QByteArray head = file.read(16);
        if (head.size() < 8)
            return false;
        const QByteArray name = head.mid(4, 4);
        if (name == "moof")
            return true;
        qint64 length = qFromBigEndian<quint32>(head.constData());
        if (length == 1 && head.size() == 16)
            length = qFromBigEndian<qint64>(head.constData() + 8);
        else if (length == 0)
            return false; // the last box runs to the end of the file
        if (length < 8)
            return false;
        pos += length;
    }
    return false;
}

double playableSeconds(const QString& path, QString* errorText) {
    int result = 0;
    InputContextPtr in = openInput(path.toLocal8Bit(), &result);
    if (!in) {
        *errorText =
            kTr.tr("The file %1 cannot be read as a video: %2.").arg(path, avErrorText(result));
        return -1;
    }
    PacketPtr packet(av_packet_alloc());
    double end = 0;
    bool any = false;
    while (readIntact(in.get(), packet.get())) {
        end = std::max(end, packetEnd(packet.get(), in->streams[packet->stream_index]->time_base));
        any = true;
        av_packet_unref(packet.get());
    }
    if (!any) {
        *errorText = kTr.tr("The file %1 holds nothing that can be played.").arg(path);
        return -1;
    }
    return end;
}

} // namespace engine
