// Whether the desktop has a tray, asked of a StatusNotifierWatcher the test plays on a
// private session bus. The offscreen platform has no X display, so no XEmbed tray can answer
// in its place.
#include "platform/x11/X11TrayHost.h"
#include "tests/support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherSide = QStringLiteral("tray-host-test-watcher");
const QString kAskingSide = QStringLiteral("tray-host-test-asker");

} // namespace

// What a desktop's panel registers on the session bus.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
public:
    bool isHostRegistered() const { return hostRegistered; }
    bool hostRegistered = true;
};

class TrayHostTest : public QObject {
    Q_OBJECT

    PrivateBus bus_;
    Watcher watcher_;

    // The answer of one check by a fresh host, which never comes from within check().
    bool ask() {
        platform::X11TrayHost host(nullptr, kAskingSide);
        QSignalSpy answered(&host, &platform::TrayHost::answered);
        host.check();
        if (!answered.isEmpty()) {
            qWarning("answered from within check()");
            return false;
        }
        if (!answered.wait(10000) || answered.size() != 1) {
            qWarning("no answer");
            return false;
        }
        return answered.first().first().toBool();
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(bus_.start(&error), qPrintable(error));
        const QString address = bus_.address();
        QDBusConnection watcherSide = QDBusConnection::connectToBus(address, kWatcherSide);
        QVERIFY2(watcherSide.isConnected(), qPrintable(watcherSide.lastError().message()));
        QVERIFY(watcherSide.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher_,
                                           QDBusConnection::ExportAllProperties));
        QVERIFY(QDBusConnection::connectToBus(address, kAskingSide).isConnected());
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(kWatcherSide);
        QDBusConnection::disconnectFromBus(kAskingSide);
    }

    void answersWhatTheWatcherSays() {
        QDBusConnection watcherSide(kWatcherSide);
        QVERIFY(watcherSide.registerService(kWatcherService));
        watcher_.hostRegistered = true;
        QVERIFY(ask());
        // A watcher without a host (the panel that showed the icons went away).
        watcher_.hostRegistered = false;
        QVERIFY(!ask());
        watcher_.hostRegistered = true;
        QVERIFY(ask());
        // No watcher at all.
        QVERIFY(watcherSide.unregisterService(kWatcherService));
        QVERIFY(!ask());
    }

    void aCheckUnderWayServesTheNextOne() {
        QDBusConnection watcherSide(kWatcherSide);
        QVERIFY(watcherSide.registerService(kWatcherService));
        auto unregister = qScopeGuard([&] { watcherSide.unregisterService(kWatcherService); });
        watcher_.hostRegistered = true;
        platform::X11TrayHost host(nullptr, kAskingSide);
        QSignalSpy answered(&host, &platform::TrayHost::answered);
        host.check();
        host.check();
        QVERIFY(answered.wait(10000));
        QCOMPARE(answered.first().first().toBool(), true);
        // Once answered, a check asks again.
        answered.clear();
        watcher_.hostRegistered = false;
        host.check();
        QVERIFY(answered.wait(10000));
        QCOMPARE(answered.size(), 1);
        QCOMPARE(answered.first().first().toBool(), false);
    }

    void withoutABusOnlyAnXEmbedTrayCounts() {
        platform::X11TrayHost host(nullptr, QStringLiteral("tray-host-test-no-such-connection"));
        QSignalSpy answered(&host, &platform::TrayHost::answered);
        host.check();
        QVERIFY(answered.isEmpty());
        QVERIFY(answered.wait(10000));
        QCOMPARE(answered.first().first().toBool(), false);
    }
};

QTEST_MAIN(TrayHostTest)
#include "tst_tray_host.moc"
