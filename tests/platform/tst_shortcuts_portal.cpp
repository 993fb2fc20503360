// Key combinations on a Wayland desktop, through a global-shortcuts portal the test plays on a
// private bus: what the program asks the desktop to bind, the presses it acts on, what it
// tells the user when the desktop refuses, and the desktop without such a portal.
#include "platform/wayland/ShortcutsPortal.h"
#include "tests/platform/FakeShortcutsPortal.h"
#include "tests/support/PrivateBus.h"

#include <QSignalSpy>
#include <QtTest>

using platform::GlobalShortcut;
using platform::wayland::ShortcutsPortal;
using Result = GlobalShortcut::Result;

namespace {

const QString kPortalSide = QStringLiteral("shortcuts-test-portal");
const QString kClientSide = QStringLiteral("shortcuts-test-client");
const char kPortalService[] = "org.freedesktop.portal.Desktop";
const char kPortalPath[] = "/org/freedesktop/portal/desktop";

// The program's two shortcuts on one portal client, and what they said.
struct Client {
    explicit Client(const QDBusConnection& bus)
        : portal(bus)
        , capture(portal.createShortcut(QStringLiteral("capture"), nullptr))
        , stop(portal.createShortcut(QStringLiteral("stop"), nullptr))
        , capturePressed(capture.get(), &GlobalShortcut::pressed)
        , stopPressed(stop.get(), &GlobalShortcut::pressed)
        , refused(capture.get(), &GlobalShortcut::refused)
        , bound(&portal, &ShortcutsPortal::bound) {}

    bool settled() {
        return QTest::qWaitFor([&] { return portal.state() != ShortcutsPortal::State::Asking; },
                               10000);
    }

    ShortcutsPortal portal;
    std::unique_ptr<GlobalShortcut> capture;
    std::unique_ptr<GlobalShortcut> stop;
    QSignalSpy capturePressed;
    QSignalSpy stopPressed;
    QSignalSpy refused;
    QSignalSpy bound;
};

} // namespace

class ShortcutsPortalTest : public QObject {
    Q_OBJECT

    PrivateBus bus_;
    std::unique_ptr<FakeShortcutsPortal> desktop_;

    QDBusConnection portalSide() const { return QDBusConnection(kPortalSide); }
    QDBusConnection clientSide() const { return QDBusConnection(kClientSide); }

