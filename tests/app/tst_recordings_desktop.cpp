// The recordings kept for the user, as the built program shows them on the test desktop:
// a recording cut off by kill -9 comes back at the next start, finished and listed, and the
// history rows of recordings that were not sent upload, save and delete them for real
// (files checked on disk, the upload against the real test service).
#include "DesktopHelpers.h"
#include "tests/media/mp4_readback.h"
#include "tests/support/NoiseWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <utime.h>

using namespace Desktop;

namespace {

const QString kCaptureTitle = QStringLiteral("Clipnest capture");
const QString kHistoryTitle = QStringLiteral("Clipnest history");

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString recordingsFolder(const AppHome& home) {
    return home.recordingsDir();
}

QStringList recordingFiles(const AppHome& home) {
    QStringList files;
    for (const QString& name :
         QDir(recordingsFolder(home)).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name))
        files << recordingsFolder(home) + QLatin1Char('/') + name;
    return files;
}

// The state the program keeps beside a recording ("recording", "recovered", ...).
QString stateOf(const AppHome& home, const QString& file) {
    const QJsonArray all = QJsonDocument::fromJson(readFile(recordingsFolder(home) +
                                                            QStringLiteral("/recordings.json")))
                               .object()
                               .value(QStringLiteral("recordings"))
                               .toArray();
    for (const QJsonValue& v : all) {
        if (v.toObject().value(QStringLiteral("file")).toString() == QFileInfo(file).fileName())
            return v.toObject().value(QStringLiteral("state")).toString();
    }
    return QString();
}

// Where `picture` shows inside `region` now; a null point when it does not.
QPoint pictureOnScreen(const QRect& region, const QString& picture) {
    const QImage image(picture);
    return image.isNull() ? QPoint() : findPicture(screenshot(), region, image);
}

// From the tray: open the overlay, select `area` and start recording through the overlay's
// context menu. Returns the record panel's geometry (null when the recording did not start).
QRect startRecording(App& app, const QRect& area) {
    click(trayIconWindow(app.pid()), 1);
    if (!waitFor([] { return windowsNamed(kCaptureTitle).size() == 1; }))
        return {};
    drag(area.topLeft(), area.bottomRight());
    clickAt(area.center(), 3);
    if (!waitFor([&] { return !openMenuWindow(app.pid()).isEmpty(); }))
        return {};
    keys({QStringLiteral("Down"), QStringLiteral("Return")}); // "Record"
    if (!waitFor([&] {
            return windowsNamed(kCaptureTitle).isEmpty() && panelWindows(app.pid()).size() == 1;
        }))
        return {};
    return panelWindows(app.pid()).first().second;
}

// Stops the recording with the panel's stop button and closes the finished panels.
bool stopAndClose(App& app, const QRect& recordPanel) {
    // The stop button fills the right part of the panel, after the time.
    clickAt(QPoint(recordPanel.left() + recordPanel.width() * 4 / 5, recordPanel.center().y()));
    QPoint close;
    if (!waitFor([&] {
            for (const auto& w : panelWindows(app.pid())) {
                close = pictureOnScreen(w.second, QStringLiteral(":/Resources/Buttons/close.png"));
                if (!close.isNull())
                    return true;
            }
            return false;
        }))
        return false;
    clickAt(close);
    return waitFor([&] { return panelWindows(app.pid()).isEmpty(); });
}

// Opens the history window from the tray menu; its geometry, or a null rectangle.
QRect openHistory(App& app) {
    if (!openTrayMenu(app.pid()))
        return {};
    keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    if (!waitFor([] { return windowsNamed(kHistoryTitle).size() == 1; }, 15000))
        return {};
    QTest::qWait(300); // drawn
    return windowGeometry(windowsNamed(kHistoryTitle).first());
}

// Clicks the button showing `picture` on the top recording row of the open history window.
bool clickRowButton(const QRect& window, const QString& picture) {
    QPoint button;
    if (!waitFor([&] { return !(button = pictureOnScreen(window, picture)).isNull(); }, 5000))
        return false;
    clickAt(button);
    return true;
}

