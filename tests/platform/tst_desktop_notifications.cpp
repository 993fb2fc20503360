// Notices through the desktop's notification service, played on a private bus: what the
// service is given, which buttons reach us, and our popup wherever the service is missing,
// refuses, or shows no buttons.
#include "platform/DbusNotifications.h"
#include "platform/PopupNotifications.h"
#include "tests/support/FakeNotifications.h"
#include "tests/support/PrivateBus.h"
#include "widgets/PopupNotify.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using platform::DbusNotifications;
using platform::DesktopNotifications;
using platform::PopupNotifications;

namespace {

const QString kServiceSide = QStringLiteral("notifications-test-service");
const QString kClientSide = QStringLiteral("notifications-test-client");
const QList<DesktopNotifications::Action> kCopy{
    {QStringLiteral("copy"), QStringLiteral("Copy link")}};

} // namespace

class TestDesktopNotifications : public QObject {
    Q_OBJECT

    PrivateBus bus_;
    std::unique_ptr<FakeNotifications> service_;
    PopupNotify popup_;
    std::unique_ptr<PopupNotifications> fallback_;
    std::unique_ptr<DbusNotifications> notices_;
    std::unique_ptr<QSignalSpy> actions_;

    QDBusConnection serviceSide() const { return QDBusConnection(kServiceSide); }
    QDBusConnection clientSide() const { return QDBusConnection(kClientSide); }

