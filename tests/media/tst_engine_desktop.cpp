// The recording engine against the test desktop's real X display and PulseAudio; every file
// is read back with ffprobe/ffmpeg.

#include "engine_support.h"
#include "mp4_readback.h"
#include "tests/support/NoiseWindow.h"

#include "media/AudioCodecSettings.h"
#include "media/AudioFormat.h"
#include "media/AudioGrabber.h"
#include "media/Encoder.h"
#include "media/MediaTypes.h"
#include "media/Recorder.h"
#include "media/RecorderSetup.h"
#include "media/RecordingRecovery.h"
#include "media/ScreenGrabber.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace enginetest;

namespace {

// Finishing a few seconds of recording takes a moment; a minute means it hangs.
constexpr int kFinishWaitMs = 60000;

// The three objects the program owns, configured as the program does, with spies on every
// error signal.
struct Rig {
    ScreenGrabber screen;
    AudioGrabber audio;
    Recorder recorder;
    QSignalSpy encoderErrors{recorder.encoder(), &Encoder::error};
    QSignalSpy audioErrors{&audio, &AbstractGrabber::error};
    QSignalSpy screenErrors{&screen, &AbstractGrabber::error};
    QSignalSpy finished{&recorder, &Recorder::finished};
    Rig() { setUpRecorder(recorder, screen, audio); }
    // Waits until `count` files have been finished (finishing runs on a thread of its own).
    bool waitForFinished(int count) {
        while (finished.count() < count)
            if (!finished.wait(kFinishWaitMs))
                return false;
        return true;
    }
    // Stops the recording and waits for its file: what the program's stop button leads to.
    bool stopAndFinish() {
        const int before = finished.count();
        recorder.stop();
        return waitForFinished(before + 1) && finished.last().at(1).toString().isEmpty();
    }
    qint64 frames() const { return recorder.statistics().encodedFrames; }
    bool noErrors() const {
        return encoderErrors.isEmpty() && audioErrors.isEmpty() && screenErrors.isEmpty();
    }
};

int sineModuleId() {
    const Run r = run("pactl", {"list", "short", "modules"});
    for (const QByteArray& line : r.out.split('\n'))
        if (line.contains("module-sine-source"))
            return line.split('\t').value(0).toInt();
    return -1;
}

} // namespace

class EngineDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void emptyAreaIsRefused();
    void unusableSettingsAreRefused();
    void secondStartIsRefusedWhileTheFirstGoesOn();
    void oddAreaWithSoundMakesAnOrdinaryMp4();
    void unwritablePathIsReported();
    void missingSoundServerIsAnAudioError();
    void microphoneGoingAwayLeavesSilence();
    void pauseIsToldAndStopWhilePausedEndsAtThePause();
    void missingDisplayIsReported();
    void shrinkingScreenEndsTheRecordingWithAnError();
    void fullDiskKeepsWhatWasWritten();
    void stopReturnsWhileTheFileIsFinished();
    void recoveryFinishesAFragmentedFile();
    void recoveryOnAFullDiskKeepsTheFile();
    void recoveryKeepsWhatCannotBePlayed();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    // A fragmented recording as a killed run leaves it: a copy taken while recording.
    QString fragmentedRecording(const QString& name);
    QTemporaryDir dir_;
};

void EngineDesktop::initTestCase() {
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    QVERIFY(dir_.isValid());
}

void EngineDesktop::emptyAreaIsRefused() {
    Rig rig;
    for (const QRect& area : {QRect(), QRect(10, 10, 0, 5), QRect(10, 10, 7, 0)}) {
        rig.encoderErrors.clear();
        aimRecorder(rig.recorder, rig.screen, area, path("empty.mp4"), false);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.encoderErrors.count(), 1);
        QCOMPARE(rig.encoderErrors.at(0).at(0).value<Encoder::Error>(),
                 Encoder::InvalidSettingsError);
        QVERIFY2(rig.recorder.encoder()->errorString().contains("empty"),
                 qPrintable(rig.recorder.encoder()->errorString()));
        rig.recorder.stop(); // what the program's error handler does: harmless
        QVERIFY(!QFile::exists(path("empty.mp4")));
    }
}

