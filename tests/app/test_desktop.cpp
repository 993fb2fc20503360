// The built program as a user meets it on the test desktop: real processes, the
// tray icon inside the tray host, keys and clicks through the X server.
#include "DesktopHelpers.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QUrl>
#include <QtTest>

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

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!qEnvironmentVariableIsSet("CLIPNEST_TEST_DESKTOP"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
        QVERIFY2(QFile::exists(App::binary()), "the program is not built");
    }

    void oneInstanceAtATimeEvenAfterACrash() {
        AppHome home;
        App first(home);
        QVERIFY(first.start());
        QVERIFY2(first.waitForTray(), qPrintable(first.output()));

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
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
