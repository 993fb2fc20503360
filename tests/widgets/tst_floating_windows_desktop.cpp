// The popup and the progress window on a real X display with a window manager: they map as
// frameless, always-on-top windows, leave the keyboard with the window the user works in, and
// the popup unmaps itself after two seconds.
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString windowProperty(const QWidget& w, const char* name) {
    return run("xprop", {"-id", QString::number(w.winId()), name});
}

bool isViewable(const QWidget& w) {
    return run("xwininfo", {"-id", QString::number(w.winId())}).contains("IsViewable");
}

QString activeWindowId() {
    return run("xdotool", {"getactivewindow"}).trimmed();
}

// Frameless: the window manager reports no frame around the window.
bool hasNoFrame(const QWidget& w) {
    const QString extents = windowProperty(w, "_NET_FRAME_EXTENTS");
    return !extents.contains('=') || extents.contains("= 0, 0, 0, 0");
}

} // namespace

class FloatingWindowsDesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void popupShowsOnTopWithoutFocusAndGoes();
    void progressWindowShowsOnTopWithoutFocus();

private:
    QLineEdit* editor_ = nullptr;
};

void FloatingWindowsDesktopTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
}

void FloatingWindowsDesktopTest::init() {
    // The window the user is typing into.
    editor_ = new QLineEdit;
    editor_->setWindowTitle("editor");
    editor_->setGeometry(100, 100, 300, 40);
    editor_->show();
    editor_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor_, 10000));
    QTRY_COMPARE_WITH_TIMEOUT(activeWindowId(), QString::number(editor_->winId()), 10000);
}

void FloatingWindowsDesktopTest::cleanup() {
    delete editor_;
    editor_ = nullptr;
}

void FloatingWindowsDesktopTest::popupShowsOnTopWithoutFocusAndGoes() {
    PopupNotify popup;
    popup.setText("Video link copied to clipboard");
    popup.move(800, 500);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(popup), 5000);
    QVERIFY(windowProperty(popup, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
    QVERIFY(hasNoFrame(popup));
    QCOMPARE(activeWindowId(), QString::number(editor_->winId()));
    QVERIFY(editor_->isActiveWindow());
    // Gone from the screen by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!isViewable(popup), 10000);
    QCOMPARE(activeWindowId(), QString::number(editor_->winId()));
}

void FloatingWindowsDesktopTest::progressWindowShowsOnTopWithoutFocus() {
    ProgressWidget window;
    window.setFixedSize(372, 155);
    window.move(774, 462);
    window.setValue(10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(window), 5000);
    QVERIFY(windowProperty(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
    QVERIFY(hasNoFrame(window));
    QCOMPARE(activeWindowId(), QString::number(editor_->winId()));
    window.setValue(75);
    QCOMPARE(window.percentText(), QString("75%"));
    window.hide();
    QTRY_VERIFY_WITH_TIMEOUT(!isViewable(window), 5000);
}

int main(int argc, char** argv) {
    // Without the test desktop there is no display to connect to; start anyway so the test can
    // say why it skips.
    if (qEnvironmentVariableIsEmpty("CLIPNEST_TEST_DESKTOP"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FloatingWindowsDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_floating_windows_desktop.moc"
