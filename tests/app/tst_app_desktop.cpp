// The built program as a user meets it on the test desktop: real processes, the
// tray icon inside the tray host, keys and clicks through the X server.
#include "DesktopHelpers.h"

#include <QCursor>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QUrl>
#include <QUrlQuery>
#include <QtTest>
#include <functional>

using namespace Desktop;

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Chooses a tray menu entry with the keyboard: Up from the closed selection
// wraps to the last entry ("Close"), so entries are counted from the bottom.
void chooseFromBottom(qint64 pid, int stepsUp) {
    QVERIFY(openTrayMenu(pid));
    QStringList k;
    for (int i = 0; i < stepsUp; ++i)
        k << QStringLiteral("Up");
    k << QStringLiteral("Return");
    keys(k);
}

const QString CaptureTitle = QStringLiteral("Clipnest capture");
const QString ShortcutsTitle = QStringLiteral("Keyboard shortcuts");

// On the open overlay: select `area` and start recording it through the overlay's context
// menu, the entry `stepsDown` from the top ("Record" is the first); returns once the overlay
// has gone and the record panel shows.
void recordThroughTheMenu(App& app, const QRect& area, int stepsDown = 1) {
    drag(area.topLeft(), area.bottomRight());
    clickAt(area.center(), 3);
    QVERIFY(waitFor([&] { return !openMenuWindow(app.pid()).isEmpty(); }));
    QStringList steps;
    for (int i = 0; i < stepsDown; ++i)
        steps << QStringLiteral("Down");
    keys(steps << QStringLiteral("Return"));
    QVERIFY(waitFor([&] {
        return windowsNamed(CaptureTitle).isEmpty() && panelWindows(app.pid()).size() == 1;
    }));
}

// From the tray: open the overlay, select `area`, record for a moment through the
// overlay's context menu, stop, and click the button showing `picture` on one of
// the panels that appear then.
// Clicks the button of the program's panels that shows `picture`, once it is on the screen.
void clickPicture(App& app, const QString& picture) {
    const QImage upload(picture);
    QVERIFY(!upload.isNull());
    QPoint button;
    QVERIFY2(waitFor([&] {
                 const QImage screen = screenshot();
                 for (const auto& w : panelWindows(app.pid())) {
                     button = findPicture(screen, w.second, upload);
                     if (!button.isNull())
                         return true;
                 }
                 return false;
             }),
             qPrintable(QStringLiteral("no button showing %1 on screen").arg(picture)));
    clickAt(button);
}

void recordAndClick(App& app, const QRect& area, const QString& picture) {
    click(trayIconWindow(app.pid()), 1);
    QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
    // Recording: the overlay goes, the small panel with the time and the stop button stays.
    recordThroughTheMenu(app, area);
    const QRect recordPanel = panelWindows(app.pid()).first().second;
    QTest::qWait(1500); // the length of the video
    // The stop button fills the right part of the panel, after the time.
    clickAt(QPoint(recordPanel.left() + recordPanel.width() * 4 / 5, recordPanel.center().y()));

    // The finished panels: the share targets come with the share button.
    if (picture.startsWith(QLatin1String(":/Resources/Social/"))) {
        clickPicture(app, QStringLiteral(":/Resources/Buttons/share.png"));
        if (QTest::currentTestFailed())
            return;
    }
    clickPicture(app, picture);
}

// "Close" in the tray menu while recordings are neither saved nor uploaded: the program asks
// first, and Quit (Alt+Q) ends it.
void quitPastTheQuestion(App& app) {
    chooseFromBottom(app.pid(), 1);
    QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Clipnest")).size() == 1; }));
    keys({QStringLiteral("alt+q")});
    QVERIFY(app.waitForExit(15000));
}

