#include "app/DesktopSession.h"

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
};

QTEST_GUILESS_MAIN(DesktopSessionTest)
#include "tst_desktop_session.moc"