void EngineDesktop::unusableSettingsAreRefused() {
    // A codec the engine does not have: refused before anything is opened.
    {
        Rig rig;
        rig.recorder.encoder()->setVideoCodec(EncoderGlobal::VideoCodec(13));
        aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("codec.mp4"), false);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.encoderErrors.count(), 1);
        QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::InvalidSettingsError);
        QVERIFY(!QFile::exists(path("codec.mp4")));
    }
    // Sound samples handed over in another layout than the grabber's.
    {
        Rig rig;
        AudioCodecSettings sound = rig.recorder.encoder()->audioCodecSettings();
        sound.setSampleFormat(EncoderGlobal::FLT);
        rig.recorder.encoder()->setAudioCodecSettings(sound);
        aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("samples.mp4"), true);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.encoderErrors.count(), 1);
        QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::InvalidSettingsError);
        QVERIFY(!QFile::exists(path("samples.mp4")));
    }
    // An area off the screen.
    {
        Rig rig;
        aimRecorder(rig.recorder, rig.screen, QRect(1900, 1000, 100, 100), path("off.mp4"), false);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.encoderErrors.count(), 1);
        QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::SourceError);
        QVERIFY2(rig.recorder.encoder()->errorString().contains("1920 x 1080"),
                 qPrintable(rig.recorder.encoder()->errorString()));
    }
    // A sound source that does not exist, and a sample layout the engine cannot read: audio
    // errors, as the program shows them under its own title.
    {
        Rig rig;
        rig.audio.setDeviceIndex(99);
        aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("nomic.mp4"), true);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.audioErrors.count(), 1);
        QCOMPARE(rig.audio.lastError(), AbstractGrabber::DeviceOpenError);
        QVERIFY2(rig.audio.errorString().contains("99"), qPrintable(rig.audio.errorString()));

        AudioFormat bigEndian = rig.audio.format();
        bigEndian.setFormat(AudioFormat::Format_S16BE);
        rig.audio.setFormat(bigEndian);
        rig.audio.setDeviceIndex(0);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.audioErrors.count(), 2);
        QCOMPARE(rig.audio.lastError(), AbstractGrabber::InvalidSettingsError);
        QCOMPARE(rig.encoderErrors.count(), 0);
    }
}

void EngineDesktop::secondStartIsRefusedWhileTheFirstGoesOn() {
    Rig rig;
    const QString first = path("first.mp4"), second = path("second.mp4");
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 320, 240), first, false);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= 10, 20000);

    // The program changes path and area before its second start; neither may reach the
    // running recording.
    aimRecorder(rig.recorder, rig.screen, QRect(5, 5, 64, 64), second, true);
    rig.recorder.start();
    QTRY_COMPARE(rig.encoderErrors.count(), 1);
    QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::AlreadyRecordingError);
    QVERIFY(!rig.recorder.encoder()->errorString().isEmpty());
    QVERIFY(rig.recorder.isRecording());
    const qint64 before = rig.frames();
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= before + 20, 20000);
    QVERIFY(rig.stopAndFinish());
    QVERIFY(!rig.recorder.isRecording());

    QCOMPARE(rig.encoderErrors.count(), 1);
    QVERIFY(!QFile::exists(second));
    const readback::Facts info = readback::probe(first);
    QVERIFY2(info.readable, qPrintable(info.error));
    QCOMPARE(info.stream("video").width, 320);
    QCOMPARE(info.stream("video").height, 240);
    QVERIFY(info.stream("audio").codec.isEmpty()); // the first recording had no sound
    QVERIFY2(info.duration >= 1.4, qPrintable(QString::number(info.duration)));
}

