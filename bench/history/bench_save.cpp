// Worst stall of the event loop while RecordingSaver moves a large recording: a 10 ms timer
// runs on the thread that started the save, and its worst lateness is what a user would feel
// as a frozen window. Runs a copy across file systems (the slow path, with progress) and a
// rename within one, with the saver alone and then through the program's save flow (the one
// the Save button and the history use), whose progress window repaints as the copy goes.
//
//   bench_save [size in MB, default 1024] [source folder] [target folder]
// The defaults put the source in the temporary folder and the target in /dev/shm, which are
// different file systems on most machines.
#include "history/RecordingSaver.h"
#include "widgets/ProgressWidget.h"
#include "widgets/SaveRecordingFlow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

// The interval of the probing timer: the period of a smoothly repainting window.
constexpr int kProbeMs = 10;

bool makeFile(const QString& path, qint64 megabytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (qint64 i = 0; i < megabytes; ++i) {
        for (qsizetype j = 0; j < block.size(); j += 4096)
            block[j] = char(i + j);
        if (f.write(block) != block.size())
            return false;
    }
    return f.flush();
}

struct Run {
    bool ok = false;
    double seconds = 0;
    double worstLateMs = 0;
    int progressReports = 0;
};

Run measure(const QString& source, const QString& target) {
    Run run;
    RecordingSaver saver;
    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kProbeMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double late = sinceTick.nsecsElapsed() / 1e6 - kProbeMs;
        run.worstLateMs = std::max(run.worstLateMs, late);
        sinceTick.restart();
    });
    QObject::connect(&saver, &RecordingSaver::progressChanged, [&](int) { ++run.progressReports; });
    QObject::connect(&saver, &RecordingSaver::finished, [&] {
        run.ok = true;
        loop.quit();
    });
    QObject::connect(&saver, &RecordingSaver::failed,
                     [&](const QString&, const QString&, const QString& message) {
                         std::fprintf(stderr, "failed: %s\n", qPrintable(message));
                         loop.quit();
                     });
    clock.start();
    sinceTick.start();
    probe.start();
    // The start itself is measured too: it runs on this thread.
    QTimer::singleShot(0, [&] { saver.start(source, target); });
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    return run;
}

// The same through the save flow, without its dialog: the target is given.
Run measureFlow(const QString& source, const QString& target) {
    Run run;
    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kProbeMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double late = sinceTick.nsecsElapsed() / 1e6 - kProbeMs;
        run.worstLateMs = std::max(run.worstLateMs, late);
        sinceTick.restart();
    });
    clock.start();
    sinceTick.start();
    probe.start();
    QTimer::singleShot(0, [&] {
        SaveRecordingFlow* flow =
            SaveRecordingFlow::saveRecordingTo(source, target, nullptr, nullptr);
        QObject::connect(flow, &SaveRecordingFlow::done,
                         [&](const QString&, const QString&, bool saved) {
                             run.ok = saved;
                             loop.quit();
                         });
        // Counts the progress window's showings of a value, as a user sees them.
        auto* watch = new QTimer(flow);
        QObject::connect(watch, &QTimer::timeout, [&, flow] {
            if (flow->progressWindow() && flow->progressWindow()->isVisible())
                ++run.progressReports;
        });
        watch->start(100);
    });
    loop.exec();
    run.seconds = clock.nsecsElapsed() / 1e9;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    // The flow shows a window: without a display it draws offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 1024;
    QTemporaryDir sourceDir(args.size() > 2
                                ? args[2] + QStringLiteral("/bench-save-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/bench-save-XXXXXX"));
    QTemporaryDir targetDir(args.size() > 3 ? args[3] + QStringLiteral("/bench-save-XXXXXX")
                                            : QStringLiteral("/dev/shm/bench-save-XXXXXX"));
    if (!sourceDir.isValid() || !targetDir.isValid()) {
        std::fprintf(stderr, "can not make the folders\n");
        return 1;
    }
    const QString source = sourceDir.filePath(QStringLiteral("recording.mp4"));
    const QString across = targetDir.filePath(QStringLiteral("saved.mp4"));
    const QString within = sourceDir.filePath(QStringLiteral("moved.mp4"));
    if (!makeFile(source, megabytes)) {
        std::fprintf(stderr, "can not write %lld MB to %s\n", megabytes, qPrintable(source));
        return 1;
    }
    std::printf("save of %lld MB, probe timer %d ms\n", megabytes, kProbeMs);
    // Across file systems: a copy, then the recording is removed.
    const Run copy = measure(source, across);
    std::printf("copy  %s -> %s: %s in %.2f s (%.0f MB/s), %d progress reports, worst timer "
                "lateness %.1f ms\n",
                qPrintable(sourceDir.path()), qPrintable(targetDir.path()),
                copy.ok ? "saved" : "FAILED", copy.seconds, megabytes / copy.seconds,
                copy.progressReports, copy.worstLateMs);
    if (!copy.ok)
        return 1;
    // Within one file system: the same file moved back by a rename.
    const Run move = measure(across, source);
    std::printf("copy back: %s in %.2f s, worst timer lateness %.1f ms\n",
                move.ok ? "saved" : "FAILED", move.seconds, move.worstLateMs);
    const Run rename = measure(source, within);
    std::printf("rename within %s: %s in %.3f s, worst timer lateness %.1f ms\n",
                qPrintable(sourceDir.path()), rename.ok ? "saved" : "FAILED", rename.seconds,
                rename.worstLateMs);
    // The program's save flow: a copy across file systems with its progress window, then a
    // rename back.
    const Run flowCopy = measureFlow(within, across);
    std::printf("save flow, copy with the progress window: %s in %.2f s, window seen %d times "
                "at 100 ms, worst timer lateness %.1f ms (goal < 100 ms)\n",
                flowCopy.ok ? "saved" : "FAILED", flowCopy.seconds, flowCopy.progressReports,
                flowCopy.worstLateMs);
    const Run flowCopyBack = measureFlow(across, within);
    std::printf("save flow, copy back: %s in %.2f s, worst timer lateness %.1f ms\n",
                flowCopyBack.ok ? "saved" : "FAILED", flowCopyBack.seconds,
                flowCopyBack.worstLateMs);
    return copy.ok && move.ok && rename.ok && flowCopy.ok && flowCopyBack.ok ? 0 : 1;
}
