#include "engine_support.h"

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/Recorder.h"
#include "media/ScreenGrabber.h"
#include "media/VideoCodecSettings.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

namespace enginetest {

Run run(const QString& program, const QStringList& args, int timeoutMs) {
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000)) {
        r.err = "cannot start " + program.toLocal8Bit();
        return r;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = "timeout";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

FileInfo probe(const QString& path) {
    FileInfo info;
    const Run r = run(
        "ffprobe", {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
    if (r.exitCode != 0) {
        info.error = QString::fromLocal8Bit(r.err);
        return info;
    }
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    info.duration = root.value("format").toObject().value("duration").toString().toDouble();
    for (const QJsonValue& v : root.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        StreamInfo si;
        si.codec = s.value("codec_name").toString();
        si.width = s.value("width").toInt();
        si.height = s.value("height").toInt();
        si.duration = s.value("duration").toString().toDouble();
        si.sampleRate = s.value("sample_rate").toString().toInt();
        si.channels = s.value("channels").toInt();
        if (s.value("codec_type").toString() == "video")
            info.video = si;
        else if (s.value("codec_type").toString() == "audio")
            info.audio = si;
    }
    info.ok = true;
    return info;
}

QStringList topLevelBoxes(const QString& path) {
    QStringList boxes;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return boxes;
    const qint64 size = f.size();
    qint64 pos = 0;
    while (pos + 8 <= size) {
        f.seek(pos);
        const QByteArray head = f.read(16);
        if (head.size() < 8)
            break;
        auto be32 = [&](int at) {
            return (quint64(uchar(head[at])) << 24) | (quint64(uchar(head[at + 1])) << 16) |
                   (quint64(uchar(head[at + 2])) << 8) | quint64(uchar(head[at + 3]));
        };
        quint64 length = be32(0);
        boxes << QString::fromLatin1(head.mid(4, 4));
        if (length == 1 && head.size() >= 16)
            length = (be32(8) << 32) | be32(12);
        else if (length == 0)
            length = quint64(size - pos);
        if (length < 8)
            break;
        pos += qint64(length);
    }
    return boxes;
}

QString decodeErrors(const QString& path) {
    const Run r = run("ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-f", "null", "-"});
    if (r.exitCode != 0)
        return QStringLiteral("exit %1: %2").arg(r.exitCode).arg(QString::fromLocal8Bit(r.err));
    return QString::fromLocal8Bit(r.err).trimmed();
}

double maxVolume(const QString& path, double from, double length) {
    const Run r =
        run("ffmpeg", {"-nostdin", "-ss", QString::number(from), "-t", QString::number(length),
                       "-i", path, "-vn", "-af", "volumedetect", "-f", "null", "-"});
    const QRegularExpressionMatch m =
        QRegularExpression("max_volume: (-?[0-9.]+|-inf) dB").match(QString::fromLocal8Bit(r.err));
    if (!m.hasMatch())
        return 1000; // no sound at all: louder than anything, so a silence check fails
    return m.captured(1) == "-inf" ? -1000 : m.captured(1).toDouble();
}

void configureLikeTheProgram(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio) {
    screen.setLatency(50);
    screen.setDrawClicks(false);
    AudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(44100);
    format.setFormat(AudioFormat::Format(2));
    audio.setDeviceIndex(0);
    audio.setFormat(format);

    VideoCodecSettings v;
    v.setCoderType(EncoderGlobal::CoderType(0));
    v.setFlags(EncoderGlobal::Flag(0x800));
    v.setMotionEstimationComparison(1);
    v.setPartitions(EncoderGlobal::Partitions(EncoderGlobal::Partition(0x11)));
    v.setMotionEstimationMethod(EncoderGlobal::MotionEstimationAlgorithm(7));
    v.setSubpixelMotionEstimationQuality(3);
    v.setMotionEstimationRange(16);
    v.setGopSize(250);
    v.setMinimumKeyframeInterval(25);
    v.setSceneChangeThreshold(40);
    v.setIQuantFactor(0.71f);
    v.setBFrameStrategy(1);
    v.setQuantizerCurveCompressionFactor(0.6f);
    v.setMinimumQuantizer(0);
    v.setMaximumQuantizer(69);
    v.setMaximumQuantizerDifference(4);
    v.setDirectMvPredictionMode(EncoderGlobal::MotionVectorPredictionMode(1));
    v.setFlags2(EncoderGlobal::Flag2(0x100));
    v.setConstantQuantizerMode(0);
    v.setPFramePredictionAnalysisMethod(EncoderGlobal::WeightedPredictionMethod(0));

    AudioCodecSettings a;
    a.setSampleRate(audio.format().sampleRate());
    a.setChannelCount(audio.format().channelCount());
    a.setSampleFormat(EncoderGlobal::SampleFormat(1));

    Encoder* e = recorder.encoder();
    e->setVideoCodecSettings(v);
    e->setAudioCodecSettings(a);
    e->setVideoCodec(EncoderGlobal::VideoCodec(28));
    e->setAudioCodec(EncoderGlobal::AudioCodec(0x15001));
    e->setOutputPixelFormat(EncoderGlobal::PixelFormat(0));
    recorder.setImageGrabber(&screen);
    recorder.setAudioGrabber(&audio);
}

void prepare(Recorder& recorder, ScreenGrabber& screen, const QRect& area, const QString& path,
             bool withSound) {
    Encoder* e = recorder.encoder();
    e->setFilePath(path);
    screen.setCaptureRect(area);
    e->setVideoSize(area.size());
    e->setEncodingMode(withSound ? Encoder::VideoAudioMode : Encoder::VideoMode);
}

} // namespace enginetest
