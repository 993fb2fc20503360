// clipnest-rec --rect X,Y,W,H --seconds N [--sound] [--sound-input microphone|computer|both]
//              [--pause-at S --resume-at S] [--no-pointer] [--clicks]
//              [--portal [--token FILE] [--output NAME]] OUT.mp4
// clipnest-rec --recover FILE.mp4
//
// --portal reads the screen through the desktop's screen-cast portal (Wayland): the desktop
// asks which monitor to share, and --rect is in that monitor's pixels. --token keeps the
// answer in FILE, so that the desktop asks only once. --output records the shared monitor
// named NAME (as the desktop names its outputs, e.g. DP-1): the desktop's dialog still
// decides what is shared, since no portal lets a program choose; NAME not shared is an error.
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
#include "rec/PortalScreen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRect>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

int usage(const QString& problem) {
    QTextStream(stderr)
        << problem << "\n"
        << "usage: clipnest-rec --rect X,Y,W,H --seconds N [--sound] "
           "[--sound-input microphone|computer|both] [--pause-at S "
           "--resume-at S] [--no-pointer] [--clicks] [--portal [--output NAME] [--token "
           "FILE]] OUT.mp4\n"
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

struct Options {
    QRect rect;
    double seconds = -1;
    bool sound = false;
    bool pointer = true;
    bool clicks = false;
    double pauseAt = -1;
    double resumeAt = -1;
    SoundMix mix;
    bool portal = false;
    QString tokenFile;
    QString output;
    QString out;
};

// Reads one option at args[*i] (and its value, moving *i past it); an empty text when it
// was good, else what is wrong with it.
QString readOption(const QStringList& args, int* i, Options* o) {
    const QString& a = args[*i];
    const bool hasValue = *i + 1 < args.size();
    if (a == "--rect" && hasValue) {
        const QStringList v = args[++*i].split(',');
        bool ok[4] = {false, false, false, false};
        if (v.size() == 4)
            o->rect = QRect(v[0].toInt(&ok[0]), v[1].toInt(&ok[1]), v[2].toInt(&ok[2]),
                            v[3].toInt(&ok[3]));
        return ok[0] && ok[1] && ok[2] && ok[3] ? QString() : "bad --rect: " + args[*i];
    }
    if (a == "--seconds" && hasValue) {
        bool ok = false;
        o->seconds = args[++*i].toDouble(&ok);
        return ok && o->seconds >= 0 ? QString() : "bad --seconds: " + args[*i];
    }
    if (a == "--sound-input" && hasValue) {
        const QString v = args[++*i];
        if (v == "microphone")
            o->mix.input = SoundInput::Microphone;
        else if (v == "computer")
            o->mix.input = SoundInput::ComputerSound;
        else if (v == "both")
            o->mix.input = SoundInput::Both;
        else
            return "bad --sound-input: " + v;
        return QString();
    }
    if ((a == "--pause-at" || a == "--resume-at") && hasValue) {
        bool ok = false;
        const double v = args[++*i].toDouble(&ok);
        (a == "--pause-at" ? o->pauseAt : o->resumeAt) = v;
        return ok && v >= 0 ? QString() : "bad " + a + ": " + args[*i];
    }
    if (a == "--output" && hasValue) {
        o->output = args[++*i];
        return QString();
    }
    if (a == "--token" && hasValue) {
        o->tokenFile = args[++*i];
        return QString();
    }
    if (a == "--sound")
        o->sound = true;
    else if (a == "--portal")
        o->portal = true;
    else if (a == "--no-pointer")
        o->pointer = false;
    else if (a == "--clicks")
        o->clicks = true;
    else if (!a.startsWith("--") && o->out.isEmpty())
        o->out = a;
    else
        return "unknown argument: " + a;
    return QString();
}

QString parse(const QStringList& args, Options* o) {
    for (int i = 0; i < args.size(); ++i) {
        const QString problem = readOption(args, &i, o);
        if (!problem.isEmpty())
            return problem;
    }
    if (o->seconds < 0 || o->out.isEmpty())
        return "--seconds and OUT.mp4 are required";
    if (!o->output.isEmpty() && !o->portal)
        return "--output goes with --portal";
    if ((o->pauseAt >= 0) != (o->resumeAt >= 0) || (o->pauseAt >= 0 && o->resumeAt < o->pauseAt))
        return "--pause-at and --resume-at go together, the resume after the pause";
    return QString();
}

// One recording from its start to its finished file, with the figures of its stop.
class Run {
public:
    Run(QCoreApplication& app, const Options& o, const ScreenGrabber::SourceOpener& opener)
        : app_(app)
        , options_(o) {
        if (opener)
            screen_.setSourceOpener(opener);
        RecorderSetup setup;
        setup.drawPointer = o.pointer;
        setup.drawClicks = o.clicks;
        setUpRecorder(recorder_, screen_, audio_, setup);
        audio_.setMix(o.mix);
        aimRecorder(recorder_, screen_, o.rect, o.out, o.sound);
        probe_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe_, &QTimer::timeout, &app_, [this] {
            stallNs_ = std::max(stallNs_, sinceTick_.nsecsElapsed() - kProbePeriodMs * 1000000LL);
            sinceTick_.restart();
        });
        connectRecorder();
    }

    // Ends the recording early with a complete file.
    void interrupt() { end(0, QString()); }

    int exec() {
        recorder_.start();
        const int result = app_.exec();
        if (result == 0)
            printFigures();
        return result;
    }

private:
    void connectRecorder() {
        Encoder* encoder = recorder_.encoder();
        QObject::connect(&recorder_, &Recorder::finished, &app_,
                         [this](const QString&, const QString& errorText) {
                             probe_.stop();
                             if (sinceStop_.isValid())
                                 finishMs_ = double(sinceStop_.nsecsElapsed()) / 1e6;
                             end(errorText.isEmpty() ? 0 : 1, errorText);
                         });
        QObject::connect(encoder, &Encoder::error, &app_,
                         [this, encoder](Encoder::Error) { end(1, encoder->errorString()); });
        QObject::connect(&audio_, &AbstractGrabber::error, &app_,
                         [this](AbstractGrabber::Error) { end(1, audio_.errorString()); });
        // The recording's length counts from the moment it runs, not from the program's start.
        QObject::connect(&recorder_, &Recorder::started, &app_, [this] { onStarted(); });
        // A lost sound source is told on stderr; the recording goes on.
        QObject::connect(&recorder_, &Recorder::soundLost, &app_,
                         [](const QString& message) { QTextStream(stderr) << message << "\n"; });
    }

    void onStarted() {
        recording_.start();
        // A precise timer: a coarse one may fire up to 5 % early, and a 12 s recording would
        // end at 11.4 s.
        QTimer::singleShot(int(options_.seconds * 1000), Qt::PreciseTimer, &app_,
                           [this] { end(0, QString()); });
        if (options_.pauseAt >= 0) {
            QTimer::singleShot(int(options_.pauseAt * 1000), Qt::PreciseTimer, &recorder_,
                               [this] { recorder_.pause(); });
            QTimer::singleShot(int(options_.resumeAt * 1000), Qt::PreciseTimer, &recorder_,
                               [this] { recorder_.resume(); });
        }
    }

    void end(int code, const QString& text) {
        if (status_ == 0 && code != 0) {
            status_ = code;
            QTextStream(stderr) << text << "\n";
        }
        if (recorder_.isRecording()) {
            recordedMs_ = double(recording_.nsecsElapsed()) / 1e6;
            probe_.start(kProbePeriodMs);
            sinceTick_.start();
            sinceStop_.start();
            recorder_.stop();
            stopMs_ = double(sinceStop_.nsecsElapsed()) / 1e6;
        }
        if (!recorder_.isFinishing())
            app_.exit(status_);
    }

    void printFigures() const {
        const RecorderStatistics stats = recorder_.statistics();
        std::printf("frames=%lld\ndropped=%lld\nrepeated=%lld\nstop_ms=%.1f\nfinish_ms=%.1f\n"
                    "stall_ms=%.1f\nrecorded_ms=%.1f\npaused_ms=%lld\n",
                    static_cast<long long>(stats.encodedFrames),
                    static_cast<long long>(stats.droppedFrames),
                    static_cast<long long>(stats.repeatedFrames), stopMs_, finishMs_,
                    double(stallNs_) / 1e6, recordedMs_, static_cast<long long>(stats.pausedMs));
    }

    QCoreApplication& app_;
    const Options options_;
    ScreenGrabber screen_;
    AudioGrabber audio_;
    Recorder recorder_;
    int status_ = 0;
    double stopMs_ = 0;
    double finishMs_ = 0;
    double recordedMs_ = 0;
    QElapsedTimer recording_;
    qint64 stallNs_ = 0;
    QElapsedTimer sinceStop_;
    QElapsedTimer sinceTick_;
    QTimer probe_;
};

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    Options options;
    const QString problem =
        args.size() == 2 && args[0] == "--recover" ? QString() : parse(args, &options);
    // Monitors have names only where there is a display; nothing else here needs one.
    const bool named = problem.isEmpty() && !options.output.isEmpty();
    if (named && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        QTextStream(stderr) << "--output needs the Wayland desktop's display (WAYLAND_DISPLAY)\n";
        return 1;
    }
    if (named && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    std::unique_ptr<QCoreApplication> application =
        named ? std::make_unique<QGuiApplication>(argc, argv)
              : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    if (args.size() == 2 && args[0] == "--recover")
        return recover(args[1]);
    if (!problem.isEmpty())
        return usage(problem);
    QStringList outputs;
    if (!options.output.isEmpty() && !PortalScreen::outputExists(options.output, &outputs)) {
        QTextStream(stderr) << QStringLiteral("No output is named %1 here (outputs: %2).\n")
                                   .arg(options.output, outputs.join(QStringLiteral(", ")));
        return 1;
    }

    if (::pipe(signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    std::unique_ptr<Run> run;
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&run, &app] {
        if (run)
            run->interrupt();
        else
            app.exit(1); // still asking the desktop: nothing recorded yet
    });
    // Lives as long as the recording: the desktop stops sharing when it goes.
    PortalScreen portal(options.tokenFile);
    ScreenGrabber::SourceOpener opener;
    if (options.portal) {
        QString failure = QStringLiteral("interrupted");
        QObject::connect(&portal, &PortalScreen::opened, &app, [&app] { app.exit(0); });
        QObject::connect(&portal, &PortalScreen::failed, &app, [&](const QString& message) {
            failure = message;
            app.exit(1);
        });
        portal.open();
        if (app.exec() != 0) {
            QTextStream(stderr) << failure << "\n";
            return 1;
        }
        const QString unshared =
            options.output.isEmpty() ? QString() : portal.chooseOutput(options.output);
        if (!unshared.isEmpty()) {
            QTextStream(stderr) << unshared << "\n";
            return 1;
        }
        opener = portal.opener();
    }
    run = std::make_unique<Run>(app, options, opener);
    return run->exec();
}
