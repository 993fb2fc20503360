#include "media/engine/Remux.h"

#include "core/SystemError.h"
#include "core/Translate.h"
#include "media/RecordingRecovery.h"
#include "media/engine/Ffmpeg.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

// One rewrite of a recording into an ordinary MP4 beside it; each step returns false with
// the user's message in errorText, having removed what it wrote.
class FastStartCopy {
public:
    FastStartCopy(const QString& path, QString* errorText)
        : path_(path)
        , temporary_(finishingPath(path))
        , inPath_(path.toLocal8Bit())
        , outPath_(temporary_.toLocal8Bit())
        , errorText_(errorText) {}

    bool open();
    bool writeHeader();
    // Copies every intact packet; `end` is where the last of them ends, in seconds.
    bool copyPackets(double* end);
    bool finish();

private:
    int write(AVPacket* packet);
    bool fail(int code);
    bool writeLastPicture(AVPacket* picture, int stream, double end);

    const QString path_;
    const QString temporary_;
    const QByteArray inPath_;
    const QByteArray outPath_;
    QString* errorText_;
    InputContextPtr in_;
    OutputContextPtr out_;
};

bool FastStartCopy::open() {
    int result = 0;
    in_ = openInput(inPath_, &result);
    if (!in_) {
        *errorText_ =
            kTr.tr("Cannot read back the recording %1: %2.").arg(path_, avErrorText(result));
        return false;
    }
    AVFormatContext* rawOut = nullptr;
    if (avformat_alloc_output_context2(&rawOut, nullptr, "mp4", outPath_.constData()) < 0) {
        *errorText_ = kTr.tr("The MP4 writer is not available.");
        return false;
    }
    out_.reset(rawOut);
    for (unsigned i = 0; i < in_->nb_streams; ++i) {
        AVStream* stream = avformat_new_stream(out_.get(), nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, in_->streams[i]->codecpar) < 0) {
            *errorText_ = kTr.tr("Cannot copy the streams of %1.").arg(path_);
            return false;
        }
        stream->codecpar->codec_tag = 0;
        stream->time_base = in_->streams[i]->time_base;
        stream->avg_frame_rate = in_->streams[i]->avg_frame_rate;
    }
    return true;
}

bool FastStartCopy::fail(int code) {
    out_.reset(); // closes the file before it is removed
    QFile::remove(temporary_);
    *errorText_ = isOutOfSpace(code)
                      ? kTr.tr("The disk is full (%1): the recording %2 was kept as it was "
                               "recorded, which most players play but browsers may not seek.")
                            .arg(avErrorRawText(code), path_)
                      : kTr.tr("Finishing the recording %1 failed: %2. The file was kept as it "
                               "was recorded.")
                            .arg(path_, avErrorText(code));
    return false;
}

bool FastStartCopy::writeHeader() {
    int result = avio_open(&out_->pb, outPath_.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return fail(result);
    Options options;
    options.set("movflags", "faststart");
    // The recording's fragments may hold sound well after the pictures of its time: wait for
    // every stream before writing, however far apart they are.
    out_->max_interleave_delta = 0;
    result = options.lend([&](AVDictionary** d) { return avformat_write_header(out_.get(), d); });
    return result < 0 ? fail(result) : true;
}

int FastStartCopy::write(AVPacket* packet) {
    AVStream* from = in_->streams[packet->stream_index];
    AVStream* to = out_->streams[packet->stream_index];
    av_packet_rescale_ts(packet, from->time_base, to->time_base);
    packet->pos = -1;
    const int written = av_interleaved_write_frame(out_.get(), packet);
    av_packet_unref(packet);
    return written;
}

bool FastStartCopy::writeLastPicture(AVPacket* picture, int stream, double end) {
    const AVRational base = in_->streams[stream]->time_base;
    const int64_t at = picture->pts != AV_NOPTS_VALUE ? picture->pts : picture->dts;
    const int64_t until = int64_t(end / av_q2d(base) + 0.5);
    if (at != AV_NOPTS_VALUE && until - at > picture->duration)
        picture->duration = until - at;
    const int result = write(picture);
    return result < 0 ? fail(result) : true;
}

bool FastStartCopy::copyPackets(double* end) {
    PacketPtr packet(av_packet_alloc());
    // The latest picture waits here until the next one comes, or the end: a still screen's
    // last picture may have reached the disk well before the sound of its time (a picture goes
    // out only when the screen changes, or every half second), and a file cut off by a kill then
    // has sound past its last picture. That picture stays on screen until the sound ends, as
    // it stayed on the screen being recorded.
    PacketPtr lastPicture(av_packet_alloc());
    if (!packet || !lastPicture) {
        *errorText_ = kTr.tr("Out of memory.");
        return false;
    }
    int lastPictureStream = -1;
    int64_t copied = 0;
    int result = 0;
    while (readIntact(in_.get(), packet.get())) {
        ++copied;
        AVStream* from = in_->streams[packet->stream_index];
        *end = std::max(*end, packetEnd(packet.get(), from->time_base));
        if (from->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && lastPictureStream < 0)
            lastPictureStream = packet->stream_index;
        if (packet->stream_index == lastPictureStream) {
            if (lastPicture->data && (result = write(lastPicture.get())) < 0)
                return fail(result);
            av_packet_move_ref(lastPicture.get(), packet.get());
            continue;
        }
        if ((result = write(packet.get())) < 0)
            return fail(result);
    }
    if (lastPicture->data && !writeLastPicture(lastPicture.get(), lastPictureStream, *end))
        return false;
    if (copied == 0) {
        // Cut before its first fragment: an empty file would be no better.
        out_.reset();
        QFile::remove(temporary_);
        *errorText_ = kTr.tr("The file %1 holds nothing that can be played.").arg(path_);
        return false;
    }
    return true;
}

bool FastStartCopy::finish() {
    int result = 0;
    if ((result = av_write_trailer(out_.get())) < 0)
        return fail(result);
    if ((result = avio_closep(&out_->pb)) < 0)
        return fail(result);
    if ((result = syncToDisk(outPath_)) < 0)
        return fail(result);
    out_.reset();
    in_.reset();
    if (std::rename(outPath_.constData(), inPath_.constData()) != 0) {
        const QString reason = SystemError::describe(errno);
        QFile::remove(temporary_);
        *errorText_ =
            kTr.tr("Cannot replace %1 with the finished recording: %2.").arg(path_, reason);
        return false;
    }
    return true;
}

} // namespace

bool remuxToFastStart(const QString& path, double* seconds, QString* errorText) {
    FastStartCopy copy(path, errorText);
    double end = 0;
    if (!copy.open() || !copy.writeHeader() || !copy.copyPackets(&end) || !copy.finish())
        return false;
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
