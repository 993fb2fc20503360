#pragma once

#include "media/AudioCodecSettings.h"
#include "media/EncoderGlobal.h"
#include "media/LastError.h"
#include "media/MediaTypes.h"
#include "media/VideoCodecSettings.h"

#include <QObject>
#include <QSize>
#include <QString>

// The encoding half of a Recorder: what to write (codecs and their settings, picture size,
// with or without sound) and where. Owned by its Recorder (Recorder::encoder()); the encoding
// itself runs on the recording's threads.
//
// Threads: every public method is called on the thread the object lives in (the GUI thread);
// error() is always emitted there, also for failures found while encoding. Settings changed
// during a recording apply to the next one. Its Error codes are EncoderErrors'.
class Encoder : public QObject,
                public EncoderErrors,
                public ErrorReporting<Encoder, EncoderErrors::Error> {
    Q_OBJECT
public:
    enum EncodingMode { VideoMode = 0, AudioMode = 1, VideoAudioMode = 2 };
    Q_ENUM(EncodingMode)

    explicit Encoder(QObject* parent = nullptr);
    ~Encoder() override;

    void setVideoCodecSettings(const VideoCodecSettings& settings) { videoSettings_ = settings; }
    VideoCodecSettings videoCodecSettings() const { return videoSettings_; }

    void setAudioCodecSettings(const AudioCodecSettings& settings) { audioSettings_ = settings; }
    AudioCodecSettings audioCodecSettings() const { return audioSettings_; }

    // H264 is the only picture codec the engine has.
    void setVideoCodec(EncoderGlobal::VideoCodec codec) { videoCodec_ = codec; }
    EncoderGlobal::VideoCodec videoCodec() const { return videoCodec_; }

    // MP3 or AAC.
    void setAudioCodec(EncoderGlobal::AudioCodec codec) { audioCodec_ = codec; }
    EncoderGlobal::AudioCodec audioCodec() const { return audioCodec_; }

    // YUV420P is the only layout: the one every H.264 player decodes.
    void setOutputPixelFormat(EncoderGlobal::PixelFormat format) { pixelFormat_ = format; }
    EncoderGlobal::PixelFormat outputPixelFormat() const { return pixelFormat_; }

    // The MP4 file to write; an existing file there is replaced.
    void setFilePath(const QString& path) { filePath_ = path; }
    QString filePath() const { return filePath_; }

    // Size of the encoded picture; any size of at least 1 x 1. An odd width or height grows
    // by one column or row repeating the picture's edge, since H.264 in YUV 4:2:0 needs even
    // sizes. A grabbed area of another size is scaled to this one.
    void setVideoSize(const QSize& size) { videoSize_ = size; }
    QSize videoSize() const { return videoSize_; }

    void setEncodingMode(EncodingMode mode) { encodingMode_ = mode; }
    EncodingMode encodingMode() const { return encodingMode_; }

signals:
    void error(Encoder::Error error);

private:
    friend class Recorder;

    VideoCodecSettings videoSettings_;
    AudioCodecSettings audioSettings_;
    EncoderGlobal::VideoCodec videoCodec_ = EncoderGlobal::H264;
    EncoderGlobal::AudioCodec audioCodec_ = EncoderGlobal::MP3;
    EncoderGlobal::PixelFormat pixelFormat_ = EncoderGlobal::YUV420P;
    QString filePath_;
    QSize videoSize_;
    EncodingMode encodingMode_ = VideoMode;
};