void EngineDesktop::oddAreaWithSoundMakesAnOrdinaryMp4() {
    Rig rig;
    const QString file = path("odd.mp4"), snapshot = path("snapshot.mp4");
    const QRect area(33, 44, 101, 57);
    aimRecorder(rig.recorder, rig.screen, area, file, true);
    QElapsedTimer clock;
    clock.start();
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    // The area is still: a picture at the start, then one every half second.
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 2500 && rig.frames() >= 3, 30000);

    // What a program killed now would leave: fragments that already play.
    QVERIFY(QFile::copy(file, snapshot));
    QVERIFY2(readback::topLevelBoxes(snapshot).contains("moof"),
             qPrintable(readback::topLevelBoxes(snapshot).join(' ')));
    const readback::Facts partial = readback::probe(snapshot);
    QVERIFY2(partial.readable, qPrintable(partial.error));
    QVERIFY2(partial.duration >= 1.0, qPrintable(QString::number(partial.duration)));

    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 4000, 10000);
    const double elapsed = clock.elapsed() / 1000.0;
    QVERIFY(rig.stopAndFinish());
    QVERIFY(rig.noErrors());

    // An ordinary MP4: index in front, no fragments.
    const QStringList boxes = readback::topLevelBoxes(file);
    QVERIFY2(!boxes.contains("moof") && !boxes.contains("mfra") && !boxes.contains("sidx"),
             qPrintable(boxes.join(' ')));
    QVERIFY2(boxes.indexOf("moov") >= 0 && boxes.indexOf("moov") < boxes.indexOf("mdat"),
             qPrintable(boxes.join(' ')));

    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    QCOMPARE(info.stream("video").codec, QString("h264"));
    // 4:2:0 needs even sizes: one column and row of padding at most.
    QVERIFY2(info.stream("video").width - area.width() == 1 &&
                 info.stream("video").height - area.height() == 1,
             qPrintable(QStringLiteral("%1x%2")
                            .arg(info.stream("video").width)
                            .arg(info.stream("video").height)));
    QCOMPARE(info.stream("audio").codec, QString("mp3"));
    QCOMPARE(info.stream("audio").sampleRate, 44100);
    QCOMPARE(info.stream("audio").channels, 2);
    // Time is not stretched: the file lasts as long as the recording did (start and stop
    // take a moment of their own).
    QVERIFY2(
        info.stream("video").duration > elapsed - 0.8 &&
            info.stream("video").duration < elapsed + 0.3,
        qPrintable(QStringLiteral("%1 vs %2").arg(info.stream("video").duration).arg(elapsed)));
    QVERIFY2(qAbs(info.stream("audio").duration - info.stream("video").duration) < 0.3,
             qPrintable(QStringLiteral("%1 vs %2")
                            .arg(info.stream("audio").duration)
                            .arg(info.stream("video").duration)));
    const QString errors = readback::decodeErrors(file);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    // Both streams from zero, the pictures on the capture clock's ticks.
    const QString fault = readback::timelineFault(file, kPicturePeriodMs / 1000.0);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // The test desktop's microphone is a 440 Hz tone.
    QVERIFY2(readback::maxVolume(file, 0.5, 1.0) > -30,
             qPrintable(QString::number(readback::maxVolume(file, 0.5, 1.0))));

    const QString x264 = readback::x264Settings(file);
    QVERIFY2(!x264.isEmpty(), "no x264 settings in the stream");
    const QMap<QString, QString> settings = readback::parseSettings(x264);
    const QList<QPair<QString, QString>> expected{
        {"cabac", "0"},       {"deblock", "1:0:0"}, {"chroma_me", "0"},   {"analyse", "0x1:0x11"},
        {"me", "hex"},        {"subme", "3"},       {"me_range", "16"},   {"keyint", "250"},
        {"keyint_min", "25"}, {"scenecut", "40"},   {"qcomp", "0.60"},    {"qpmin", "0"},
        {"qpmax", "69"},      {"qpstep", "4"},      {"ip_ratio", "1.41"}, {"fast_pskip", "1"},
        {"weightp", "0"}};
    for (const auto& [key, value] : expected)
        QVERIFY2(settings.value(key) == value,
                 qPrintable(QStringLiteral("%1=%2, want %3 in: %4")
                                .arg(key, settings.value(key), value, x264)));
    // x264 prints the B-frame decision and direct mode only when B-frames are in use.
    if (settings.value("bframes") != "0") {
        QCOMPARE(settings.value("b_adapt"), QString("1"));
        QCOMPARE(settings.value("direct"), QString("1"));
    }
}

