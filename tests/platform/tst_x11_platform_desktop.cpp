// The X11 platform on the test desktop's X server: keys grabbed for the whole session, the
// tray as Qt itself finds it, and the screen read for recording.
#include "media/ScreenGrabber.h"
#include "media/engine/Sources.h"
#include "platform/GlobalShortcut.h"
#include "platform/TrayHost.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11TrayHost.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>

using platform::GlobalShortcut;

namespace {

// Letters, not function keys: Ctrl+Alt+F<n> switches the X server's virtual terminal, which
// the server handles itself and passes to no client.
void pressKeys(const QString& combination) {
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), combination});
}

struct ConnectionClose {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

} // namespace

class X11PlatformTest : public QObject {
    Q_OBJECT

    platform::X11Platform platform_;

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    }

    void aTakenCombinationArrivesWhereverTheFocusIs() {
        std::unique_ptr<GlobalShortcut> shortcut(
            platform_.createGlobalShortcut(QStringLiteral("capture"), nullptr));
        QSignalSpy pressed(shortcut.get(), &GlobalShortcut::pressed);
        QCOMPARE(shortcut->take(QKeySequence(QStringLiteral("Ctrl+Alt+K"))),
                 GlobalShortcut::Result::Taken);
        QCOMPARE(shortcut->combination(), QKeySequence(QStringLiteral("Ctrl+Alt+K")));
        pressKeys(QStringLiteral("ctrl+alt+k"));
        QVERIFY(pressed.wait(10000));
        // Another combination is not ours.
        pressed.clear();
        pressKeys(QStringLiteral("ctrl+alt+l"));
        pressKeys(QStringLiteral("ctrl+alt+k"));
        QVERIFY(pressed.wait(10000));
        QCOMPARE(pressed.size(), 1);

        // Suspended, the key goes to whoever has the focus; resumed, it is ours again.
        shortcut->setSuspended(true);
        QCOMPARE(shortcut->combination(), QKeySequence(QStringLiteral("Ctrl+Alt+K")));
        shortcut->setSuspended(false);
        pressed.clear();
        pressKeys(QStringLiteral("ctrl+alt+k"));
        QVERIFY(pressed.wait(10000));

        QCOMPARE(shortcut->take(QKeySequence()), GlobalShortcut::Result::Taken);
        QVERIFY(shortcut->combination().isEmpty());
        QCOMPARE(shortcut->take(QKeySequence(QStringLiteral("A"))),
                 GlobalShortcut::Result::NotOnKeyboard);
    }

    void aCombinationAnotherProgramHoldsIsRefused() {
        // Another client of the same X server grabs Ctrl+Alt+M first.
        std::unique_ptr<xcb_connection_t, ConnectionClose> other(xcb_connect(nullptr, nullptr));
        QVERIFY(!xcb_connection_has_error(other.get()));
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other.get());
        QVERIFY(symbols);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, XK_m);
        xcb_key_symbols_free(symbols);
        QVERIFY(codes);
        const xcb_keycode_t code = codes[0];
        std::free(codes);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other.get())).data->root;
        const uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
        xcb_generic_error_t* error = xcb_request_check(
            other.get(), xcb_grab_key_checked(other.get(), 1, root, ctrlAlt, code,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        QVERIFY(!error);

        std::unique_ptr<GlobalShortcut> shortcut(
            platform_.createGlobalShortcut(QStringLiteral("capture"), nullptr));
        QCOMPARE(shortcut->take(QKeySequence(QStringLiteral("Ctrl+Alt+N"))),
                 GlobalShortcut::Result::Taken);
        QCOMPARE(shortcut->take(QKeySequence(QStringLiteral("Ctrl+Alt+M"))),
                 GlobalShortcut::Result::HeldByOther);
        // The one held before stays in force.
        QCOMPARE(shortcut->combination(), QKeySequence(QStringLiteral("Ctrl+Alt+N")));
        QSignalSpy pressed(shortcut.get(), &GlobalShortcut::pressed);
        pressKeys(QStringLiteral("ctrl+alt+n"));
        QVERIFY(pressed.wait(10000));

        // Once the other program lets go, it can be had.
        other.reset();
        QVERIFY(QTest::qWaitFor([&] {
            return shortcut->take(QKeySequence(QStringLiteral("Ctrl+Alt+M"))) ==
                   GlobalShortcut::Result::Taken;
        }));
    }

    void theTrayIsTheOneQtFinds() {
        platform::TrayHost* host = platform_.createTrayHost(this);
        QSignalSpy answered(host, &platform::TrayHost::answered);
        host->check();
        QVERIFY(answered.wait(10000));
        // The test desktop has a tray, and Qt's own blocking question agrees.
        QCOMPARE(answered.first().first().toBool(), true);
        QCOMPARE(QSystemTrayIcon::isSystemTrayAvailable(), true);
        QVERIFY(platform::xembedTrayOwned());
        delete host;
    }

    void theScreenIsReadThroughTheDesktopsSource() {
        ScreenGrabber grabber;
        int opened = 0;
        const ScreenGrabber::SourceOpener source = platform_.screenSource();
        grabber.setSourceOpener([&](const QRect& rect, const ScreenGrabber::PointerOptions& p,
                                    AbstractGrabber::Error* code, QString* text) {
            ++opened;
            return source(rect, p, code, text);
        });
        grabber.setCaptureRect(QRect(8, 8, 64, 48));
        AbstractGrabber::Error code = AbstractGrabber::NoError;
        QString text;
        std::unique_ptr<engine::ImageSource> screen = grabber.openSource(&code, &text);
        QVERIFY2(screen, qPrintable(text));
        QCOMPARE(opened, 1);
        QCOMPARE(screen->size(), QSize(64, 48));
        engine::RawImage image;
        QVERIFY2(screen->grab(image, &code, &text), qPrintable(text));
        // The first picture is whole.
        QCOMPARE(image.width, 64);
        QCOMPARE(image.height, 48);
        QCOMPARE(image.rows, 48);

        // An empty area is refused before the desktop is asked.
        grabber.setCaptureRect(QRect(8, 8, 0, 48));
        QVERIFY(!grabber.openSource(&code, &text));
        QCOMPARE(code, AbstractGrabber::InvalidSettingsError);
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(X11PlatformTest)
#include "tst_x11_platform_desktop.moc"