    void offerPortal() {
        desktop_ = std::make_unique<FakeShortcutsPortal>(portalSide());
        QVERIFY(portalSide().registerObject(kPortalPath, desktop_.get(),
                                            QDBusConnection::ExportAllSlots |
                                                QDBusConnection::ExportAllProperties));
        QVERIFY(portalSide().registerService(kPortalService));
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(bus_.start(&error), qPrintable(error));
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kPortalSide).isConnected());
        QVERIFY(QDBusConnection::connectToBus(bus_.address(), kClientSide).isConnected());
    }

    void cleanup() {
        portalSide().unregisterService(kPortalService);
        portalSide().unregisterObject(kPortalPath, QDBusConnection::UnregisterTree);
        desktop_.reset();
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(kPortalSide);
        QDBusConnection::disconnectFromBus(kClientSide);
    }

    // Both combinations go to the desktop in one question, as preferences with a description;
    // a press of either reaches only its own shortcut, and only from the program's session;
    // new preferences are bound in a new session and the old one is closed.
    void bindsThePreferencesAndActsOnPresses() {
        offerPortal();
        desktop_->triggerDescriptions = {{"capture", "Ctrl+Shift+R"}};
        Client c(clientSide());
        QCOMPARE(c.capture->take(QKeySequence(QStringLiteral("Ctrl+Shift+R"))), Result::Taken);
        QCOMPARE(c.stop->take(QKeySequence(Qt::Key_Print)), Result::Taken);
        QVERIFY(c.settled());
        QVERIFY(!c.capture->keptByDesktop());
        QTRY_COMPARE(c.bound.size(), 1);
        QCOMPARE(desktop_->binds.size(), 1);
        const QList<FakeShortcut> asked = desktop_->binds.first();
        QCOMPARE(asked.size(), 2);
        QMap<QString, QVariantMap> byId;
        for (const FakeShortcut& s : asked)
            byId.insert(s.id, s.properties);
        QCOMPARE(byId.value("capture").value("preferred_trigger").toString(),
                 QStringLiteral("CTRL+SHIFT+r"));
        QCOMPARE(byId.value("stop").value("preferred_trigger").toString(), QStringLiteral("Print"));
        QVERIFY(!byId.value("capture").value("description").toString().isEmpty());
        QCOMPARE(c.portal.boundTrigger("capture"), QStringLiteral("Ctrl+Shift+R"));
        QCOMPARE(c.capture->combination(), QKeySequence(QStringLiteral("Ctrl+Shift+R")));

        const QString session = desktop_->sessions.last();
        desktop_->press(session, "stop");
        QTRY_COMPARE(c.stopPressed.size(), 1);
        desktop_->press(QStringLiteral("/org/freedesktop/portal/desktop/session/keys/other"),
                        "capture");
        desktop_->press(session, "capture");
        QTRY_COMPARE(c.capturePressed.size(), 1);
        QCOMPARE(c.stopPressed.size(), 1);
        // While the dialog is open a press is not acted on.
        c.capture->setSuspended(true);
        desktop_->press(session, "capture");
        desktop_->press(session, "stop");
        QTRY_COMPARE(c.stopPressed.size(), 2);
        QCOMPARE(c.capturePressed.size(), 1);
        c.capture->setSuspended(false);

        // The user picks another combination for stopping.
        QCOMPARE(c.stop->take(QKeySequence(QStringLiteral("Ctrl+Alt+F9"))), Result::Taken);
        QTRY_COMPARE(c.bound.size(), 2);
        QCOMPARE(desktop_->sessions.size(), 2);
        QCOMPARE(desktop_->closedSessions, QStringList{session});
        QCOMPARE(desktop_->binds.last().size(), 2);
        desktop_->press(session, "stop");
        desktop_->press(desktop_->sessions.last(), "capture");
        QTRY_COMPARE(c.capturePressed.size(), 2);
        QCOMPARE(c.stopPressed.size(), 2);
        QVERIFY(c.refused.isEmpty());
    }

    // The user closes the desktop's question, or the desktop refuses: the program says so
    // once and how to go on, and binds nothing.
    void aRefusalIsSaid_data() {
        QTest::addColumn<uint>("response");
        QTest::newRow("closed by the user") << 1u;
        QTest::newRow("refused") << 2u;
    }
    void aRefusalIsSaid() {
        QFETCH(uint, response);
        offerPortal();
        desktop_->bindResponse = response;
        Client c(clientSide());
        QSignalSpy stopRefused(c.stop.get(), &GlobalShortcut::refused);
        QCOMPARE(c.capture->take(QKeySequence(Qt::Key_Print)), Result::Taken);
        QTRY_COMPARE(c.refused.size(), 1);
        QCOMPARE(stopRefused.size(), 1);
        const QString text = c.refused.first().first().toString();
        QVERIFY2(text.contains(QStringLiteral("clipnest --capture")), qPrintable(text));
        QCOMPARE(c.bound.size(), 0);
        QTRY_COMPARE(desktop_->closedSessions, desktop_->sessions);
    }

    // No portal (Debian 12's xdg-desktop-portal has none): every combination but none is the
    // desktop's to give, as before.
    void withoutThePortalTheDesktopKeepsThem() {
        Client c(clientSide());
        QSignalSpy kept(c.capture.get(), &GlobalShortcut::keptByDesktopChanged);
        // Asked before the desktop answered: taken for now, and the owner hears otherwise.
        QCOMPARE(c.capture->take(QKeySequence(Qt::Key_Print)), Result::Taken);
        QVERIFY(c.settled());
        QCOMPARE(kept.size(), 1);
        QCOMPARE(c.portal.state(), ShortcutsPortal::State::Absent);
        QVERIFY(c.capture->keptByDesktop());
        QCOMPARE(c.capture->take(QKeySequence(Qt::Key_Print)), Result::KeptByDesktop);
        QCOMPARE(c.capture->take(QKeySequence()), Result::Taken);
        QCOMPARE(c.capture->combination(), QKeySequence());
    }

    // The portal's names for keys: modifiers in its words and order, the key as the keyboard
    // names it; a key it has no name for is no preference at all.
    void triggersInThePortalsWords_data() {
        QTest::addColumn<QKeySequence>("combination");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("letter") << QKeySequence(QStringLiteral("Ctrl+Shift+R"))
                                << QStringLiteral("CTRL+SHIFT+r");
        QTest::newRow("print") << QKeySequence(Qt::Key_Print) << QStringLiteral("Print");
        QTest::newRow("logo and digit")
            << QKeySequence(QStringLiteral("Meta+Alt+5")) << QStringLiteral("ALT+LOGO+5");
        QTest::newRow("F-key") << QKeySequence(QStringLiteral("Ctrl+F12"))
                               << QStringLiteral("CTRL+F12");
        QTest::newRow("page up") << QKeySequence(QStringLiteral("Shift+PgUp"))
                                 << QStringLiteral("SHIFT+Prior");
        QTest::newRow("none") << QKeySequence() << QString();
        QTest::newRow("unnamed key") << QKeySequence(Qt::Key_LaunchMail) << QString();
    }
    void triggersInThePortalsWords() {
        QFETCH(QKeySequence, combination);
        QFETCH(QString, trigger);
        QCOMPARE(ShortcutsPortal::triggerOf(combination), trigger);
    }
};

QTEST_MAIN(ShortcutsPortalTest)
#include "tst_shortcuts_portal.moc"