void EngineDesktop::unwritablePathIsReported() {
    Rig rig;
    const QString missingFolder = path("no-such-folder/x.mp4");
    for (const QString& target : {missingFolder, dir_.path()}) {
        rig.encoderErrors.clear();
        aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), target, false);
        rig.recorder.start();
        QVERIFY(!rig.recorder.isRecording());
        QTRY_COMPARE(rig.encoderErrors.count(), 1);
        QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::FileOpenError);
        QVERIFY2(rig.recorder.encoder()->errorString().contains(target),
                 qPrintable(rig.recorder.encoder()->errorString()));
    }
    QVERIFY(!QFile::exists(missingFolder));
}

void EngineDesktop::missingSoundServerIsAnAudioError() {
    const QByteArray saved = qgetenv("PULSE_SERVER");
    auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", saved); });
    qputenv("PULSE_SERVER", ("unix:" + path("no-server.socket")).toLocal8Bit());
    Rig rig;
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("nosound.mp4"), true);
    rig.recorder.start();
    QVERIFY(!rig.recorder.isRecording());
    QTRY_COMPARE(rig.audioErrors.count(), 1);
    QCOMPARE(rig.audio.lastError(), AbstractGrabber::DeviceOpenError);
    QVERIFY2(rig.audio.errorString().contains("sound server"), qPrintable(rig.audio.errorString()));
    QCOMPARE(rig.encoderErrors.count(), 0);

    // Without sound the same objects still record.
    restore.dismiss();
    qputenv("PULSE_SERVER", saved);
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("nosound.mp4"), false);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= 5, 20000);
    QVERIFY(rig.stopAndFinish());
    QVERIFY(readback::probe(path("nosound.mp4")).readable);
}

void EngineDesktop::microphoneGoingAwayLeavesSilence() {
    const int module = sineModuleId();
    QVERIFY2(module >= 0, "the test desktop has no sine source");
    auto restore = qScopeGuard([] {
        if (sineModuleId() < 0) {
            run("pactl", {"load-module", "module-sine-source", "source_name=microphone",
                          "rate=44100", "frequency=440"});
            run("pactl", {"set-default-source", "microphone"});
        }
    });
    Rig rig;
    QSignalSpy lost(&rig.recorder, &Recorder::soundLost);
    const QString file = path("lost.mp4");
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 128, 96), file, true);
    QElapsedTimer clock;
    clock.start();
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 2500, 10000);
    QCOMPARE(run("pactl", {"unload-module", QString::number(module)}).exitCode, 0);
    const double lostAt = clock.elapsed() / 1000.0;
    // The user hears of it once, in words, while the recording goes on.
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
    const QString message = lost.first().at(0).toString();
    QVERIFY2(message.contains("sound stopped") && message.contains("microphone"),
             qPrintable(message));
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 5500, 10000);
    QVERIFY(rig.recorder.isRecording());
    QVERIFY(rig.stopAndFinish());
    QVERIFY(rig.noErrors());
    QCOMPARE(lost.count(), 1);

    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    QVERIFY2(info.stream("video").duration > 4.5,
             qPrintable(QString::number(info.stream("video").duration)));
    QVERIFY2(qAbs(info.stream("audio").duration - info.stream("video").duration) < 0.3,
             qPrintable(QStringLiteral("%1 vs %2")
                            .arg(info.stream("audio").duration)
                            .arg(info.stream("video").duration)));
    const double before = readback::maxVolume(file, 0.5, 1.0);
    const double after =
        readback::maxVolume(file, lostAt + 0.5, info.stream("audio").duration - lostAt - 0.7);
    QVERIFY2(before > -30, qPrintable(QString::number(before)));
    QVERIFY2(after < -60, qPrintable(QString::number(after)));
}

