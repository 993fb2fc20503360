// The program keeps the user's recordings on the ordinary failure paths: real processes of the
// built program on the test desktop, a stand-in upload service on loopback that the tests
// start, stop and make refuse, and the recordings folder checked on disk.
#include "DesktopHelpers.h"
#include "tests/support/FakeUploadService.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Desktop;

namespace {

const QString CaptureTitle = QStringLiteral("Clipnest capture");

// Opens the overlay from the tray, selects `area` and starts recording it through the
// overlay's context menu; gives back the record panel's place.
QRect startRecording(App& app, const QRect& area) {
    click(trayIconWindow(app.pid()), 1);
    if (!waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }))
        return {};
    drag(area.topLeft(), area.bottomRight());
    clickAt(area.center(), 3);
    if (!waitFor([&] { return !openMenuWindow(app.pid()).isEmpty(); }))
        return {};
    keys({QStringLiteral("Down"), QStringLiteral("Return")}); // "Record"
    if (!waitFor([&] {
            return windowsNamed(CaptureTitle).isEmpty() && panelWindows(app.pid()).size() == 1;
        }))
        return {};
    return panelWindows(app.pid()).first().second;
}

void stopRecording(const QRect& recordPanel) {
    // The stop button fills the right part of the panel, after the time.
    clickAt(QPoint(recordPanel.left() + recordPanel.width() * 4 / 5, recordPanel.center().y()));
}

// Clicks the button showing `picture` on one of the finished panels.
bool clickPanelButton(App& app, const QString& picture) {
    const QImage image(picture);
    QPoint button;
    const bool found = waitFor(
        [&] {
            const QImage screen = screenshot();
            for (const auto& w : panelWindows(app.pid())) {
                button = findPicture(screen, w.second, image);
                if (!button.isNull())
                    return true;
            }
            return false;
        },
        60000);
    if (found)
        clickAt(button);
    return found;
}

// Records `area` for a moment and clicks the upload button of the finished panels.
bool recordAndUpload(App& app, const QRect& area) {
    const QRect panel = startRecording(app, area);
    if (panel.isNull())
        return false;
    QTest::qWait(1500);
    stopRecording(panel);
    return clickPanelButton(app, QStringLiteral(":/Resources/Buttons/upload.png"));
}

QStringList recordings(const AppHome& home) {
    return QDir(home.recordingsDir()).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);
}

// What the recordings index says of each file: state and reason by file name.
QMap<QString, QPair<QString, QString>> recordingStates(const AppHome& home) {
    QFile f(home.recordingsDir() + QStringLiteral("/recordings.json"));
    QMap<QString, QPair<QString, QString>> states;
    if (!f.open(QIODevice::ReadOnly))
        return states;
    const QJsonArray list = QJsonDocument::fromJson(f.readAll()).object()["recordings"].toArray();
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        states.insert(o["file"].toString(), {o["state"].toString(), o["reason"].toString()});
    }
    return states;
}

void useService(const AppHome& home, quint16 port) {
    QSettings stored(home.settingsPath(), QSettings::IniFormat);
    stored.setValue(QStringLiteral("Service host"), QStringLiteral("127.0.0.1:%1").arg(port));
}

// Answers the open "Upload error" box (the user reads it and clicks OK).
void dismissUploadError() {
    for (const QString& id : windowsNamed(QStringLiteral("Upload error"))) {
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        keys({QStringLiteral("Return")});
    }
}

} // namespace

class KeepDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("CLIPNEST_TEST_DESKTOP") != QLatin1String("1"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    }

    void retryDeliversTheLinkOnceTheServiceIsUp() {
        AppHome home;
        const quint16 port = FakeUploadService::freePort();
        useService(home, port);
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf before | xclip -selection clipboard")});
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QVERIFY(recordAndUpload(app, QRect(QPoint(500, 300), QPoint(659, 419))));

        // The user's attempt meets a service that is down: one box, the recording kept.
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Upload error")).size() == 1; },
                        60000));
        QCOMPARE(recordings(home).size(), 1);
        dismissUploadError();
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Upload error")).isEmpty(); }));

        // The service comes up; the retry delivers without a click.
        FakeUploadService service;
        const QByteArray link = "https://videos.example.org/v/retried.mp4";
        service.answer = httpAnswer("200 OK", "text/plain", link);
        QVERIFY(service.listen(port));
        QVERIFY2(waitFor([&] { return clipboardText() == QString::fromLatin1(link); }, 60000),
                 qPrintable(clipboardText()));
        QVERIFY(waitFor(
            [&] { return historyLinks(home.settingsPath()) == QStringList{QString(link)}; }));
        // Uploading is no choice to delete: the recording stays, with its link.
        QCOMPARE(recordings(home).size(), 1);
        QCOMPARE(service.requests.size(), 1);
        QVERIFY(windowsNamed(QStringLiteral("Upload error")).isEmpty());
    }

    void refusedUploadKeepsTheRecording() {
        AppHome home;
        FakeUploadService service;
        service.answer =
            httpAnswer("400 Bad Request", "text/plain", "This is not a video we take.");
        QVERIFY(service.listen());
        useService(home, service.port());
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QVERIFY(recordAndUpload(app, QRect(QPoint(500, 300), QPoint(659, 419))));
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Upload error")).size() == 1; },
                        60000));
        dismissUploadError();
        QTest::qWait(7000); // past the first retry's delay: none comes
        QCOMPARE(service.requests.size(), 1);
        QVERIFY(windowsNamed(QStringLiteral("Upload error")).isEmpty());
        const QStringList kept = recordings(home);
        QCOMPARE(kept.size(), 1);
        const auto state = recordingStates(home).value(kept.first());
        QCOMPARE(state.first, QStringLiteral("upload-failed"));
        QVERIFY2(state.second.contains(QLatin1String("This is not a video we take.")),
                 qPrintable(state.second));
        QVERIFY(historyLinks(home.settingsPath()).isEmpty());
    }

    void queuedUploadSurvivesAKill() {
        AppHome home;
        // The service takes the video and keeps quiet: the upload is still under way when
        // the program is killed.
        auto silent = std::make_unique<FakeUploadService>();
        QVERIFY(silent->listen());
        const quint16 port = silent->port();
        useService(home, port);
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QVERIFY(recordAndUpload(app, QRect(QPoint(400, 300), QPoint(559, 419))));
        QVERIFY(waitFor([&] { return silent->requests.size() == 1; }, 60000));
        app.killHard();
        const QStringList kept = recordings(home);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(recordingStates(home).value(kept.first()).first, QStringLiteral("queued"));

        // Next start: the upload resumes by itself and completes.
        silent.reset();
        FakeUploadService service;
        const QByteArray link = "https://videos.example.org/v/resumed.mp4";
        service.answer = httpAnswer("200 OK", "text/plain", link);
        QVERIFY(service.listen(port));
        App restarted(home);
        QVERIFY(restarted.start());
        QVERIFY(restarted.waitForTray());
        QVERIFY(
            waitFor([&] { return historyLinks(home.settingsPath()) == QStringList{QString(link)}; },
                    60000));
        // Nobody asked for it just now: the link is not put over whatever the user copied since
        // (it is announced instead), and the recording stays with it.
        QTest::qWait(1000);
        QVERIFY(clipboardText() != QString::fromLatin1(link));
        QCOMPARE(recordings(home).size(), 1);
        QVERIFY(windowsNamed(QStringLiteral("Upload error")).isEmpty());
    }

    void newCaptureKeepsTheFinishedRecording() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QRect panel = startRecording(app, QRect(QPoint(400, 300), QPoint(559, 419)));
        QVERIFY(!panel.isNull());
        QTest::qWait(1200);
        stopRecording(panel);
        // The finished panels are up; the user opens a new capture and records again.
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));
        panel = startRecording(app, QRect(QPoint(800, 300), QPoint(959, 419)));
        QVERIFY(!panel.isNull());
        QTest::qWait(1200);
        stopRecording(panel);
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));
        QVERIFY(waitFor([&] {
            const auto states = recordingStates(home);
            return states.size() == 2 &&
                   std::all_of(states.cbegin(), states.cend(), [](const auto& s) {
                       return s.first == QLatin1String("not-uploaded");
                   });
        }));
        QCOMPARE(recordings(home).size(), 2);
        for (const QString& name : recordings(home)) {
            const QString size = run(
                QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=width,height"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), home.recordingsDir() + QLatin1Char('/') + name});
            QCOMPARE(size, QStringLiteral("160,120"));
        }
    }

    void captureRequestDuringARecordingPointsAtIt() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        const QRect panel = startRecording(app, QRect(QPoint(400, 300), QPoint(719, 539)));
        QVERIFY(!panel.isNull());
        // A capture asked for while recording (as a desktop shortcut runs it) and Ctrl+S: no
        // overlay over the recorded area, a notice instead, and the recording goes on. (A tray
        // click would stop it: the tray icon is the recording's stop button.)
        App asking(home);
        QVERIFY(asking.start({QStringLiteral("--capture")}));
        QVERIFY(asking.waitForExit(15000));
        QVERIFY(waitFor(
            [] { return !windowsNamed(QStringLiteral("Clipnest notification")).isEmpty(); }));
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        keys({QStringLiteral("ctrl+s")});
        QTest::qWait(3000);
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        QVERIFY(windowsNamed(QStringLiteral("Save")).isEmpty());
        QCOMPARE(panelWindows(app.pid()).size(), 1);
        stopRecording(panel);
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));
        QVERIFY(waitFor([&] {
            const auto states = recordingStates(home);
            return states.size() == 1 && states.first().first == QLatin1String("not-uploaded");
        }));
        const QString file = home.recordingsDir() + QLatin1Char('/') + recordings(home).first();
        const double seconds =
            run(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format=duration"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), file})
                .toDouble();
        QVERIFY2(seconds > 2.5, qPrintable(QString::number(seconds)));
    }
};

QTEST_MAIN(KeepDesktopTest)
#include "tst_keep_desktop.moc"
