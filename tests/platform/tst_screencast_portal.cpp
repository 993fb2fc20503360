// The screen-cast conversation with the desktop's portal, against a portal the test plays on
// a private bus: the requests it makes, the answers it accepts, and how it ends when the
// user cancels, a remembered choice is stale, or the portal answers nonsense.
#include "platform/wayland/ScreenCastPortal.h"
#include "tests/platform/FakeScreenCastPortal.h"
#include "tests/support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QSignalSpy>
#include <QtTest>

using platform::wayland::ScreenCastPortal;

namespace {

const QString kPortalSide = QStringLiteral("screencast-test-portal");
const QString kClientSide = QStringLiteral("screencast-test-client");
const char kPortalService[] = "org.freedesktop.portal.Desktop";

// One attempt of a client, and what it said.
struct Attempt {
    explicit Attempt(const QDBusConnection& bus)
        : client(bus)
        , opened(&client, &ScreenCastPortal::opened)
        , failed(&client, &ScreenCastPortal::failed) {}

    // Waits for the attempt to end; true when it opened.
    bool settle() {
        if (!QTest::qWaitFor([&] { return opened.size() + failed.size() > 0; }, 10000))
            qWarning("the attempt did not end");
        return !opened.isEmpty() && client.isOpen();
    }
    ScreenCastPortal::Failure failure() const {
        return failed.first().at(0).value<ScreenCastPortal::Failure>();
    }

    ScreenCastPortal client;
    QSignalSpy opened;
    QSignalSpy failed;
};

} // namespace

class ScreenCastPortalTest : public QObject {
    Q_OBJECT

    PrivateBus bus_;
    std::unique_ptr<FakeScreenCastPortal> portal_;

