#include "engine_support.h"

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"

#include <QProcess>

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

void configureLikeTheProgram(Recorder& recorder, ScreenGrabber& screen, AudioGrabber& audio) {
    screen.setLatency(kPicturePeriodMs);
    screen.setDrawClicks(false);
    AudioFormat format;
    format.setChannelCount(2);
    format.setSampleRate(44100);
    format.setFormat(AudioFormat::Format_S16LE);
    audio.setDeviceIndex(0);
    audio.setFormat(format);

    AudioCodecSettings a;
    a.setSampleRate(audio.format().sampleRate());
    a.setChannelCount(audio.format().channelCount());
    a.setSampleFormat(EncoderGlobal::S16);

    Encoder* e = recorder.encoder();
    e->setVideoCodecSettings(screenRecordingVideoSettings());
    e->setAudioCodecSettings(a);
    e->setVideoCodec(EncoderGlobal::H264);
    e->setAudioCodec(EncoderGlobal::MP3);
    e->setOutputPixelFormat(EncoderGlobal::YUV420P);
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