    // Waits until the service has been given `count` notices in all.
    bool serviceGot(int count) {
        return QTest::qWaitFor([&] { return service_->notices.size() >= count; }, 5000) &&
               service_->notices.size() == count;
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(bus_.start(&error), qPrintable(error));
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kServiceSide).isConnected());
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kClientSide).isConnected());
    }

    void init() {
        service_ = std::make_unique<FakeNotifications>(serviceSide());
        popup_.hide();
        fallback_ =
            std::make_unique<PopupNotifications>(&popup_, [](QWidget* w) { w->move(0, 0); });
        notices_ = std::make_unique<DbusNotifications>(
            clientSide(), fallback_.get(), QStringLiteral("Clipnest"), QStringLiteral("clipnest"));
        actions_ =
            std::make_unique<QSignalSpy>(notices_.get(), &DesktopNotifications::actionInvoked);
    }

    void cleanup() {
        actions_.reset();
        notices_.reset();
        fallback_.reset();
        service_->withdraw();
        service_.reset();
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(kServiceSide);
        QDBusConnection::disconnectFromBus(kClientSide);
    }

    // Our text reaches the service as plain characters, with the button, and nothing shows
    // of our own.
    void noticeGoesToTheServiceAsPlainText() {
        QVERIFY(service_->offer());
        const quint32 id =
            notices_->notify(QStringLiteral("Video uploaded"),
                             QStringLiteral("Ready: https://v.test/a?x=1&y=<b>"), kCopy);
        QVERIFY(id != 0);
        QVERIFY(serviceGot(1));
        const FakeNotifications::Notice& n = service_->notices.first();
        QCOMPARE(n.appName, QStringLiteral("Clipnest"));
        QCOMPARE(n.icon, QStringLiteral("clipnest"));
        QCOMPARE(n.summary, QStringLiteral("Video uploaded"));
        // The service reads markup: its markup characters go escaped.
        QCOMPARE(n.body, QStringLiteral("Ready: https://v.test/a?x=1&amp;y=&lt;b&gt;"));
        QCOMPARE(n.actions, (QStringList{"copy", "Copy link"}));
        QCOMPARE(n.replacesId, 0u);
        QVERIFY(!popup_.isVisible());

        // A service without markup shows the text as it is.
        service_->capabilities = {QStringLiteral("body"), QStringLiteral("actions")};
        DbusNotifications plain(clientSide(), fallback_.get(), "Clipnest", "clipnest");
        plain.notify(QStringLiteral("s"), QStringLiteral("a & <b>"));
        QVERIFY(serviceGot(2));
        QCOMPARE(service_->notices.last().body, QStringLiteral("a & <b>"));
        QVERIFY(!popup_.isVisible());
    }

    // Only the buttons of our own notices are reported, each with our id and its key.
    void actionsOfOurNoticesOnly() {
        QVERIFY(service_->offer());
        const quint32 first = notices_->notify("Clipnest", "first", kCopy);
        const quint32 second = notices_->notify("Clipnest", "second", kCopy);
        QVERIFY(first != second);
        QVERIFY(serviceGot(2));
        const uint serverFirst = service_->notices[0].id;
        const uint serverSecond = service_->notices[1].id;
        // Our reply and the press travel in order; the press is repeated until it is heard,
        // as a user clicks again.
        QVERIFY(QTest::qWaitFor(
            [&] {
                service_->invoke(serverSecond, QStringLiteral("copy"));
                return !actions_->isEmpty();
            },
            5000));
        QCOMPARE(actions_->first().at(0).value<quint32>(), second);
        QCOMPARE(actions_->first().at(1).toString(), QStringLiteral("copy"));

        // Another program's notice, then our first one as a marker: presses arrive in order,
        // so once the marker is in, the other one would be too. Only ours are reported.
        service_->invoke(serverSecond + 100, QStringLiteral("copy"));
        service_->invoke(serverFirst, QStringLiteral("copy"));
        const auto ids = [this] {
            QList<quint32> seen;
            for (const QList<QVariant>& signal : std::as_const(*actions_))
                seen << signal.at(0).value<quint32>();
            return seen;
        };
        QTRY_VERIFY(ids().contains(first));
        for (const quint32 id : ids())
            QVERIFY(id == first || id == second); // repeats of the earlier press may trail
    }

    // No service on the bus: our popup says it, and its button answers as the service's
    // would.
    void withoutServiceThePopupShows() {
        const quint32 id = notices_->notify("Clipnest", "The link is ready", kCopy);
        QTRY_VERIFY(popup_.isVisible());
        QCOMPARE(popup_.text(), QStringLiteral("The link is ready"));
        QCOMPARE(popup_.buttons().size(), 1);
        QCOMPARE(popup_.buttons().first()->text(), QStringLiteral("Copy link"));
        popup_.buttons().first()->click();
        QCOMPARE(actions_->size(), 1);
        QCOMPARE(actions_->first().at(0).value<quint32>(), id);
        QCOMPARE(actions_->first().at(1).toString(), QStringLiteral("copy"));
        QVERIFY(!popup_.isVisible());

        // A notice without buttons clears the last one's.
        notices_->notify("Clipnest", "Plain");
        QTRY_COMPARE(popup_.text(), QStringLiteral("Plain"));
        QVERIFY(popup_.buttons().isEmpty());

        // The service comes up later: the next notice goes to it.
        popup_.hide();
        QVERIFY(service_->offer());
        notices_->notify("Clipnest", "Now on the desktop");
        QVERIFY(serviceGot(1));
        QVERIFY(!popup_.isVisible());
    }

    // A service that refuses a notice, or shows no buttons for one that needs them: the
    // popup instead, so that nothing is lost.
    void refusedOrButtonlessGoesToThePopup() {
        service_->refuseWith = QStringLiteral("out of order");
        QVERIFY(service_->offer());
        notices_->notify("Clipnest", "Refused one");
        QTRY_VERIFY(popup_.isVisible());
        QCOMPARE(popup_.text(), QStringLiteral("Refused one"));
        popup_.hide();

        service_->refuseWith.clear();
        service_->capabilities = {QStringLiteral("body")};
        const quint32 id = notices_->notify("Clipnest", "Needs a button", kCopy);
        QTRY_VERIFY(popup_.isVisible());
        QCOMPARE(popup_.text(), QStringLiteral("Needs a button"));
        QVERIFY(service_->notices.isEmpty());
        popup_.buttons().first()->click();
        QCOMPARE(actions_->size(), 1);
        QCOMPARE(actions_->first().at(0).value<quint32>(), id);
        // Without buttons it may go to the desktop.
        notices_->notify("Clipnest", "No button needed");
        QVERIFY(serviceGot(1));
    }
};

QTEST_MAIN(TestDesktopNotifications)
#include "tst_desktop_notifications.moc"
