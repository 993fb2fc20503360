#include "platform/DesktopSession.h"
#include "platform/Platform.h"

#include <QtTest>

class DesktopSessionTest : public QObject {
    Q_OBJECT

private slots:
    void waylandIsRecognisedFromEitherVariable_data() {
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("sessionType");
        QTest::addColumn<bool>("wayland");
        QTest::newRow("X11 session") << QString() << QStringLiteral("x11") << false;
        QTest::newRow("nothing set") << QString() << QString() << false;
        QTest::newRow("tty") << QString() << QStringLiteral("tty") << false;
        QTest::newRow("compositor socket") << QStringLiteral("wayland-0") << QString() << true;
        QTest::newRow("session type") << QString() << QStringLiteral("wayland") << true;
        QTest::newRow("session type, capitals") << QString() << QStringLiteral("Wayland") << true;
        QTest::newRow("both") << QStringLiteral("wayland-1") << QStringLiteral("wayland") << true;
        // Inside a Wayland session an X11 login type can still carry the socket (nested).
        QTest::newRow("socket wins")
            << QStringLiteral("wayland-0") << QStringLiteral("x11") << true;
        QTest::newRow("blank socket") << QStringLiteral("  ") << QStringLiteral("x11") << false;
    }

    void waylandIsRecognisedFromEitherVariable() {
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, sessionType);
        QFETCH(bool, wayland);
        QCOMPARE(DesktopSession::isWayland(waylandDisplay, sessionType), wayland);
    }

    // A forced session wins over the environment; otherwise a Wayland session runs as a
    // Wayland client. Only the two names the command line documents are taken.
    void theSessionIsTheForcedOneOrTheEnvironments() {
        using DesktopSession::Kind;
        const QString socket = QStringLiteral("wayland-0");
        QCOMPARE(DesktopSession::choose(std::nullopt, socket, QString()), Kind::Wayland);
        QCOMPARE(DesktopSession::choose(std::nullopt, QString(), QStringLiteral("x11")), Kind::X11);
        QCOMPARE(DesktopSession::choose(Kind::X11, socket, QStringLiteral("wayland")), Kind::X11);
        QCOMPARE(DesktopSession::choose(Kind::Wayland, QString(), QString()), Kind::Wayland);
        QCOMPARE(DesktopSession::kindNamed(QStringLiteral(" Wayland ")), Kind::Wayland);
        QCOMPARE(DesktopSession::kindNamed(QStringLiteral("x11")), Kind::X11);
        QVERIFY(!DesktopSession::kindNamed(QStringLiteral("xcb")));
        QVERIFY(!DesktopSession::kindNamed(QString()));
        QCOMPARE(DesktopSession::qtPlatformOf(Kind::Wayland), QByteArray("wayland"));
        QCOMPARE(DesktopSession::qtPlatformOf(Kind::X11), QByteArray("xcb"));
    }

    // The platform the environment calls for warns of a Wayland session once at start.
    void theEnvironmentsPlatformSaysWhatRecords() {
        // The test's own environment comes back as it was, unset variables unset.
        struct Saved {
            const char* name;
            bool set;
            QByteArray value;
        };
        const Saved saved[] = {
            {"WAYLAND_DISPLAY", qEnvironmentVariableIsSet("WAYLAND_DISPLAY"),
             qgetenv("WAYLAND_DISPLAY")},
            {"XDG_SESSION_TYPE", qEnvironmentVariableIsSet("XDG_SESSION_TYPE"),
             qgetenv("XDG_SESSION_TYPE")},
        };
        auto restore = qScopeGuard([&] {
            for (const Saved& v : saved) {
                if (v.set)
                    qputenv(v.name, v.value);
                else
                    qunsetenv(v.name);
            }
        });
        using platform::Platform;
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "wayland");
        std::unique_ptr<Platform> chosen = Platform::forEnvironment();
        QCOMPARE(chosen->startupNotice(), Platform::Notice::OnlyX11WindowsRecord);
        // Through Xwayland the X11 way of doing things still holds.
        QCOMPARE(chosen->kind(), Platform::Kind::X11);
        QVERIFY(chosen->placesWindows());
        qputenv("XDG_SESSION_TYPE", "x11");
        chosen = Platform::forEnvironment();
        QCOMPARE(chosen->startupNotice(), Platform::Notice::None);
        QCOMPARE(chosen->kind(), Platform::Kind::X11);
    }
};

QTEST_GUILESS_MAIN(DesktopSessionTest)
#include "tst_desktop_session.moc"