    QDBusConnection portalSide() const { return QDBusConnection(kPortalSide); }
    QDBusConnection clientSide() const { return QDBusConnection(kClientSide); }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(bus_.start(&error), qPrintable(error));
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kPortalSide).isConnected());
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kClientSide).isConnected());
    }

    void init() {
        portal_ = std::make_unique<FakeScreenCastPortal>(portalSide());
        QVERIFY(portalSide().registerObject("/org/freedesktop/portal/desktop", portal_.get(),
                                            QDBusConnection::ExportAllSlots |
                                                QDBusConnection::ExportAllProperties));
        QVERIFY(portalSide().registerService(kPortalService));
    }

    void cleanup() {
        portalSide().unregisterService(kPortalService);
        portalSide().unregisterObject("/org/freedesktop/portal/desktop",
                                      QDBusConnection::UnregisterTree);
        portal_.reset();
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(kPortalSide);
        QDBusConnection::disconnectFromBus(kClientSide);
    }

    // Monitors, several at once, the pointer beside the pictures and the choice kept: the
    // streams come back as the portal described them, with a connection and a new token.
    void opensWithTheStreamsThePortalShares() {
        portal_->streams = {{42, 0, 0, 1920, 1080, 1}, {57, 1920, 0, 1280, 720, 1}};
        Attempt a(clientSide());
        a.client.open({QStringLiteral("token-1"), true});
        QVERIFY2(a.settle(),
                 a.failed.isEmpty() ? "" : qPrintable(a.failed.first().at(1).toString()));
        QCOMPARE(portal_->selectOptions.size(), 1);
        const QVariantMap asked = portal_->selectOptions.first();
        QCOMPARE(asked.value("types").toUInt(), 1u);
        QCOMPARE(asked.value("multiple").toBool(), true);
        QCOMPARE(asked.value("cursor_mode").toUInt(), 4u);
        QCOMPARE(asked.value("persist_mode").toUInt(), 2u);
        QCOMPARE(asked.value("restore_token").toString(), QStringLiteral("token-1"));
        const ScreenCastPortal::Cast& cast = a.client.cast();
        QCOMPARE(cast.streams.size(), 2);
        QCOMPARE(cast.streams[1].node, 57u);
        QVERIFY(cast.streams[1].hasPosition && cast.streams[1].hasSize);
        QCOMPARE(cast.streams[1].position, QPoint(1920, 0));
        QCOMPARE(cast.streams[1].size, QSize(1280, 720));
        QCOMPARE(cast.streams[1].sourceType, 1u);
        QVERIFY(cast.remote.isValid());
        QCOMPARE(cast.restoreToken, QStringLiteral("token-2"));
        QVERIFY(cast.pointerAsMetadata);
        // Ending the cast ends the desktop's session, so its sharing indicator goes away.
        a.client.close();
        QVERIFY(!a.client.isOpen());
        QTRY_COMPARE(portal_->closedSessions, portal_->sessions);
    }

    // An older portal: no pointer metadata and no remembered choices; nothing it does not
    // know is asked of it.
    void asksAnOlderPortalOnlyWhatItKnows() {
        portal_->interfaceVersion = 3;
        portal_->availableCursorModes = 1 | 2;
        Attempt a(clientSide());
        a.client.open({QStringLiteral("token-1"), true});
        QVERIFY(a.settle());
        const QVariantMap asked = portal_->selectOptions.first();
        QCOMPARE(asked.value("cursor_mode").toUInt(), 2u);
        QVERIFY(!asked.contains("persist_mode"));
        QVERIFY(!asked.contains("restore_token"));
        QVERIFY(!a.client.cast().pointerAsMetadata);
    }

    // The user closes the desktop's dialog: a cancel, said as such, and no session left.
    void cancelledDialogEndsWithoutASession() {
        portal_->selectResponse = 1;
        Attempt a(clientSide());
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failed.size(), 1);
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Cancelled);
        QVERIFY(!a.failed.first().at(1).toString().isEmpty());
        QTRY_COMPARE(portal_->closedSessions, portal_->sessions);
    }

    // A desktop that ends the session when its chooser is closed: a cancel too.
    void sessionEndedByTheDialogIsACancel() {
        portal_->closeOnSelect = true;
        Attempt a(clientSide());
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Cancelled);
        // The second announcement changes nothing: a new attempt, answered in full after it,
        // is the only other thing heard.
        portal_->closeOnSelect = false;
        a.client.open({});
        QVERIFY(QTest::qWaitFor([&] { return a.opened.size() == 1; }, 10000));
        QCOMPARE(a.failed.size(), 1);
    }

    // A token the desktop cannot even read is refused by the call: asked again without it.
    void unreadableTokenAsksAgain() {
        portal_->unreadableToken = QStringLiteral("no-such-token");
        Attempt a(clientSide());
        a.client.open({QStringLiteral("no-such-token"), true});
        QVERIFY2(a.settle(),
                 a.failed.isEmpty() ? "" : qPrintable(a.failed.first().at(1).toString()));
        QCOMPARE(portal_->selectOptions.size(), 2);
        QVERIFY(!portal_->selectOptions[1].contains("restore_token"));
    }

    // A remembered choice the desktop cannot restore: asked again once, without it.
    void staleTokenAsksAgain() {
        portal_->staleToken = QStringLiteral("old");
        Attempt a(clientSide());
        a.client.open({QStringLiteral("old"), true});
        QVERIFY(a.settle());
        QCOMPARE(portal_->selectOptions.size(), 2);
        QVERIFY(!portal_->selectOptions[1].contains("restore_token"));
        QCOMPARE(portal_->sessions.size(), 2);
        QTRY_COMPARE(portal_->closedSessions, QStringList{portal_->sessions.first()});
        QCOMPARE(a.client.cast().restoreToken, QStringLiteral("token-2"));
    }

    // A refusal without a token to blame is reported, not retried.
    void refusalIsReported() {
        portal_->startResponse = 2;
        Attempt a(clientSide());
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Refused);
        QCOMPARE(portal_->sessions.size(), 1);
    }

    // Answers of the wrong shape or with nothing in them are refusals, never a cast.
    void nonsenseAnswersAreRefused_data() {
        QTest::addColumn<bool>("garbage");
        QTest::addColumn<int>("streams");
        QTest::newRow("streams not a list") << true << 1;
        QTest::newRow("no streams") << false << 0;
        QTest::newRow("stream without node") << false << -1;
    }
    void nonsenseAnswersAreRefused() {
        QFETCH(bool, garbage);
        QFETCH(int, streams);
        portal_->garbageStreams = garbage;
        if (streams == 0)
            portal_->streams.clear();
        if (streams < 0)
            portal_->streams = {{0, 0, 0, 10, 10, 1}};
        Attempt a(clientSide());
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Refused);
        QTRY_COMPARE(portal_->closedSessions, portal_->sessions);
    }

    // No portal on the bus, or one that cannot share monitors.
    void missingPortalIsUnavailable() {
        cleanup();
        Attempt a(clientSide());
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Unavailable);
        init();
        portal_->availableSourceTypes = 2;
        a.failed.clear();
        a.client.open({});
        QVERIFY(!a.settle());
        QCOMPARE(a.failure(), ScreenCastPortal::Failure::Unavailable);
    }

    // The user stops sharing from the desktop's indicator.
    void desktopEndingTheCastIsReported() {
        Attempt a(clientSide());
        QSignalSpy ended(&a.client, &ScreenCastPortal::closedByDesktop);
        a.client.open({});
        QVERIFY(a.settle());
        portal_->endSession(portal_->sessions.first());
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(!a.client.isOpen());
        QVERIFY(a.failed.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ScreenCastPortalTest)
#include "tst_screencast_portal.moc"
