// The program under a tray host that speaks the StatusNotifierItem protocol over D-Bus, as
// KDE Plasma, GNOME's AppIndicator extension and recent XFCE/LXQt panels do. Such hosts never
// say where the icon is, so the program must place its windows without that.
//
// The test plays the desktop's StatusNotifierWatcher on a private session bus of its own and
// drives the real program through the item and menu it exports there.

#include "DesktopHelpers.h"
#include "tests/support/SniTray.h"

#include <QCursor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDate>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTime>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <functional>

using namespace Desktop;

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString kCaptureTitle = QStringLiteral("Clipnest capture");
const QString kHistoryTitle = QStringLiteral("Clipnest history");
const QString kBusName = QStringLiteral("clipnest-test-bus");
// Thicker than the tray host's own 32 pixel panel, so a window placed against that one
// instead would show.
constexpr int kPanelHeight = 40;

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TraySniTest : public QObject {
    Q_OBJECT

private:
    QProcess bus_;
    QString address_;
    FakeWatcher watcher_;

    QDBusConnection connection() const { return QDBusConnection(kBusName); }

    QDBusMessage callItem(const QString& service, const QString& path, const QString& interface,
                          const QString& method, const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setArguments(args);
        // Every few seconds the program asks our watcher, with a blocking call, whether a tray
        // host is there: our event loop keeps running meanwhile, so that question is answered
        // even when it comes while we wait, and neither side waits for the other until the
        // timeout.
        return connection().call(call, QDBus::BlockWithGui, 10000);
    }

    // A home with two uploaded links, so that the history entry of the menu is enabled.
    static void storeHistory(const AppHome& home) {
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

    // Starts the program on the private bus and waits for its item; returns the item's
    // bus name, or empty.
    QString startOnBus(App& app, QMap<QString, QString> extra = {}) {
        extra.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        if (!app.start({}, extra))
            return QString();
        // The item of this process: earlier runs of the test registered theirs too.
        QString found;
        waitFor(
            [&] {
                for (const QString& item : watcher_.items()) {
                    if (connection().interface()->servicePid(item).value() == app.pid())
                        found = item;
                }
                return !found.isEmpty();
            },
            30000);
        return found;
    }

    // Clicks the entry of the program's exported menu labelled `label`, as a panel does.
    bool clickMenuEntry(const QString& service, const QString& label) {
        const QDBusMessage layout = callItem(service, QStringLiteral("/MenuBar"), kMenuInterface,
                                             QStringLiteral("GetLayout"), {0, -1, QStringList()});
        if (layout.type() != QDBusMessage::ReplyMessage || layout.arguments().size() != 2) {
            qWarning() << "GetLayout:" << layout.errorMessage();
            return false;
        }
        const MenuEntry root =
            readMenuEntry(qvariant_cast<QDBusArgument>(layout.arguments().at(1)));
        const int id = findLabel(root, label);
        if (id < 0) {
            qWarning() << "no menu entry" << label;
            return false;
        }
        // Panels say the menu is about to open before the user can click in it.
        callItem(service, QStringLiteral("/MenuBar"), kMenuInterface, QStringLiteral("AboutToShow"),
                 {0});
        const QDBusMessage clicked =
            callItem(service, QStringLiteral("/MenuBar"), kMenuInterface, QStringLiteral("Event"),
                     {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        return clicked.type() == QDBusMessage::ReplyMessage;
    }

    // Opens the history window from the exported menu with the pointer on each monitor in
    // turn; the panel is along the bottom of `left`.
    void checkHistoryPlacement(const QString& item, const QRect& left) {
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect monitor = screen->geometry();
            QCursor::setPos(monitor.center());
            QVERIFY(waitFor([&] { return QCursor::pos() == monitor.center(); }, 5000));

            QVERIFY(clickMenuEntry(item, QStringLiteral("History")));
            QVERIFY(waitFor([] { return windowsNamed(kHistoryTitle).size() == 1; }));
            const QRect window = windowGeometry(windowsNamed(kHistoryTitle).first());
            QVERIFY2(monitor.contains(window), qPrintable(describe(window)));
            if (monitor == left) {
                // The panel is at the bottom: the window goes into the bottom-right corner
                // above it, where such desktops keep their tray area.
                QCOMPARE(window.bottomRight(), QPoint(left.right(), left.bottom() - kPanelHeight));
            } else {
                // No panel on this monitor (the desktop-wide work area would claim one):
                // the middle, give or take the rounding of a scaled size.
                QVERIFY2(qAbs(window.center().x() - monitor.center().x()) <= 2 &&
                             qAbs(window.center().y() - monitor.center().y()) <= 2,
                         qPrintable(describe(window)));
            }

            // It hides itself once something else is active.
            QCursor::setPos(monitor.topLeft() + QPoint(5, 5));
            Desktop::clickAt(monitor.topLeft() + QPoint(5, 5));
            QVERIFY(waitFor([] { return windowsNamed(kHistoryTitle).isEmpty(); }));
        }
    }

private slots:
    void initTestCase() {
        if (QGuiApplication::screens().size() < 2)
            return; // the test cases below run again on a two-monitor desktop
        bus_.setProcessChannelMode(QProcess::SeparateChannels);
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QVERIFY(bus_.waitForStarted());
        QVERIFY(waitFor([&] { return bus_.canReadLine(); }, 10000));
        address_ = QString::fromLocal8Bit(bus_.readLine()).trimmed();
        QVERIFY(!address_.isEmpty());

        QDBusConnection bus = QDBusConnection::connectToBus(address_, kBusName);
        QVERIFY2(bus.isConnected(), qPrintable(bus.lastError().message()));
        QVERIFY(bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher_,
                                   QDBusConnection::ExportAllSlots |
                                       QDBusConnection::ExportAllProperties |
                                       QDBusConnection::ExportAllSignals));
        QVERIFY(bus.registerService(kWatcherService));
    }

    void cleanupTestCase() {
        if (bus_.state() == QProcess::NotRunning)
            return;
        QDBusConnection::disconnectFromBus(kBusName);
        bus_.terminate();
        if (!bus_.waitForFinished(5000))
            bus_.kill();
    }

    void itemIsExportedAndActivatingItOpensTheCapture() {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("runs on the two-monitor desktop of historyGoesToTheCornerOfThePointersMonitor");
        AppHome home;
        App app(home);
        const QString item = startOnBus(app);
        QVERIFY2(!item.isEmpty(), qPrintable(app.output()));
        QVERIFY(app.isRunning());
        // Exported, not embedded: no icon window of the program sits in the XEmbed tray.
        QTest::qWait(500);
        QVERIFY(trayIconWindow(app.pid()).isEmpty());

        const QDBusMessage reply = callItem(item, QStringLiteral("/StatusNotifierItem"),
                                            kItemInterface, QStringLiteral("Activate"), {10, 10});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        QVERIFY(waitFor([] { return windowsNamed(kCaptureTitle).size() == 1; }));
        keys({QStringLiteral("Escape")});
        QVERIFY(waitFor([] { return windowsNamed(kCaptureTitle).isEmpty(); }));
        QVERIFY(app.isRunning());
    }

    void historyGoesToTheCornerOfThePointersMonitor() {
        if (QGuiApplication::screens().size() < 2) {
            if (qEnvironmentVariable("CLIPNEST_TEST_MONITORS") == QLatin1String("2"))
                QFAIL("the test desktop was asked for two monitors, Qt sees one");
            // Every case again on a desktop of two monitors, the tray host's panel on the left
            // one: the pointer's monitor, not the panel's, decides.
            QProcess nested;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("CLIPNEST_TEST_MONITORS"), QStringLiteral("2"));
            env.insert(QStringLiteral("CLIPNEST_TEST_PRIMARY"), QStringLiteral("left"));
            nested.setProcessEnvironment(env);
            nested.setProcessChannelMode(QProcess::MergedChannels);
            nested.start(QStringLiteral("bash"),
                         {QStringLiteral(CLIPNEST_SOURCE_DIR "/scripts/with-test-desktop.sh"),
                          QCoreApplication::applicationFilePath()});
            QVERIFY(nested.waitForStarted());
            nested.waitForFinished(-1);
            const QString output = QString::fromLocal8Bit(nested.readAll());
            QVERIFY2(nested.exitStatus() == QProcess::NormalExit && nested.exitCode() == 0,
                     qPrintable(output));
            QVERIFY2(output.contains(QLatin1String("Totals: 5 passed, 0 failed, 0 skipped")),
                     qPrintable(output));
            return;
        }
        // A panel along the bottom of the left monitor, as a desktop's dock reserves it. The
        // work area is one rectangle for the whole desktop, so both monitors lose the strip.
        const QRect left = QGuiApplication::screens().at(0)->geometry();
        QWidget panel;
        panel.setAttribute(Qt::WA_X11NetWmWindowTypeDock);
        panel.setWindowFlag(Qt::FramelessWindowHint);
        panel.setGeometry(left.left(), left.bottom() - kPanelHeight + 1, left.width(),
                          kPanelHeight);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const QString strut = QStringLiteral("0,0,0,%1,0,0,0,0,0,0,%2,%3")
                                  .arg(kPanelHeight)
                                  .arg(left.left())
                                  .arg(left.right());
        run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), QString::number(panel.winId()), QStringLiteral("-f"),
             QStringLiteral("_NET_WM_STRUT_PARTIAL"), QStringLiteral("32c"), QStringLiteral("-set"),
             QStringLiteral("_NET_WM_STRUT_PARTIAL"), strut});
        QVERIFY(waitFor([&] { return workArea().bottom() == left.bottom() - kPanelHeight; }));

        // Unscaled, and at twice the size, where Qt's coordinates are no longer X pixels.
        for (const QString& scale : {QStringLiteral("1"), QStringLiteral("2")}) {
            AppHome home;
            storeHistory(home);
            App app(home);
            const QString item = startOnBus(app, {{QStringLiteral("QT_SCALE_FACTOR"), scale}});
            QVERIFY2(!item.isEmpty(), qPrintable(app.output()));
            checkHistoryPlacement(item, left);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(app.isRunning());
        }
    }

    void trayStaysAvailableWhileTheWatcherRuns() {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("runs on the two-monitor desktop of historyGoesToTheCornerOfThePointersMonitor");
        // With a StatusNotifier host there is a tray: the program must not say there is none
        // nor force its record button on.
        AppHome home;
        {
            QSettings settings(home.settingsPath(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("first"), false);
            settings.setValue(QStringLiteral("Show snap button"), false);
        }
        App app(home);
        QVERIFY(!startOnBus(app).isEmpty());
        QTest::qWait(4000); // longer than the program's look at the tray host
        QVERIFY(app.isRunning());
        QVERIFY(windowsNamed(QStringLiteral("Clipnest notification")).isEmpty());
        QVERIFY(windowsNamed(QStringLiteral("Clipnest record button")).isEmpty());
    }
};

QTEST_MAIN(TraySniTest)
#include "tst_tray_sni_desktop.moc"
