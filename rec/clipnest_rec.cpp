// clipnest-rec --rect X,Y,W,H --seconds N [--sound] [--sound-input microphone|computer|both]
//              [--pause-at S --resume-at S] [--no-pointer] [--clicks] OUT.mp4
// clipnest-rec --recover FILE.mp4
//
// --seconds counts from the start to the stop, pauses included; --pause-at and --resume-at
// pause and resume the recording that many seconds after its start (the file is then the
// pause's length shorter, and paused_ms= says how long it was).
// Records a screen area through the same classes the program uses. On success prints
// frames=, dropped=, repeated= lines and the figures of the stop: stop_ms= (how long stop()
// took), finish_ms= (from the stop to the finished file) and stall_ms= (the longest a 10 ms
// timer on the same thread was held up meanwhile), and exits with 0; on failure prints the
// error text on stderr and exits with 1 (2 for bad arguments). SIGINT and SIGTERM end the
// recording early with a complete file.
//
// --recover finishes a recording left by a killed run as the program does at its start and
// prints outcome= and seconds= (exit 0), or the reason on stderr (exit 1).

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/RecorderSetup.h"
#include "media/RecordingRecovery.h"
#include "media/ScreenGrabber.h"
#include "media/ScreenRecordingSettings.h"
#include "media/VideoCodecSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRect>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

int usage(const QString& problem) {
    QTextStream(stderr) << problem << "\n"
                        << "usage: clipnest-rec --rect X,Y,W,H --seconds N [--sound] "
                           "[--sound-input microphone|computer|both] [--pause-at S "
                           "--resume-at S] [--no-pointer] [--clicks] OUT.mp4\n"
                        << "       clipnest-rec --recover FILE.mp4\n";
    return 2;
}

int recover(const QString& path) {
    const RecoveryReport report = recoverRecording(path);
    static const char* const names[] = {"finished", "already-finished", "kept", "unplayable"};
    std::printf("outcome=%s\nseconds=%.3f\n", names[report.outcome], report.seconds);
    if (!report.message.isEmpty())
        QTextStream(stderr) << report.message << "\n";
    return report.outcome == RecoveryReport::Finished ||
                   report.outcome == RecoveryReport::AlreadyFinished
               ? 0
               : 1;
}