// A finished MP4 of `seconds` seconds and the given size, made by the ffmpeg program.
bool makeVideo(const QString& path, int seconds, const QSize& size) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc=size=%1x%2:rate=10").arg(size.width()).arg(size.height()),
                  "-t", QString::number(seconds), "-c:v", "libx264", "-pix_fmt", "yuv420p",
                  "-movflags", "+faststart", path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

// Four seconds of a fragmented MP4 cut off in its last fragment, as a kill leaves it.
QByteArray cutRecording(const QString& folder) {
    const QString out = folder + QStringLiteral("/fragmented.mp4");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-v",
                                            "error",
                                            "-y",
                                            "-f",
                                            "lavfi",
                                            "-i",
                                            "testsrc=size=320x240:rate=15",
                                            "-t",
                                            "4",
                                            "-c:v",
                                            "libx264",
                                            "-g",
                                            "8",
                                            "-pix_fmt",
                                            "yuv420p",
                                            "-movflags",
                                            "frag_keyframe+empty_moov+default_base_moof",
                                            "-frag_duration",
                                            "500000",
                                            out});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    const QByteArray whole = readFile(out);
    return whole.left(whole.size() * 5 / 6);
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

bool setModified(const QString& path, const QDateTime& when) {
    struct utimbuf times {};
    times.actime = times.modtime = when.toSecsSinceEpoch();
    return ::utime(QFile::encodeName(path).constData(), &times) == 0;
}

} // namespace

class RecordingsDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("CLIPNEST_TEST_DESKTOP"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
        QVERIFY2(QFile::exists(App::binary()), "the program is not built");
    }

    void aRecordingCutByAKillComesBackAtTheNextStart_data() {
        QTest::addColumn<bool>("changing");
        // Pictures at the full rate, and a still screen, which gives one picture a second.
        QTest::newRow("changing screen") << true;
        QTest::newRow("still screen") << false;
    }

    void aRecordingCutByAKillComesBackAtTheNextStart() {
        QFETCH(bool, changing);
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        const QRect panel = startRecording(app, area);
        QVERIFY2(panel.isValid(), qPrintable(app.output()));
        NoiseWindow noise;
        if (changing) {
            noise.setGeometry(area.adjusted(8, 8, -8, -8));
            noise.show();
        }
        QElapsedTimer recording;
        recording.start();
        while (recording.elapsed() < 7000)
            QTest::qWait(100);
        app.killHard();
        noise.hide();

        const QStringList left = recordingFiles(home);
        QCOMPARE(left.size(), 1);
        const QString file = left.first();
        QCOMPARE(stateOf(home, file), QStringLiteral("recording"));

        App restarted(home);
        QVERIFY(restarted.start());
        QVERIFY(restarted.waitForTray());
        QVERIFY2(waitFor([&] { return stateOf(home, file) == QLatin1String("recovered"); }, 60000),
                 qPrintable(restarted.output()));
        // Said once, with the popup.
        QVERIFY(waitFor(
            [] { return !windowsNamed(QStringLiteral("Clipnest notification")).isEmpty(); }));

        // An ordinary MP4 again, of all but the last moments, that decodes without an error.
        QVERIFY(!readback::topLevelBoxes(file).contains(QStringLiteral("moof")));
        const readback::Facts facts = readback::probe(file);
        QVERIFY2(facts.readable, qPrintable(facts.error));
        // Killed at 7 s, at least 5 s must be left: also on a still screen, where pictures
        // come only every half second and each waits for the next to learn its length.
        QVERIFY2(facts.duration >= 5.0, qPrintable(QString::number(facts.duration)));
        QCOMPARE(facts.stream(QStringLiteral("video")).width, 320);
        const QString errors = readback::decodeErrors(file);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
        const QByteArray recovered = readFile(file);

        // Listed in the history window.
        const QRect history = openHistory(restarted);
        QVERIFY(history.isValid());
        QVERIFY(!pictureOnScreen(history, QStringLiteral(":/Resources/Buttons/row_upload.png"))
                     .isNull());
        keys({QStringLiteral("Escape")});
        clickAt(QPoint(1000, 100)); // elsewhere: the window closes when it loses activation
        QVERIFY(waitFor([] { return windowsNamed(kHistoryTitle).isEmpty(); }));

        // Another recording leaves it as it is.
        const QRect second = startRecording(restarted, QRect(QPoint(600, 400), QPoint(759, 519)));
        QVERIFY(second.isValid());
        QTest::qWait(1500);
        QVERIFY(stopAndClose(restarted, second));
        QVERIFY(waitFor([&] { return recordingFiles(home).size() == 2; }));
        QVERIFY(waitFor([&] {
            return stateOf(home, recordingFiles(home).last()) == QLatin1String("not-uploaded");
        }));
        QCOMPARE(readFile(file), recovered);
        QCOMPARE(stateOf(home, file), QStringLiteral("recovered"));

        // And so does a clean end and start; with recordings not sent the program asks first.
        QVERIFY(openTrayMenu(restarted.pid()));
        keys({QStringLiteral("Up"), QStringLiteral("Return")}); // "Close"
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Clipnest")).size() == 1; }));
        keys({QStringLiteral("alt+q")}); // "Quit"
        QVERIFY(restarted.waitForExit(20000));
        QCOMPARE(restarted.exitCode(), 0);
        App third(home);
        QVERIFY(third.start());
        QVERIFY(third.waitForTray());
        QTest::qWait(2000);
        QCOMPARE(recordingFiles(home).size(), 2);
        QCOMPARE(readFile(file), recovered);
        QCOMPARE(stateOf(home, file), QStringLiteral("recovered"));
    }

    void whatEarlierRunsLeftIsTakenInOnce() {
        AppHome home;
        QTemporaryDir scratch;
        const QByteArray cut = cutRecording(scratch.path());
        QVERIFY(!cut.isEmpty());
        // A run killed while recording one file, and a file that holds nothing playable, both
        // still marked as being recorded.
        const QString folder = recordingsFolder(home);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
        const QString killed = folder + QStringLiteral("/clipnest-2026-12-01_10-00-00.mp4");
        const QString broken = folder + QStringLiteral("/clipnest-2026-12-01_11-00-00.mp4");
        QVERIFY(writeFile(killed, cut));
        QVERIFY(writeFile(broken, "no video in here"));
        QJsonArray entries;
        for (const QString& file : {killed, broken}) {
            entries.append(QJsonObject{{"file", QFileInfo(file).fileName()},
                                       {"state", "recording"},
                                       {"created", "2026-12-01T10:00:00.000"}});
        }
        QVERIFY(writeFile(folder + QStringLiteral("/recordings.json"),
                          QJsonDocument(QJsonObject{{"recordings", entries}}).toJson()));
        // And what an earlier version kept in the runtime folder, with the half-written file
        // of a finish that was cut short beside it.
        const QString oldFolder = home.runtimeDir() + QStringLiteral("/clipnest");
        QVERIFY(QDir().mkpath(oldFolder));
        QVERIFY(QFile::setPermissions(oldFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner));
        const QString old = oldFolder + QStringLiteral("/readyOrNot.mp4");
        QVERIFY(writeFile(old, cut));
        QVERIFY(writeFile(oldFolder + QStringLiteral("/.readyOrNot.mp4.finishing"), "half"));

        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        // The one that cannot be played is said once in a box; the others with the popup.
        const QString box = QStringLiteral("Clipnest");
        QVERIFY2(waitFor([&] { return windowsNamed(box).size() == 1; }, 60000),
                 qPrintable(app.output()));
        QVERIFY(!windowsNamed(QStringLiteral("Clipnest notification")).isEmpty());
        QVERIFY(waitFor([&] { return recordingFiles(home).size() == 3; }));
        QVERIFY(!QFile::exists(old));
        QVERIFY(!QFile::exists(oldFolder + QStringLiteral("/.readyOrNot.mp4.finishing")));
        for (const QString& file : recordingFiles(home)) {
            QVERIFY(waitFor([&] { return stateOf(home, file) == QLatin1String("recovered"); }));
            if (file == broken) {
                QCOMPARE(readFile(file), QByteArray("no video in here"));
                continue;
            }
            const readback::Facts facts = readback::probe(file);
            QVERIFY2(facts.readable && facts.duration >= 2.5, qPrintable(file + facts.error));
            const QString errors = readback::decodeErrors(file);
            QVERIFY2(errors.isEmpty(), qPrintable(errors));
        }
        keys({QStringLiteral("Return")});
        QVERIFY(waitFor([&] { return windowsNamed(box).isEmpty(); }));

        // The next start has nothing more to say, and everything is still there.
        app.killHard();
        App next(home);
        QVERIFY(next.start());
        QVERIFY(next.waitForTray());
        QTest::qWait(3000);
        QVERIFY(windowsNamed(box).isEmpty());
        QVERIFY(windowsNamed(QStringLiteral("Clipnest notification")).isEmpty());
        QCOMPARE(recordingFiles(home).size(), 3);
        QCOMPARE(readFile(broken), QByteArray("no video in here"));
    }

    void historyRowsUploadSaveAndDeleteRecordings() {
        const QString service = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        if (service.isEmpty())
            QSKIP("needs the reference upload service of the test desktop");
        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("first"), false);
            stored.setValue(QStringLiteral("Service host"), service);
        }
        // Three recordings an earlier run kept: the newest is the top row.
        QVERIFY(QDir().mkpath(recordingsFolder(home)));
        QVERIFY(QFile::setPermissions(recordingsFolder(home), QFileDevice::ReadOwner |
                                                                  QFileDevice::WriteOwner |
                                                                  QFileDevice::ExeOwner));
        const QString toUpload = recordingsFolder(home) + QStringLiteral("/clipnest-a.mp4");
        const QString toSave = recordingsFolder(home) + QStringLiteral("/clipnest-b.mp4");
        const QString toDelete = recordingsFolder(home) + QStringLiteral("/clipnest-c.mp4");
        QVERIFY(makeVideo(toUpload, 2, QSize(256, 144)));
        QVERIFY(makeVideo(toSave, 3, QSize(320, 240)));
        QVERIFY(makeVideo(toDelete, 2, QSize(160, 120)));
        const QDateTime day(QDate(2026, 12, 1), QTime(10, 0));
        QVERIFY(setModified(toUpload, day));
        QVERIFY(setModified(toSave, day.addSecs(60)));
        QVERIFY(setModified(toDelete, day.addSecs(120)));
        const QByteArray saveBytes = readFile(toSave);
        const QByteArray uploadBytes = readFile(toUpload);

        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());

        // Delete asks first; No keeps the recording.
        QRect history = openHistory(app);
        QVERIFY(history.isValid());
        QVERIFY(clickRowButton(history, QStringLiteral(":/Resources/Buttons/recycle.png")));
        const QString question = QStringLiteral("Delete recording");
        QVERIFY(waitFor([&] { return windowsNamed(question).size() == 1; }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([&] { return windowsNamed(question).isEmpty(); }));
        QTest::qWait(500);
        QVERIFY(QFile::exists(toDelete));
        // Yes deletes it.
        history = openHistory(app);
        QVERIFY(history.isValid());
        QVERIFY(clickRowButton(history, QStringLiteral(":/Resources/Buttons/recycle.png")));
        QVERIFY(waitFor([&] { return windowsNamed(question).size() == 1; }));
        keys({QStringLiteral("alt+y")});
        QVERIFY(waitFor([&] { return !QFile::exists(toDelete); }));
        QCOMPARE(recordingFiles(home), (QStringList{toUpload, toSave}));

        // Save: the file dialog, then the recording is at the chosen place and no longer here.
        const QString target = home.path() + QStringLiteral("/saved/my-video.mp4");
        QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/saved")));
        history = openHistory(app);
        QVERIFY(history.isValid());
        QVERIFY(clickRowButton(history, QStringLiteral(":/Resources/Buttons/row_save.png")));
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Save")).size() == 1; }));
        QTest::qWait(500);
        keys({QStringLiteral("ctrl+a")});
        run(QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), target});
        keys({QStringLiteral("Return")});
        QVERIFY2(waitFor([&] { return readFile(target) == saveBytes; }), qPrintable(app.output()));
        QVERIFY(waitFor([&] { return !QFile::exists(toSave); }));
        QCOMPARE(recordingFiles(home), QStringList{toUpload});
        // A message tells where the recording went; answered, it goes.
        const QString savedTitle = QStringLiteral("Clipnest");
        QVERIFY(waitFor([&] { return windowsNamed(savedTitle).size() == 1; }));
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                        windowsNamed(savedTitle).first()});
        keys({QStringLiteral("Return")});
        QVERIFY(waitFor([&] { return windowsNamed(savedTitle).isEmpty(); }));

        // Upload again: the link lands on the clipboard and in the history, the service holds
        // this very video, and the recording stays kept: uploading is no choice to delete.
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf before | xclip -selection clipboard")});
        history = openHistory(app);
        QVERIFY(history.isValid());
        QVERIFY(clickRowButton(history, QStringLiteral(":/Resources/Buttons/row_upload.png")));
        const QString prefix = QStringLiteral("http://%1/").arg(service);
        QVERIFY2(waitFor([&] { return clipboardText().startsWith(prefix); }, 60000),
                 qPrintable(clipboardText() + app.output()));
        const QString link = clipboardText();
        QVERIFY(waitFor([&] { return stateOf(home, toUpload) == QLatin1String("uploaded"); }));
        QCOMPARE(recordingFiles(home), QStringList{toUpload});
        QCOMPARE(readFile(toUpload), uploadBytes);
        // The link is the video's share page; the video itself is beside it, once the service
        // has finished preparing what arrived in pieces.
        readback::Facts uploaded;
        QVERIFY2(waitFor(
                     [&] {
                         uploaded = readback::probe(videoOfLink(link));
                         return uploaded.readable;
                     },
                     60000),
                 qPrintable(uploaded.error));
        QCOMPARE(uploaded.stream(QStringLiteral("video")).width, 256);
        QCOMPARE(uploaded.stream(QStringLiteral("video")).height, 144);

        // Its link's row offers Save beside the link (it has no row of its own now: the only
        // Save button in the window is the link row's).
        const QString keptTarget = home.path() + QStringLiteral("/saved/uploaded.mp4");
        history = openHistory(app);
        QVERIFY(history.isValid());
        QVERIFY(clickRowButton(history, QStringLiteral(":/Resources/Buttons/row_save.png")));
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Save")).size() == 1; }));
        QTest::qWait(500);
        keys({QStringLiteral("ctrl+a")});
        run(QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), keptTarget});
        keys({QStringLiteral("Return")});
        QVERIFY2(waitFor([&] { return readFile(keptTarget) == uploadBytes; }),
                 qPrintable(app.output()));
        QVERIFY(waitFor([&] { return recordingFiles(home).isEmpty(); }));
        QVERIFY(waitFor([&] { return windowsNamed(savedTitle).size() == 1; }));
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                        windowsNamed(savedTitle).first()});
        keys({QStringLiteral("Return")});
        QVERIFY(waitFor([&] { return windowsNamed(savedTitle).isEmpty(); }));

        // The history keeps the link when the program ends.
        QVERIFY(openTrayMenu(app.pid()));
        keys({QStringLiteral("Up"), QStringLiteral("Return")}); // "Close"
        QVERIFY(app.waitForExit(20000));
        QCOMPARE(historyLinks(home.settingsPath()), QStringList{link});
        QCOMPARE(readFile(target), saveBytes);
        QCOMPARE(readFile(keptTarget), uploadBytes);
    }
};

QTEST_MAIN(RecordingsDesktopTest)
#include "tst_recordings_desktop.moc"