void EngineDesktop::pauseIsToldAndStopWhilePausedEndsAtThePause() {
    Rig rig;
    QSignalSpy paused(&rig.recorder, &Recorder::paused);
    QSignalSpy resumed(&rig.recorder, &Recorder::resumed);
    // Nothing to pause before a recording.
    rig.recorder.pause();
    QCOMPARE(paused.count(), 0);
    const QString file = path("stopped-paused.mp4");
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 128, 96), file, true);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    QTest::qWait(1200);
    rig.recorder.pause();
    rig.recorder.pause();
    QCOMPARE(paused.count(), 1);
    QVERIFY(rig.recorder.isPaused());
    QTest::qWait(700);
    rig.recorder.resume();
    rig.recorder.resume();
    QCOMPARE(resumed.count(), 1);
    QVERIFY(!rig.recorder.isPaused());
    QTest::qWait(800);
    rig.recorder.pause();
    QTest::qWait(1500);
    // Stopped during the second pause: the file ends where it began, and the sound of the
    // pause is not waited for.
    QElapsedTimer finishing;
    finishing.start();
    QVERIFY(rig.stopAndFinish());
    QVERIFY2(finishing.elapsed() < 2000, qPrintable(QString::number(finishing.elapsed())));
    QVERIFY(!rig.recorder.isPaused());
    QVERIFY(rig.noErrors());
    QVERIFY(std::abs(rig.recorder.statistics().pausedMs - 2200) < 150);
    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    for (const char* type : {"video", "audio"})
        QVERIFY2(
            std::abs(info.stream(type).duration - 2.0) < 0.2,
            qPrintable(
                QStringLiteral("%1: %2 s, want 2 s").arg(type).arg(info.stream(type).duration)));
}

void EngineDesktop::missingDisplayIsReported() {
    const QByteArray saved = qgetenv("DISPLAY");
    auto restore = qScopeGuard([&] { qputenv("DISPLAY", saved); });
    qputenv("DISPLAY", ":4242");
    Rig rig;
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 64, 64), path("nodisplay.mp4"), false);
    rig.recorder.start();
    QVERIFY(!rig.recorder.isRecording());
    QTRY_COMPARE(rig.encoderErrors.count(), 1);
    QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::SourceError);
    QVERIFY2(rig.recorder.encoder()->errorString().contains(":4242"),
             qPrintable(rig.recorder.encoder()->errorString()));
    QCOMPARE(rig.screenErrors.count(), 1);
    QVERIFY(!QFile::exists(path("nodisplay.mp4")));
}

void EngineDesktop::shrinkingScreenEndsTheRecordingWithAnError() {
    // Xvfb resizes its frame buffer on request (xrandr --fb), which is what a monitor
    // change does to the root window.
    // Growing the frame buffer back leaves the output without a mode, which later tests
    // would see as a desktop without screens: switch the output back on as well.
    auto restore = qScopeGuard([] {
        run("xrandr", {"--fb", "1920x1080"});
        run("xrandr", {"--auto"});
    });
    Rig rig;
    const QString file = path("shrunk.mp4");
    aimRecorder(rig.recorder, rig.screen, QRect(1500, 900, 200, 100), file, false);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    // A still area: a picture at the start, then one every half second; a second of it.
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= 3, 20000);
    run("xrandr", {"--fb", "1280x720"});
    QTRY_COMPARE_WITH_TIMEOUT(rig.encoderErrors.count(), 1, 10000);
    QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::SourceError);
    QVERIFY2(rig.recorder.encoder()->errorString().contains("1280 x 720"),
             qPrintable(rig.recorder.encoder()->errorString()));
    QCOMPARE(rig.screenErrors.count(), 1);
    // The recording was ended by the engine; the program's stop() is harmless, and the file
    // is finished as after a stop.
    QVERIFY(!rig.recorder.isRecording());
    rig.recorder.stop();
    QVERIFY(rig.waitForFinished(1));
    QCOMPARE(rig.finished.at(0).at(0).toString(), file);
    QCOMPARE(rig.finished.at(0).at(1).toString(), QString());

    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    QVERIFY2(info.duration >= 1.0, qPrintable(QString::number(info.duration)));
    QVERIFY(!readback::topLevelBoxes(file).contains("moof"));
}

