#include "media/VideoInfo.h"

#include "media/engine/Ffmpeg.h"

#include <QFile>

QSize probeVideoSize(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, name.constData(), nullptr, nullptr) < 0)
        return {};
    const engine::InputContextPtr in(raw);
    // An MP4's stream parameters are in its index, which opening has read: no packets needed.
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodecParameters* p = in->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && p->width > 0 && p->height > 0)
            return QSize(p->width, p->height);
    }
    return {};
}