// How often the stall probe ticks while a recording is being finished: the GUI thread's
// timers are rarely finer than this, so a stall it sees is one a user would see.
constexpr int kProbePeriodMs = 10;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == "--recover")
        return recover(args[1]);
    QRect rect;
    double seconds = -1;
    bool sound = false;
    bool pointer = true;
    bool clicks = false;
    double pauseAt = -1;
    double resumeAt = -1;
    SoundMix mix;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--rect" && i + 1 < args.size()) {
            const QStringList v = args[++i].split(',');
            bool ok[4] = {false, false, false, false};
            if (v.size() == 4)
                rect = QRect(v[0].toInt(&ok[0]), v[1].toInt(&ok[1]), v[2].toInt(&ok[2]),
                             v[3].toInt(&ok[3]));
            if (!(ok[0] && ok[1] && ok[2] && ok[3]))
                return usage("bad --rect: " + args[i]);
        } else if (a == "--seconds" && i + 1 < args.size()) {
            bool ok = false;
            seconds = args[++i].toDouble(&ok);
            if (!ok || seconds < 0)
                return usage("bad --seconds: " + args[i]);
        } else if (a == "--sound") {
            sound = true;
        } else if (a == "--sound-input" && i + 1 < args.size()) {
            const QString v = args[++i];
            if (v == "microphone")
                mix.input = SoundInput::Microphone;
            else if (v == "computer")
                mix.input = SoundInput::ComputerSound;
            else if (v == "both")
                mix.input = SoundInput::Both;
            else
                return usage("bad --sound-input: " + v);
        } else if ((a == "--pause-at" || a == "--resume-at") && i + 1 < args.size()) {
            bool ok = false;
            const double v = args[++i].toDouble(&ok);
            if (!ok || v < 0)
                return usage("bad " + a + ": " + args[i]);
            (a == "--pause-at" ? pauseAt : resumeAt) = v;
        } else if (a == "--no-pointer") {
            pointer = false;
        } else if (a == "--clicks") {
            clicks = true;
        } else if (!a.startsWith("--") && out.isEmpty()) {
            out = a;
        } else {
            return usage("unknown argument: " + a);
        }
    }
    if (seconds < 0 || out.isEmpty())
        return usage("--seconds and OUT.mp4 are required");
    if ((pauseAt >= 0) != (resumeAt >= 0) || (pauseAt >= 0 && resumeAt < pauseAt))
        return usage("--pause-at and --resume-at go together, the resume after the pause");

    if (::pipe(signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    ScreenGrabber screen;
    AudioGrabber audio;
    Recorder recorder;
    RecorderSetup setup;
    setup.drawPointer = pointer;
    setup.drawClicks = clicks;
    setUpRecorder(recorder, screen, audio, setup);
    audio.setMix(mix);
    aimRecorder(recorder, screen, rect, out, sound);
    Encoder* encoder = recorder.encoder();

    int status = 0;
    double stopMs = 0;
    double finishMs = 0;
    double recordedMs = 0;
    QElapsedTimer recording;
    qint64 stallNs = 0;
    QElapsedTimer sinceStop;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        stallNs = std::max(stallNs, sinceTick.nsecsElapsed() - kProbePeriodMs * 1000000LL);
        sinceTick.restart();
    });
    auto end = [&](int code, const QString& text) {
        if (status == 0 && code != 0) {
            status = code;
            QTextStream(stderr) << text << "\n";
        }
        if (recorder.isRecording()) {
            recordedMs = double(recording.nsecsElapsed()) / 1e6;
            probe.start(kProbePeriodMs);
            sinceTick.start();
            sinceStop.start();
            recorder.stop();
            stopMs = double(sinceStop.nsecsElapsed()) / 1e6;
        }
        if (!recorder.isFinishing())
            app.exit(status);
    };
    QObject::connect(&recorder, &Recorder::finished, &app,
                     [&](const QString&, const QString& errorText) {
                         probe.stop();
                         if (sinceStop.isValid())
                             finishMs = double(sinceStop.nsecsElapsed()) / 1e6;
                         end(errorText.isEmpty() ? 0 : 1, errorText);
                     });
    QObject::connect(encoder, &Encoder::error, &app,
                     [&](Encoder::Error) { end(1, encoder->errorString()); });
    QObject::connect(&audio, &AbstractGrabber::error, &app,
                     [&](AbstractGrabber::Error) { end(1, audio.errorString()); });
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app,
                     [&] { end(0, QString()); });
    // The recording's length counts from the moment it runs, not from the program's start.
    QObject::connect(&recorder, &Recorder::started, &app, [&] {
        recording.start();
        // A precise timer: a coarse one may fire up to 5 % early, and a 12 s recording would
        // end at 11.4 s.
        QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &app, [&] { end(0, QString()); });
        if (pauseAt >= 0) {
            QTimer::singleShot(int(pauseAt * 1000), Qt::PreciseTimer, &recorder,
                               [&] { recorder.pause(); });
            QTimer::singleShot(int(resumeAt * 1000), Qt::PreciseTimer, &recorder,
                               [&] { recorder.resume(); });
        }
    });
    // A lost sound source is told on stderr; the recording goes on.
    QObject::connect(&recorder, &Recorder::soundLost, &app,
                     [](const QString& message) { QTextStream(stderr) << message << "\n"; });

    recorder.start();
    const int result = app.exec();
    if (result != 0)
        return result;
    const RecorderStatistics stats = recorder.statistics();
    std::printf("frames=%lld\ndropped=%lld\nrepeated=%lld\nstop_ms=%.1f\nfinish_ms=%.1f\n"
                "stall_ms=%.1f\nrecorded_ms=%.1f\npaused_ms=%lld\n",
                static_cast<long long>(stats.encodedFrames),
                static_cast<long long>(stats.droppedFrames),
                static_cast<long long>(stats.repeatedFrames), stopMs, finishMs,
                double(stallNs) / 1e6, recordedMs, static_cast<long long>(stats.pausedMs));
    return 0;
}