void EngineDesktop::fullDiskKeepsWhatWasWritten() {
    NoiseWindow noise;
    noise.setGeometry(100, 100, 320, 240);
    noise.show();
    QVERIFY(QTest::qWaitForWindowExposed(&noise));

    // The file may not grow beyond 400 kB: writes beyond fail as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &saved); });
    rlimit small = saved;
    small.rlim_cur = 400 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);

    Rig rig;
    const QString file = path("full.mp4");
    aimRecorder(rig.recorder, rig.screen, noise.geometry(), file, false);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());
    QTRY_COMPARE_WITH_TIMEOUT(rig.encoderErrors.count(), 1, 60000);
    QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::WriteError);
    QVERIFY2(rig.recorder.encoder()->errorString().contains("disk is full"),
             qPrintable(rig.recorder.encoder()->errorString()));
    QVERIFY(!rig.recorder.isRecording());
    rig.recorder.stop();
    // The file is not finished (there is no room for that) and says so.
    QVERIFY(rig.waitForFinished(1));
    QVERIFY2(rig.finished.at(0).at(1).toString().contains("disk is full"),
             qPrintable(rig.finished.at(0).at(1).toString()));
    restore.dismiss();
    setrlimit(RLIMIT_FSIZE, &saved);

    // What was written before the disk filled up still plays.
    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    QVERIFY2(info.duration >= 0.5, qPrintable(QString::number(info.duration)));
    QCOMPARE(info.stream("video").width, 320);
}

void EngineDesktop::stopReturnsWhileTheFileIsFinished() {
    // Changing content, so pictures are encoded at the full rate (a still screen gives two a
    // second) and the file has something to finish.
    NoiseWindow noise;
    noise.setGeometry(0, 0, 320, 240);
    noise.show();
    QVERIFY(QTest::qWaitForWindowExposed(&noise));
    Rig rig;
    QSignalSpy stopped(&rig.recorder, &Recorder::stopped);
    const QString first = path("async-first.mp4"), second = path("async-second.mp4");
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 320, 240), first, true);
    rig.recorder.start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= 40, 20000);
    rig.recorder.stop();

    // stop() has returned without waiting for the file: the recording is over, its file is
    // still being finished, and finished() can only come from the event loop.
    QVERIFY(!rig.recorder.isRecording());
    QVERIFY(rig.recorder.isFinishing());
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(rig.finished.count(), 0);

    // Meanwhile the same file cannot be recorded into; another one can.
    rig.recorder.start();
    QVERIFY(!rig.recorder.isRecording());
    QTRY_COMPARE(rig.encoderErrors.count(), 1);
    QCOMPARE(rig.recorder.encoder()->lastError(), Encoder::FileOpenError);
    QVERIFY2(rig.recorder.encoder()->errorString().contains("still being finished"),
             qPrintable(rig.recorder.encoder()->errorString()));
    aimRecorder(rig.recorder, rig.screen, QRect(0, 0, 160, 120), second, false);
    rig.recorder.start();
    QVERIFY(rig.recorder.isRecording());

    QVERIFY(rig.waitForFinished(1));
    QCOMPARE(rig.finished.at(0).at(0).toString(), first);
    QCOMPARE(rig.finished.at(0).at(1).toString(), QString());
    const QStringList boxes = readback::topLevelBoxes(first);
    QVERIFY2(!boxes.contains("moof") && boxes.indexOf("moov") < boxes.indexOf("mdat"),
             qPrintable(boxes.join(' ')));
    QVERIFY(!QFile::exists(finishingPath(first)));
    const readback::Facts info = readback::probe(first);
    QVERIFY2(info.readable, qPrintable(info.error));
    QCOMPARE(info.count("video"), 1);
    QCOMPARE(info.count("audio"), 1);
    QVERIFY2(info.duration >= 1.5, qPrintable(QString::number(info.duration)));
    const QString errors = readback::decodeErrors(first);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    // The second recording went on through all of this.
    QVERIFY(rig.recorder.isRecording());
    QTRY_VERIFY_WITH_TIMEOUT(rig.frames() >= 20, 20000);
    QVERIFY(rig.stopAndFinish());
    QCOMPARE(rig.finished.at(1).at(0).toString(), second);
    QVERIFY(!rig.recorder.isFinishing());
    QVERIFY(!readback::topLevelBoxes(second).contains("moof"));
    QCOMPARE(rig.encoderErrors.count(), 1);
}