void recordAndUpload(App& app, const QRect& area) {
    recordAndClick(app, area, QStringLiteral(":/Resources/Buttons/upload.png"));
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("CLIPNEST_TEST_DESKTOP"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
        QVERIFY2(QFile::exists(App::binary()), "the program is not built");
    }

    void waylandSessionIsNamedOnceAtStart() {
        AppHome home;
        App app(home);
        // Only the session type says Wayland, and the user forced the X11 way: the program
        // runs on this X display as it would through Xwayland.
        QMap<QString, QString> wayland;
        wayland.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        QVERIFY(app.start({QStringLiteral("--session"), QStringLiteral("x11")}, wayland));
        QVERIFY2(app.waitForTray(), qPrintable(app.output()));
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Clipnest")).size() == 1; }));
        const QString box = windowsNamed(QStringLiteral("Clipnest")).first();
        QVERIFY(visibleWindowsOf(app.pid()).contains(box));
        keys({QStringLiteral("Return")});
        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Clipnest")).isEmpty(); }));
        // The program goes on: the capture still opens. The click is repeated until it
        // does: right after the box closes, a loaded desktop may not pass the first one on.
        QVERIFY(waitFor([&] {
            if (windowsNamed(CaptureTitle).size() == 1)
                return true;
            click(trayIconWindow(app.pid()), 1);
            return false;
        }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
        QVERIFY(windowsNamed(QStringLiteral("Clipnest")).isEmpty());

        // An X11 session says nothing.
        AppHome plainHome;
        App plain(plainHome);
        QMap<QString, QString> x11;
        x11.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
        QVERIFY(plain.start({}, x11));
        QVERIFY(plain.waitForTray());
        // The check runs before the tray icon is shown; give the window manager a moment
        // to map a box, were there one.
        QTest::qWait(500);
        QVERIFY(windowsNamed(QStringLiteral("Clipnest")).isEmpty());
    }

    void withoutATrayTheRecordButtonShowsAndSaysSo() {
        // A desktop of its own, with a window manager but no tray host.
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        QVERIFY(xvfb.waitForStarted());
        auto stopX = qScopeGuard([&] {
            xvfb.terminate();
            xvfb.waitForFinished(10000);
        });
        // Xvfb writes its display number once it takes clients.
        QVERIFY(waitFor([&] { return xvfb.canReadLine() || xvfb.waitForReadyRead(100); }, 30000));
        QVERIFY(waitFor([&] { return xvfb.canReadLine(); }, 5000));
        const QString display =
            QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed();
        const QByteArray ownDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", display.toLatin1());
        auto restoreDisplay = qScopeGuard([&] { qputenv("DISPLAY", ownDisplay); });
        QProcess openbox;
        openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(openbox.waitForStarted());
        auto stopWm = qScopeGuard([&] {
            openbox.terminate();
            openbox.waitForFinished(10000);
        });
        QVERIFY(waitFor([] {
            return run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QLatin1String("window"));
        }));

        // The user had hidden the button: without a tray it shows all the same.
        AppHome home;
        {
            QSettings settings(home.settingsPath(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("first"), false);
            settings.setValue(QStringLiteral("Show snap button"), false);
            settings.setValue(QStringLiteral("Language"), QStringLiteral("en"));
        }
        App app(home);
        QVERIFY(app.start());
        const QString button = QStringLiteral("Clipnest record button");
        QVERIFY2(waitFor([&] { return windowsNamed(button).size() == 1; }),
                 qPrintable(app.output()));
        QVERIFY(waitFor(
            [] { return windowsNamed(QStringLiteral("Clipnest notification")).size() == 1; }));
        QVERIFY(app.isRunning());
        // The setting is left as the user chose it.
        QCOMPARE(QSettings(home.settingsPath(), QSettings::IniFormat)
                     .value(QStringLiteral("Show snap button"))
                     .toBool(),
                 false);
        // And the button works: a click opens the capture.
        const QRect where = windowGeometry(windowsNamed(button).first());
        QVERIFY(waitFor([&] { return windowGeometry(windowsNamed(button).first()).x() > 1100; }));
        clickAt(windowGeometry(windowsNamed(button).first()).center());
        QVERIFY2(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }),
                 qPrintable(QStringLiteral("button at %1,%2").arg(where.x()).arg(where.y())));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
        QVERIFY(waitFor([&] { return windowsNamed(button).size() == 1; }));
    }

    void helpAndVersionNeedNoDisplay() {
        AppHome home;
        QProcess process;
        QProcessEnvironment env = home.environment();
        env.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(App::binary(), {QStringLiteral("--version")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QRegularExpression versionLine(QStringLiteral("^Clipnest [0-9]+[.][0-9]+[.][0-9]+"));
        const QString version = QString::fromLocal8Bit(process.readAll());
        QVERIFY2(version.contains(versionLine), qPrintable(version));

        process.start(App::binary(), {QStringLiteral("--help")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(process.readAll());
        QVERIFY2(help.contains(QLatin1String("--capture")), qPrintable(help));
        QVERIFY(help.contains(QLatin1String("--stop")));
        QVERIFY(help.contains(QLatin1String("--session")));
        QVERIFY(help.contains(QLatin1String("--version")));

        // A mistake is reported, with the usage, and nothing starts.
        process.start(App::binary(), {QStringLiteral("--frobnicate")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(process.readAll()).contains(QLatin1String("frobnicate")));
        process.start(App::binary(), {QStringLiteral("--capture"), QStringLiteral("--stop")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(process.readAll()).contains(QLatin1String("--stop")));
        process.start(App::binary(), {QStringLiteral("--session"), QStringLiteral("mir")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(process.readAll()).contains(QLatin1String("mir")));
        process.start(App::binary(), {QStringLiteral("stray")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(process.readAll()).contains(QLatin1String("stray")));
    }

    void oneInstanceAtATimeEvenAfterACrash() {
        AppHome home;
        // The user's files in the folder the program starts in are not the program's to touch.
        const QString userFile = QDir(home.path()).filePath(QStringLiteral("recorder.dat"));
        {
            QFile old(userFile);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("mine");
        }
        App first(home);
        QVERIFY(first.start());
        QVERIFY2(first.waitForTray(), qPrintable(first.output()));
        QFile kept(userFile);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("mine"));

        // A second start ends at once with code 1 and shows nothing.
        App second(home);
        QVERIFY(second.start());
        QVERIFY(second.waitForExit(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.output().contains(QLatin1String("Another instance")));
        QVERIFY(first.isRunning());

        // A crash must not lock the user out.
        first.killHard();
        App third(home);
        QVERIFY(third.start());
        QVERIFY2(third.waitForTray(), qPrintable(third.output()));

        // ...and the new instance keeps others out again.
        App fourth(home);
        QVERIFY(fourth.start());
        QVERIFY(fourth.waitForExit(15000));
        QCOMPARE(fourth.exitCode(), 1);

        // "Close" ends it normally, with the settings written.
        chooseFromBottom(third.pid(), 1);
        QVERIFY(third.waitForExit(15000));
        QCOMPARE(third.exitStatus(), QProcess::NormalExit);
        QCOMPARE(third.exitCode(), 0);
        QSettings stored(home.settingsPath(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Language")).toString(), QStringLiteral("en"));
        QCOMPARE(stored.value(QStringLiteral("first")).toBool(), false);

        // And after a normal end the next start succeeds.
        App fifth(home);
        QVERIFY(fifth.start());
        QVERIFY2(fifth.waitForTray(), qPrintable(fifth.output()));
    }

    void recordButtonDocksAndRemembersBeingHidden() {
        AppHome home;
        {
            App app(home);
            QVERIFY(app.start());
            QVERIFY(app.waitForTray());
            // First start: the button appears and glides to the right edge, tucked in.
            QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("Clipnest record button")).size(),
                                      1, 15000);
            const QString button = windowsNamed(QStringLiteral("Clipnest record button")).first();
            QTRY_COMPARE_WITH_TIMEOUT(windowGeometry(button), QRect(1850, 460, 70, 80), 15000);

            // Unticking "Show/hide record button" (two entries below the top, "History"
            // being disabled with an empty history) hides it.
            QVERIFY(openTrayMenu(app.pid()));
            keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
            QTRY_VERIFY_WITH_TIMEOUT(
                windowsNamed(QStringLiteral("Clipnest record button")).isEmpty(), 15000);
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            QCOMPARE(stored.value(QStringLiteral("Show snap button")).toBool(), false);
            chooseFromBottom(app.pid(), 1);
            QVERIFY(app.waitForExit(15000));
        }
        // The next start does not create the button at all.
        App again(home);
        QVERIFY(again.start());
        QVERIFY(again.waitForTray());
        QTest::qWait(1500); // give a wrongly created button time to show up
        QVERIFY(windowsNamed(QStringLiteral("Clipnest record button")).isEmpty());
    }

    void recordButtonMenuAndTrayEntryAgree() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        const QString title = QStringLiteral("Clipnest record button");
        QVERIFY(waitFor([&] { return windowsNamed(title).size() == 1; }));
        const QString button = windowsNamed(title).first();
        QVERIFY(waitFor([&] { return windowGeometry(button).topLeft() == QPoint(1850, 460); }));

        // The button's own menu hides it...
        const int before = untitledWindows(app.pid()).size();
        click(button, 3);
        QVERIFY(waitFor([&] { return untitledWindows(app.pid()).size() > before; }));
        keys({QStringLiteral("Down"), QStringLiteral("Return")});
        QVERIFY(waitFor([&] { return windowsNamed(title).isEmpty(); }));
        QCOMPARE(QSettings(home.settingsPath(), QSettings::IniFormat)
                     .value(QStringLiteral("Show snap button"))
                     .toBool(),
                 false);

        // ...and unticks the tray entry too: choosing that entry now ticks it again
        // and brings the button back.
        QVERIFY(openTrayMenu(app.pid()));
        keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
        QVERIFY(waitFor([&] { return windowsNamed(title).size() == 1; }));
        QCOMPARE(QSettings(home.settingsPath(), QSettings::IniFormat)
                     .value(QStringLiteral("Show snap button"))
                     .toBool(),
                 true);
    }

    // The record panel's pause button, pressed as a user does: the button turns into the
    // resume button and back, and the finished file is the recorded time without the pause,
    // its sound as long as its picture.
    void pauseButtonLeavesThePauseOutOfTheFile() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        recordThroughTheMenu(app, area, 2); // "Record with sound"
        QElapsedTimer wall;
        wall.start();
        const QRect panel = panelWindows(app.pid()).first().second;
        // A button under the pointer shows its hover picture.
        auto findOnPanel = [&](const QString& name, QPoint* at) {
            const QImage plain(QStringLiteral(":/Resources/Buttons/%1.png").arg(name));
            const QImage hover(QStringLiteral(":/Resources/Buttons/%1_hover.png").arg(name));
            return waitFor([&] {
                const QImage screen = screenshot();
                *at = findPicture(screen, panel, plain);
                if (at->isNull())
                    *at = findPicture(screen, panel, hover);
                return !at->isNull();
            });
        };
        QPoint pause;
        QVERIFY2(findOnPanel(QStringLiteral("pause"), &pause),
                 "no pause button on the record panel");
        QTest::qWait(1500);
        clickAt(pause);
        QElapsedTimer paused;
        paused.start();
        QPoint resume;
        QVERIFY2(findOnPanel(QStringLiteral("resume"), &resume),
                 "the pause button did not turn into the resume button");
        QTest::qWait(2500);
        clickAt(resume);
        const qint64 pausedMs = paused.elapsed();
        QTest::qWait(1500);
        // The stop button fills the right part of the panel.
        clickAt(QPoint(panel.left() + panel.width() * 4 / 5, panel.center().y()));
        const qint64 wallMs = wall.elapsed();
        const QImage save(QStringLiteral(":/Resources/Buttons/save.png"));
        QVERIFY(waitFor([&] {
            const QImage screen = screenshot();
            for (const auto& w : panelWindows(app.pid()))
                if (!findPicture(screen, w.second, save).isNull())
                    return true;
            return false;
        }));

        const QStringList kept =
            QDir(home.recordingsDir()).entryList({QStringLiteral("*.mp4")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString file = QDir(home.recordingsDir()).filePath(kept.first());
        // The panels come at once; the file is finished meanwhile, the fragments of the
        // recording turned into an ordinary MP4.
        QVERIFY(waitFor(
            [&] {
                QFile f(file);
                return f.open(QIODevice::ReadOnly) && !f.readAll().contains("moof");
            },
            60000));
        const QStringList durations =
            run(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=codec_type,duration"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), file})
                .split('\n');
        QCOMPARE(durations.size(), 2);
        const double video = durations.value(0).section(',', 1).toDouble();
        const double audio = durations.value(1).section(',', 1).toDouble();
        // The clicks reach the program some time after the test's clock, later still on a
        // busy machine, so only bounds that no delay can break are checked: the pause (at
        // least 2.5 s) is missing from the file, and the 1.5 s recorded before it and after it
        // are there.
        const double wallS = wallMs / 1000.0;
        QVERIFY2(video < wallS - 1.0 && video > 2.0 && pausedMs >= 2500,
                 qPrintable(QStringLiteral("video %1 s of %2 s, paused for about %3 s")
                                .arg(video)
                                .arg(wallS)
                                .arg(pausedMs / 1000.0)));
        QVERIFY2(qAbs(audio - video) < 0.15,
                 qPrintable(QStringLiteral("audio %1 s, video %2 s").arg(audio).arg(video)));
    }

    // The record button comes back at the edge and the place the user docked it at.
    void recordButtonComesBackWhereItWasDocked() {
        AppHome home;
        const QString title = QStringLiteral("Clipnest record button");
        QRect docked;
        {
            App app(home);
            QVERIFY(app.start());
            QVERIFY(app.waitForTray());
            QVERIFY(waitFor([&] { return windowsNamed(title).size() == 1; }));
            const QString button = windowsNamed(title).first();
            QVERIFY(waitFor([&] { return windowGeometry(button) == QRect(1850, 460, 70, 80); }));
            // Dragged high up into the left part of the screen, it glides to the left edge.
            drag(QPoint(1885, 500), QPoint(150, 250));
            QVERIFY(waitFor([&] {
                return QSettings(home.settingsPath(), QSettings::IniFormat)
                           .value(QStringLiteral("Snap button edge"))
                           .toString() == QLatin1String("left");
            }));
            QVERIFY(waitFor([&] {
                const QRect g = windowGeometry(button);
                return g.left() == workArea().left() && g.size() == QSize(70, 80);
            }));
            docked = windowGeometry(button);
            QVERIFY2(docked.top() > 100 && docked.top() < 400,
                     qPrintable(QStringLiteral("docked at y %1").arg(docked.top())));
            chooseFromBottom(app.pid(), 1);
            QVERIFY(app.waitForExit(15000));
        }
        App again(home);
        QVERIFY(again.start());
        QVERIFY(again.waitForTray());
        QVERIFY(waitFor([&] { return windowsNamed(title).size() == 1; }));
        const QString button = windowsNamed(title).first();
        QVERIFY2(waitFor([&] { return windowGeometry(button) == docked; }),
                 qPrintable(QStringLiteral("at %1,%2 instead of %3,%4")
                                .arg(windowGeometry(button).x())
                                .arg(windowGeometry(button).y())
                                .arg(docked.x())
                                .arg(docked.y())));
    }

    // A recording of the whole screen leaves no room for the record panel beside it: the
    // panel stays away rather than show in the video, the tray icon says that a recording
    // runs, and a click on it stops the recording.
    void wholeScreenRecordingKeepsThePanelOutAndTheTrayStopsIt() {
        run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#c8c8c8")});
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        drag(QPoint(0, 0), QPoint(1919, 1079));
        clickAt(QPoint(960, 540), 3);
        QVERIFY(waitFor([&] { return !openMenuWindow(app.pid()).isEmpty(); }));
        keys({QStringLiteral("Down"), QStringLiteral("Return")}); // "Record"
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
        // Under way: the engine writes the file.
        const auto recorded = [&] {
            const QFileInfoList files =
                QDir(home.recordingsDir()).entryInfoList({QStringLiteral("*.mp4")}, QDir::Files);
            return files.size() == 1 && files.first().size() > 0 ? files.first().filePath()
                                                                 : QString();
        };
        QVERIFY(waitFor([&] { return !recorded().isEmpty(); }));
        QVERIFY(panelWindows(app.pid()).isEmpty());
        QTest::qWait(1500); // the length of the video
        QVERIFY(panelWindows(app.pid()).isEmpty());

        click(trayIconWindow(app.pid()), 1);
        // Stopped: the finished panel comes (the share targets wait for its Share button).
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));
        const QString file = recorded();
        QVERIFY(waitFor(
            [&] {
                QFile f(file);
                return f.open(QIODevice::ReadOnly) && !f.readAll().contains("moof");
            },
            60000));
        QTemporaryDir tmp;
        const QString still = tmp.filePath(QStringLiteral("frame.png"));
        run(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-sseof"),
             QStringLiteral("-0.5"), QStringLiteral("-i"), file, QStringLiteral("-frames:v"),
             QStringLiteral("1"), still});
        const QImage picture(still);
        QVERIFY(!picture.isNull());
        QVERIFY(picture.width() > 1900 && picture.height() > 1060);
        // Nothing of the record panel in the picture: where it would sit, in the corner beside
        // the tray, neither its pause button nor the desktop dimmed under it.
        const QRect corner(picture.width() - 600, picture.height() - 200, 600, 200);
        for (const QString& name : {QStringLiteral("pause"), QStringLiteral("pause_hover")}) {
            const QImage button(QStringLiteral(":/Resources/Buttons/%1.png").arg(name));
            QVERIFY(!button.isNull());
            QVERIFY2(findPicture(picture, corner, button).isNull(), qPrintable(name));
        }
        // The finished panels (inside the area, which leaves no room) go on Escape.
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).isEmpty(); }));
        quitPastTheQuestion(app);
    }

    // "Close" with a recording neither saved nor uploaded asks first; Cancel keeps the program
    // and the recording, Quit ends it and the recording stays on disk for the next start.
    void closeWithAnUnsentRecordingAsksFirst() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        recordThroughTheMenu(app, area);
        const QRect recordPanel = panelWindows(app.pid()).first().second;
        QTest::qWait(1000);
        clickAt(QPoint(recordPanel.left() + recordPanel.width() * 4 / 5, recordPanel.center().y()));
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));

        const QString question = QStringLiteral("Clipnest");
        chooseFromBottom(app.pid(), 1);
        QVERIFY(waitFor([&] { return windowsNamed(question).size() == 1; }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([&] { return windowsNamed(question).isEmpty(); }));
        // Still there and answering: its menu opens, and Close asks again.
        QVERIFY(app.isRunning());
        chooseFromBottom(app.pid(), 1);
        QVERIFY(waitFor([&] { return windowsNamed(question).size() == 1; }));
        QVERIFY(app.isRunning());
        keys({QStringLiteral("alt+q")});
        QVERIFY(app.waitForExit(15000));
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(
            QDir(home.recordingsDir()).entryList({QStringLiteral("*.mp4")}, QDir::Files).size(), 1);
    }

    void faqOpensTheServicePage() {
        AppHome home;
        const QString service =
            qEnvironmentVariable("CLIPNEST_TEST_SERVICE", QStringLiteral("127.0.0.1:9"));
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Service host"), service);
        }
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        chooseFromBottom(app.pid(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(readAll(home.browserLog()).trimmed(),
                                  QStringLiteral("http://%1/faq").arg(service), 15000);
    }

    void historyEntryOpensTheWindowBesideThePanel() {
        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("first"), false);
            stored.beginWriteArray(QStringLiteral("History"));
            const QDateTime when(QDate(2026, 12, 1), QTime(10, 30));
            for (int i = 0; i < 2; ++i) {
                stored.setArrayIndex(i);
                stored.setValue(QStringLiteral("Date"), when.addSecs(60 * i));
                stored.setValue(QStringLiteral("Url"),
                                QUrl(QStringLiteral("https://videos.example.org/v/%1.mp4").arg(i)));
            }
            stored.endArray();
        }
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        const QRect tray = windowGeometry(trayIconWindow(app.pid()));

        QVERIFY(openTrayMenu(app.pid()));
        keys({QStringLiteral("Down"), QStringLiteral("Down"),
              QStringLiteral("Return")}); // "History" is enabled
        QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("Clipnest history")).size(), 1,
                                  15000);
        const QRect window =
            windowGeometry(windowsNamed(QStringLiteral("Clipnest history")).first());

        // Beside a bottom panel when the window manager reserves one, else in the middle.
        const QRect screen(0, 0, 1920, 1080);
        const QRect area = workArea();
        QPoint expected(area.left() + area.width() / 2 - window.width() / 2,
                        area.top() + area.height() / 2 - window.height() / 2);
        if (area.isValid() && area.bottom() < screen.bottom())
            expected = QPoint(qMin((tray.left() + tray.right()) / 2 - window.width() / 2,
                                   area.right() - window.width()),
                              area.bottom() - window.height());
        QCOMPARE(window.topLeft(), expected);
    }

    void printKeyHeldByAnotherProgramIsLeftAlone() {
        // The test desktop's window manager binds Print to its own screenshot tool.
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QTRY_VERIFY_WITH_TIMEOUT(app.output().contains(QLatin1String("holds the Print key")),
                                 10000);
        keys({QStringLiteral("Print")});
        QTest::qWait(500);
        QVERIFY(app.isRunning());
    }

    void countdownChosenInTheTrayComesBeforeTheRecording() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        // "Countdown" is the fifth entry from the bottom; its second entry is 3 seconds.
        QVERIFY(openTrayMenu(app.pid()));
        keys({QStringLiteral("Up"), QStringLiteral("Up"), QStringLiteral("Up"),
              QStringLiteral("Up"), QStringLiteral("Up"), QStringLiteral("Right"),
              QStringLiteral("Down"), QStringLiteral("Return")});
        QVERIFY(waitFor([&] {
            return QSettings(home.settingsPath(), QSettings::IniFormat)
                       .value(QStringLiteral("Countdown seconds"))
                       .toInt() == 3;
        }));

        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        drag(area.topLeft(), area.bottomRight());
        clickAt(area.center(), 3);
        QVERIFY(waitFor([&] { return !openMenuWindow(app.pid()).isEmpty(); }));
        QElapsedTimer clock;
        clock.start();
        keys({QStringLiteral("Down"), QStringLiteral("Return")}); // "Record"

        // The number over the area first, the overlay gone; the recording when it is over.
        const QString number = QStringLiteral("Clipnest countdown");
        QVERIFY(waitFor([&] { return windowsNamed(number).size() == 1; }, 3000));
        QVERIFY(area.contains(windowGeometry(windowsNamed(number).first()).center()));
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        QVERIFY(panelWindows(app.pid()).isEmpty());
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }, 30000));
        // Never early: three seconds of countdown at least. How late it may be is a matter
        // of the machine's load, not of the program.
        const qint64 started = clock.elapsed();
        QVERIFY2(started > 2700, qPrintable(QString::number(started)));
        QVERIFY(windowsNamed(number).isEmpty());
    }

    void chosenShortcutsStartAndStopAndTheOldOneNoLongerDoes() {
        AppHome home;
        {
            QSettings seeded(home.settingsPath(), QSettings::IniFormat);
            seeded.setValue(QStringLiteral("Capture shortcut"), QStringLiteral("Ctrl+Alt+J"));
        }
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        // The stored combination opens the capture, wherever the focus is.
        keys({QStringLiteral("ctrl+alt+j")});
        QVERIFY2(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }),
                 qPrintable(app.output()));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));

        // New combinations pressed into the dialog ("Keyboard shortcuts...", the sixth entry
        // from the bottom): the capture field has the focus, Tab leads to the stop field.
        chooseFromBottom(app.pid(), 6);
        QVERIFY(waitFor([] { return windowsNamed(ShortcutsTitle).size() == 1; }));
        // While the dialog is open the old combination is only typed, not obeyed.
        keys({QStringLiteral("ctrl+alt+j")});
        QTest::qWait(500);
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        keys({QStringLiteral("ctrl+alt+k"), QStringLiteral("Tab"), QStringLiteral("ctrl+alt+s"),
              QStringLiteral("Return")});
        QVERIFY(waitFor([] { return windowsNamed(ShortcutsTitle).isEmpty(); }));
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            QCOMPARE(stored.value(QStringLiteral("Capture shortcut")).toString(),
                     QStringLiteral("Ctrl+Alt+K"));
            QCOMPARE(stored.value(QStringLiteral("Stop recording shortcut")).toString(),
                     QStringLiteral("Ctrl+Alt+S"));
        }

        // The old one does nothing any more; the new one opens the capture.
        keys({QStringLiteral("ctrl+alt+j")});
        QTest::qWait(1000);
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        keys({QStringLiteral("ctrl+alt+k")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));

        // The stop combination ends the recording as the stop button does.
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        recordThroughTheMenu(app, area);
        QTest::qWait(1000);
        keys({QStringLiteral("ctrl+alt+s")});
        // The finished panel (the share targets wait for its Share button).
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));

        // Kept for the next start.
        quitPastTheQuestion(app);
        App again(home);
        QVERIFY(again.start());
        QVERIFY(again.waitForTray());
        keys({QStringLiteral("ctrl+alt+k")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
    }

    void combinationHeldByAnotherProgramIsRefusedWithAMessage() {
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        chooseFromBottom(app.pid(), 6);
        QVERIFY(waitFor([] { return windowsNamed(ShortcutsTitle).size() == 1; }));
        keys({QStringLiteral("ctrl+alt+h")});

        // Meanwhile another program takes the combination for itself.
        AppHome otherHome;
        {
            QSettings seeded(otherHome.settingsPath(), QSettings::IniFormat);
            seeded.setValue(QStringLiteral("first"), false);
            seeded.setValue(QStringLiteral("Show snap button"), false);
            seeded.setValue(QStringLiteral("Capture shortcut"), QStringLiteral("Ctrl+Alt+H"));
        }
        App other(otherHome);
        QVERIFY(other.start());
        QVERIFY(other.waitForTray());
        QTest::qWait(500);

        keys({QStringLiteral("Return")});
        // The dialog stays open with a message that says so; the setting is unchanged.
        const QString message = QStringLiteral("Another program already uses Ctrl+Alt+H. No key "
                                               "combination starts a capture now.");
        QVERIFY2(waitFor([&] { return app.output().contains(message); }), qPrintable(app.output()));
        QVERIFY(waitFor([&] {
            for (const QString& w : visibleWindowsOf(app.pid())) {
                if (windowName(w) == QLatin1String("Clipnest"))
                    return true;
            }
            return false;
        }));
        QCOMPARE(windowsNamed(ShortcutsTitle).size(), 1);
        QVERIFY(!QSettings(home.settingsPath(), QSettings::IniFormat)
                     .contains(QStringLiteral("Capture shortcut")));
        keys({QStringLiteral("Return")}); // the message's OK
        keys({QStringLiteral("Escape")}); // the dialog's Cancel
        QVERIFY(waitFor([] { return windowsNamed(ShortcutsTitle).isEmpty(); }));

        // The combination still belongs to the other program.
        keys({QStringLiteral("ctrl+alt+h")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        QVERIFY(visibleWindowsOf(other.pid()).contains(windowsNamed(CaptureTitle).first()));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));

        // A start with that combination stored says so once, in the popup.
        AppHome thirdHome;
        {
            QSettings seeded(thirdHome.settingsPath(), QSettings::IniFormat);
            seeded.setValue(QStringLiteral("Capture shortcut"), QStringLiteral("Ctrl+Alt+H"));
        }
        App third(thirdHome);
        QVERIFY(third.start());
        QVERIFY(third.waitForTray());
        QVERIFY2(waitFor([&] {
                     return third.output().contains(QLatin1String("holds the Ctrl+Alt+H key"));
                 }),
                 qPrintable(third.output()));
        QVERIFY(waitFor([&] {
            for (const QString& w : visibleWindowsOf(third.pid())) {
                if (windowName(w) == QLatin1String("Clipnest notification"))
                    return true;
            }
            return false;
        }));
    }

    void trayClickOpensTheOverlayOverTheWholeScreen() {
        // A light desktop, so that dimming shows in a screenshot.
        run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#c8c8c8")});
        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QVERIFY(waitFor(
            [] { return windowsNamed(QStringLiteral("Clipnest record button")).size() == 1; }));

        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        QCOMPARE(windowGeometry(windowsNamed(CaptureTitle).first()), QRect(0, 0, 1920, 1080));
        // The record button keeps out of the picture while the overlay is up.
        QVERIFY(waitFor(
            [] { return windowsNamed(QStringLiteral("Clipnest record button")).isEmpty(); }));

        // A second click while it is open changes nothing.
        click(trayIconWindow(app.pid()), 2);
        QTest::qWait(500);
        QCOMPARE(windowsNamed(CaptureTitle).size(), 1);

        // A drag selects: outside the selection the desktop is dimmed, inside it is not.
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        drag(area.topLeft(), area.bottomRight());
        QVERIFY(waitFor([&] {
            const QImage shot = screenshot();
            const QColor inside = shot.pixelColor(560, 420);
            const QColor outside = shot.pixelColor(200, 200);
            return inside == QColor(0xc8, 0xc8, 0xc8) && outside.lightness() < 0xc8 - 40;
        }));

        // Escape closes it, and the record button comes back.
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
        QVERIFY(waitFor(
            [] { return windowsNamed(QStringLiteral("Clipnest record button")).size() == 1; }));
        QVERIFY(app.isRunning());
    }

    void captureSwitchOpensTheOverlayOfTheRunningInstance() {
        AppHome home;
        App first(home);
        QVERIFY(first.start());
        QVERIFY2(first.waitForTray(), qPrintable(first.output()));

        // The asking process hands the request over and ends; the overlay is the
        // running instance's own window.
        App asker(home);
        QVERIFY(asker.start({QStringLiteral("--capture")}));
        QVERIFY(asker.waitForExit(30000));
        QCOMPARE(asker.exitStatus(), QProcess::NormalExit);
        QVERIFY2(asker.exitCode() == 0, qPrintable(asker.output()));
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        QVERIFY(visibleWindowsOf(first.pid()).contains(windowsNamed(CaptureTitle).first()));

        // Asked again while it is open: still one overlay.
        App again(home);
        QVERIFY(again.start({QStringLiteral("--capture")}));
        QVERIFY(again.waitForExit(30000));
        QCOMPARE(again.exitCode(), 0);
        QCOMPARE(windowsNamed(CaptureTitle).size(), 1);
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));

        // A plain second start still ends with code 1 and shows nothing.
        App plain(home);
        QVERIFY(plain.start());
        QVERIFY(plain.waitForExit(15000));
        QCOMPARE(plain.exitCode(), 1);
        QVERIFY(windowsNamed(CaptureTitle).isEmpty());
        QVERIFY(first.isRunning());
    }

    void captureSwitchStartsTheProgramWhenNoneRuns() {
        AppHome home;
        App app(home);
        QVERIFY(app.start({QStringLiteral("--capture")}));
        QVERIFY2(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }),
                 qPrintable(app.output()));
        QVERIFY(app.isRunning());
        QVERIFY(visibleWindowsOf(app.pid()).contains(windowsNamed(CaptureTitle).first()));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
        // It stays running in the tray afterwards, like any other start.
        QVERIFY(app.waitForTray());
    }

    // `clipnest --stop` ends the running instance's recording as its stop button does; with
    // nothing recording it changes nothing, and with no instance it starts none.
    void stopSwitchEndsTheRecordingOfTheRunningInstance() {
        AppHome home;
        App lone(home);
        QVERIFY(lone.start({QStringLiteral("--stop")}));
        QVERIFY(lone.waitForExit(15000));
        QCOMPARE(lone.exitCode(), 1);
        QVERIFY(lone.output().contains(QLatin1String("not running")));

        App app(home);
        QVERIFY(app.start());
        QVERIFY2(app.waitForTray(), qPrintable(app.output()));
        App idle(home);
        QVERIFY(idle.start({QStringLiteral("--stop")}));
        QVERIFY(idle.waitForExit(30000));
        QCOMPARE(idle.exitCode(), 0);
        QVERIFY(panelWindows(app.pid()).isEmpty());

        click(trayIconWindow(app.pid()), 1);
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        const QRect area(QPoint(400, 300), QPoint(719, 539));
        recordThroughTheMenu(app, area);
        App stopper(home);
        QVERIFY(stopper.start({QStringLiteral("--stop")}));
        QVERIFY(stopper.waitForExit(30000));
        QVERIFY2(stopper.exitCode() == 0, qPrintable(stopper.output()));
        // The finished panel (the share targets wait for its Share button).
        QVERIFY(waitFor([&] { return panelWindows(app.pid()).size() == 1; }));
        quitPastTheQuestion(app);
    }

    void printKeyOpensTheOverlay() {
        // Take the window manager's own Print binding away for this test.
        const QString config =
            qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/openbox/rc.xml");
        QString rc = readAll(QStringLiteral("/etc/xdg/openbox/rc.xml"));
        if (rc.isEmpty())
            QSKIP("no openbox configuration to adapt");
        rc.replace(QStringLiteral("key=\"Print\""), QStringLiteral("key=\"F35\""));
        QDir().mkpath(QFileInfo(config).path());
        {
            QFile f(config);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(rc.toUtf8());
        }
        run(QStringLiteral("openbox"), {QStringLiteral("--reconfigure")});
        QTest::qWait(1000);
        auto restore = qScopeGuard([&] {
            QFile::remove(config);
            run(QStringLiteral("openbox"), {QStringLiteral("--reconfigure")});
        });

        AppHome home;
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        QVERIFY2(!app.output().contains(QLatin1String("holds the Print key")),
                 qPrintable(app.output()));
        keys({QStringLiteral("Print")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).size() == 1; }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(CaptureTitle).isEmpty(); }));
    }

    void notificationGoesToTheMonitorOfTheTray() {
        if (QGuiApplication::screens().size() < 2) {
            if (qEnvironmentVariable("CLIPNEST_TEST_MONITORS") == QLatin1String("2"))
                QFAIL("the test desktop was asked for two monitors, Qt sees one");
            // This test again, on test desktops of two monitors: the primary one (which the
            // tray host picks) on the left, then on the right.
            for (const char* primary : {"left", "right"}) {
                QProcess nested;
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert(QStringLiteral("CLIPNEST_TEST_MONITORS"), QStringLiteral("2"));
                env.insert(QStringLiteral("CLIPNEST_TEST_PRIMARY"), QString::fromLatin1(primary));
                nested.setProcessEnvironment(env);
                nested.setProcessChannelMode(QProcess::MergedChannels);
                nested.start(QStringLiteral("bash"),
                             {QStringLiteral(CLIPNEST_SOURCE_DIR "/scripts/with-test-desktop.sh"),
                              QCoreApplication::applicationFilePath(),
                              QStringLiteral("notificationGoesToTheMonitorOfTheTray")});
                QVERIFY(nested.waitForStarted());
                nested.waitForFinished(-1);
                const QString output = QString::fromLocal8Bit(nested.readAll());
                QVERIFY2(nested.exitStatus() == QProcess::NormalExit && nested.exitCode() == 0,
                         qPrintable(output));
                QVERIFY2(output.contains(
                             QLatin1String("PASS   : DesktopTest::notificationGoesToTheMonitor")),
                         qPrintable(output));
            }
            return;
        }
        const QString service = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        if (service.isEmpty())
            QSKIP("needs the reference upload service of the test desktop");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1920, 1080);
        // The tray host's panel: whichever monitor it picked holds the tray.
        QRect panel;
        for (const QString& w :
             run(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--class"), QStringLiteral("trayer")})
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRect g = windowGeometry(w);
            if (g.height() == 32)
                panel = g;
        }
        QVERIFY(panel.isValid());
        const bool trayOnLeft = left.contains(panel.center());
        const QRect trayMonitor = trayOnLeft ? left : right;
        const QRect otherMonitor = trayOnLeft ? right : left;

        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Service host"), service);
        }
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());

        // Recorded and sent from the other monitor, the pointer staying there.
        const QPoint at = otherMonitor.topLeft() + QPoint(300, 300);
        recordAndUpload(app, QRect(at, QSize(320, 240)));
        if (QTest::currentTestFailed())
            return;
        QVERIFY(otherMonitor.contains(QCursor::pos()));
        const QString title = QStringLiteral("Clipnest notification");
        QVERIFY(waitFor([&] { return windowsNamed(title).size() == 1; }, 60000));
        const QRect popup = windowGeometry(windowsNamed(title).first());
        QVERIFY2(trayMonitor.contains(popup), qPrintable(QStringLiteral("popup at %1,%2 %3x%4")
                                                             .arg(popup.x())
                                                             .arg(popup.y())
                                                             .arg(popup.width())
                                                             .arg(popup.height())));
        QVERIFY(qAbs(popup.center().x() - trayMonitor.center().x()) <= 1);
    }

    void uploadPutsTheLinkOnTheClipboardAndInTheHistory() {
        const QString service = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        if (service.isEmpty())
            QSKIP("needs the reference upload service of the test desktop");
        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Service host"), service);
        }
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf before | xclip -selection clipboard")});
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());

        recordAndUpload(app, QRect(QPoint(500, 300), QPoint(819, 539)));
        if (QTest::currentTestFailed())
            return;
        const QString prefix = QStringLiteral("http://%1/").arg(service);
        QVERIFY2(waitFor([&] { return clipboardText().startsWith(prefix); }, 60000),
                 qPrintable(clipboardText()));
        const QString first = clipboardText();
        QVERIFY(waitFor([&] { return historyLinks(home.settingsPath()) == QStringList{first}; }));

        // The stored video is the one just recorded: an MP4 of the selected size, there once
        // the service has prepared what arrived in pieces.
        QString probe;
        waitFor(
            [&] {
                probe = run(QStringLiteral("ffprobe"),
                            {QStringLiteral("-v"), QStringLiteral("error"),
                             QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                             QStringLiteral("-show_entries"), QStringLiteral("stream=width,height"),
                             QStringLiteral("-of"), QStringLiteral("csv=p=0"), videoOfLink(first)});
                return !probe.isEmpty();
            },
            60000);
        QCOMPARE(probe, QStringLiteral("320,240"));

        // A second upload; then the program dies without any chance to clean up.
        recordAndUpload(app, QRect(QPoint(300, 200), QPoint(459, 319)));
        if (QTest::currentTestFailed())
            return;
        QVERIFY(waitFor(
            [&] { return clipboardText() != first && clipboardText().startsWith(prefix); }, 60000));
        const QString second = clipboardText();
        app.killHard();

        // Both links survive, and the restarted program offers them.
        QCOMPARE(historyLinks(home.settingsPath()), (QStringList{first, second}));
        App restarted(home);
        QVERIFY(restarted.start());
        QVERIFY(restarted.waitForTray());
        chooseFromBottom(restarted.pid(), 1);
        QVERIFY(restarted.waitForExit(15000));
        QCOMPARE(restarted.exitCode(), 0);
        QCOMPARE(historyLinks(home.settingsPath()), (QStringList{first, second}));
    }

    void shareOpensTheNetworksPageWithTheLink() {
        const QString service = qEnvironmentVariable("CLIPNEST_TEST_SERVICE");
        if (service.isEmpty())
            QSKIP("needs the reference upload service of the test desktop");
        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Service host"), service);
            stored.setValue(QStringLiteral("Language"), QStringLiteral("br"));
        }
        run(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf before | xclip -selection clipboard")});
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        recordAndClick(app, QRect(QPoint(500, 300), QPoint(659, 419)),
                       QStringLiteral(":/Resources/Social/twitter.png"));
        if (QTest::currentTestFailed())
            return;

        QVERIFY(waitFor([&] { return !readAll(home.browserLog()).isEmpty(); }, 60000));
        const QUrl page(readAll(home.browserLog()).trimmed());
        QCOMPARE(page.scheme(), QStringLiteral("https"));
        QCOMPARE(page.path(), QStringLiteral("/intent/tweet"));
        const QString link =
            QUrlQuery(page).queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded);
        // Brazilian Portuguese travels as "pt"; the history keeps the bare link.
        QVERIFY2(link.startsWith(QStringLiteral("http://%1/").arg(service)), qPrintable(link));
        QVERIFY2(link.endsWith(QLatin1String("?lang=pt")), qPrintable(link));
        QVERIFY(waitFor(
            [&] { return historyLinks(home.settingsPath()) == QStringList{link.chopped(8)}; }));
        QCOMPARE(clipboardText(), QStringLiteral("before"));
    }

    void failedUploadsShowOneErrorAndKeepTheRecording_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("refuseConnection");
        QTest::newRow("service down") << QString() << true;
        QTest::newRow("an HTML page")
            << QStringLiteral("<html><body>Maintenance</body></html>") << false;
        QTest::newRow("capitalised scheme") << QStringLiteral("HTTP://127.0.0.1/v/x.mp4") << false;
        QTest::newRow("empty answer") << QString() << false;
    }

    void failedUploadsShowOneErrorAndKeepTheRecording() {
        QFETCH(QString, answer);
        QFETCH(bool, refuseConnection);

        // A stand-in service that reads the whole request and gives the answer.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        if (refuseConnection)
            server.close();
        QByteArray request;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                request += socket->readAll();
                const int headerEnd = request.indexOf("\r\n\r\n");
                if (headerEnd < 0)
                    return;
                const QRegularExpression re(QStringLiteral("Content-Length:\\s*(\\d+)"),
                                            QRegularExpression::CaseInsensitiveOption);
                const qint64 length =
                    re.match(QString::fromLatin1(request.left(headerEnd))).captured(1).toLongLong();
                if (request.size() - headerEnd - 4 < length)
                    return;
                const QByteArray body = answer.toLatin1();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: "
                              "close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });

        AppHome home;
        {
            QSettings stored(home.settingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Service host"),
                            QStringLiteral("127.0.0.1:%1").arg(port));
        }
        App app(home);
        QVERIFY(app.start());
        QVERIFY(app.waitForTray());
        recordAndUpload(app, QRect(QPoint(600, 400), QPoint(759, 519)));
        if (QTest::currentTestFailed())
            return;

        QVERIFY(waitFor([] { return windowsNamed(QStringLiteral("Upload error")).size() == 1; },
                        60000));
        QTest::qWait(1500); // a second box would come right behind the first
        QCOMPARE(windowsNamed(QStringLiteral("Upload error")).size(), 1);
        QVERIFY(historyLinks(home.settingsPath()).isEmpty());
        QVERIFY(windowsNamed(QStringLiteral("Clipnest upload progress")).isEmpty());
        // No link, but the video is still there for another try.
        QCOMPARE(
            QDir(home.recordingsDir()).entryList({QStringLiteral("*.mp4")}, QDir::Files).size(), 1);
        if (!refuseConnection)
            QVERIFY(request.contains("filename=\"video.mp4\""));
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_app_desktop.moc"