QString EngineDesktop::fragmentedRecording(const QString& name) {
    // Changing content: pictures at the full rate fill every fragment with video.
    NoiseWindow noise;
    noise.setGeometry(40, 40, 320, 240);
    noise.show();
    if (!QTest::qWaitForWindowExposed(&noise))
        return {};
    Rig rig;
    const QString recording = path(name + "-source.mp4"), copy = path(name);
    aimRecorder(rig.recorder, rig.screen, QRect(40, 40, 320, 240), recording, true);
    rig.recorder.start();
    if (!rig.recorder.isRecording())
        return {};
    // Two seconds and more: several fragments, the last one possibly cut in the middle.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500)
        QTest::qWait(50);
    QFile::remove(copy);
    const bool copied = QFile::copy(recording, copy);
    rig.stopAndFinish();
    return copied && readback::topLevelBoxes(copy).contains("moof") ? copy : QString();
}

void EngineDesktop::recoveryFinishesAFragmentedFile() {
    const QString file = fragmentedRecording("recover.mp4");
    QVERIFY(!file.isEmpty());
    const RecoveryReport report = recoverRecording(file);
    QCOMPARE(report.outcome, RecoveryReport::Finished);
    QVERIFY(report.message.isEmpty());
    QVERIFY(!QFile::exists(finishingPath(file)));

    const QStringList boxes = readback::topLevelBoxes(file);
    QVERIFY2(!boxes.contains("moof") && boxes.indexOf("moov") < boxes.indexOf("mdat"),
             qPrintable(boxes.join(' ')));
    const readback::Facts info = readback::probe(file);
    QVERIFY2(info.readable, qPrintable(info.error));
    QCOMPARE(info.count("video"), 1);
    QCOMPARE(info.count("audio"), 1);
    QVERIFY2(info.duration >= 1.0, qPrintable(QString::number(info.duration)));
    QVERIFY2(qAbs(report.seconds - info.duration) < 0.2,
             qPrintable(QStringLiteral("%1 vs %2").arg(report.seconds).arg(info.duration)));
    const QString errors = readback::decodeErrors(file);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));

    // A finished file is left as it is.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray finished = f.readAll();
    f.close();
    const RecoveryReport again = recoverRecording(file);
    QCOMPARE(again.outcome, RecoveryReport::AlreadyFinished);
    QVERIFY(again.seconds > 1.0);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), finished);
}

void EngineDesktop::recoveryOnAFullDiskKeepsTheFile() {
    const QString file = fragmentedRecording("recover-full.mp4");
    QVERIFY(!file.isEmpty());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray original = f.readAll();
    f.close();

    // The rewritten file may not grow beyond half the recording: as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &saved); });
    rlimit small = saved;
    small.rlim_cur = rlim_t(original.size() / 2);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const RecoveryReport report = recoverRecording(file);
    restore.dismiss();
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(report.outcome, RecoveryReport::KeptAsItWas);
    QVERIFY2(report.message.contains("disk is full"), qPrintable(report.message));
    QVERIFY(report.seconds >= 1.0);
    QVERIFY(!QFile::exists(finishingPath(file)));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), original);
    f.close();
    // With room again it is finished.
    QCOMPARE(recoverRecording(file).outcome, RecoveryReport::Finished);
}

void EngineDesktop::recoveryKeepsWhatCannotBePlayed() {
    const QList<QPair<QString, QByteArray>> files{
        {path("empty.mp4"), QByteArray()},
        {path("garbage.mp4"), QByteArray(5000, 'x')},
        // Only the start of a recording: its header, killed before the first fragment.
        {path("header-only.mp4"), QByteArray()}};
    {
        const QString fragmented = fragmentedRecording("header-source.mp4");
        QVERIFY(!fragmented.isEmpty());
        QFile f(fragmented);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        const qsizetype moof = data.indexOf("moof");
        QVERIFY(moof > 4);
        QFile header(files[2].first);
        QVERIFY(header.open(QIODevice::WriteOnly));
        header.write(data.left(moof - 4));
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i].first;
        if (i < 2) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(files[i].second);
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        const RecoveryReport report = recoverRecording(file);
        QCOMPARE(report.outcome, RecoveryReport::Unplayable);
        QVERIFY2(report.message.contains(file), qPrintable(report.message));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
    const RecoveryReport missing = recoverRecording(path("no-such-recording.mp4"));
    QCOMPARE(missing.outcome, RecoveryReport::Unplayable);
    QVERIFY(!QFile::exists(path("no-such-recording.mp4")));
}

QTEST_MAIN(EngineDesktop)
#include "tst_engine_desktop.moc"
