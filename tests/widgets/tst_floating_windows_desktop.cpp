// The popup and the progress window on a real X display with a window manager: they map as
// frameless, always-on-top windows, leave the keyboard with the window the user works in, and
// the popup unmaps itself after two seconds. The desktop runs no compositor: the history
// window, the popup and the progress window show no black where they would be see-through.
// The history window moves where the user drags it, and no further than the screen's edge. Message
// boxes land over the program's window the user works in, or in the middle of the monitor under the
// pointer. With no browser to start, an address to open is offered for copying instead.
#include "history/HistoryManager.h"
#include "platform/Platform.h"
#include "widgets/DesktopTraits.h"
#include "widgets/HistoryWidget.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"
#include "widgets/WebAddress.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// Where the X server has the window, as xwininfo reports it.
QRect onScreen(const QWidget& w) {
    const QString info = run("xwininfo", {"-id", QString::number(w.winId())});
    const auto number = [&info](const QString& key) {
        const int at = info.indexOf(key);
        return at < 0 ? -1 : info.mid(at + key.size()).section('\n', 0, 0).trimmed().toInt();
    };
    return QRect(number("Absolute upper-left X:"), number("Absolute upper-left Y:"),
                 number("Width:"), number("Height:"));
}

// The pixels of the screen that the window covers, read back from the X server: what the user
// sees there, not what the window meant to paint.
QImage screenUnder(const QWidget& w) {
    const QRect r = onScreen(w);
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage();
}

// Black, or nearly: what a see-through pixel shows where nothing blends it.
bool isBlack(const QColor& c) {
    return c.red() + c.green() + c.blue() < 40;
}

// The window's corners and the middles of its edges, where a frame or a rounded corner would
// be see-through.
QString blackEdges(const QImage& image) {
    const int w = image.width() - 1;
    const int h = image.height() - 1;
    QStringList black;
    for (const QPoint& p : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h), QPoint(1, 1),
                            QPoint(w - 1, h - 1), QPoint(w / 2, 0), QPoint(0, h / 2),
                            QPoint(w, h / 2), QPoint(w / 2, h), QPoint(3, h / 2)}) {
        if (isBlack(image.pixelColor(p)))
            black << QString("(%1,%2)").arg(p.x()).arg(p.y());
    }
    return black.join(' ');
}

// Drags with the real pointer through the X server, in small steps as a hand does.
void drag(const QPoint& from, const QPoint& to) {
    run("xdotool", {"mousemove", QString::number(from.x()), QString::number(from.y())});
    run("xdotool", {"mousedown", "1"});
    for (int i = 1; i <= 8; ++i) {
        const QPoint p = from + (to - from) * i / 8;
        run("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
    }
    run("xdotool", {"mouseup", "1"});
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
    void messageBoxLandsWhereTheUserLooks();
    void noBrowserOffersTheAddressToCopy();
    void noBlackWithoutACompositor();
    void historyWindowMovesByDraggingAndStaysOnScreen();

private:
    // Shows a box as the program does, its parent a window that is not shown (the capture
    // overlay steps aside for its boxes), and gives back where the box's window is on the
    // screen, as the X server has it.
    QRect boxOnScreen();
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

QRect FloatingWindowsDesktopTest::boxOnScreen() {
    QWidget hiddenParent;
    hiddenParent.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QRect where;
    QTimer::singleShot(0, this, [&where] {
        QMessageBox* box = nullptr;
        // Answered also when a check fails, so that the test goes on.
        const auto answer = qScopeGuard([&box] {
            if (box)
                box->accept();
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            [&box] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                        box = b;
                return box != nullptr;
            }(),
            10000);
        QTRY_VERIFY_WITH_TIMEOUT(isViewable(*box), 10000);
        const QString info = run("xwininfo", {"-id", QString::number(box->winId())});
        const auto number = [&info](const QString& key) {
            const int at = info.indexOf(key);
            return at < 0 ? -1 : info.mid(at + key.size()).section('\n', 0, 0).trimmed().toInt();
        };
        where = QRect(number("Absolute upper-left X:"), number("Absolute upper-left Y:"),
                      number("Width:"), number("Height:"));
    });
    showPlainMessage(&hiddenParent, QMessageBox::Critical, "Error", "Can not open file");
    return where;
}

void FloatingWindowsDesktopTest::messageBoxLandsWhereTheUserLooks() {
    // With a window of the program in use: over that window.
    editor_->setGeometry(1200, 200, 500, 300);
    QTRY_COMPARE_WITH_TIMEOUT(editor_->geometry(), QRect(1200, 200, 500, 300), 10000);
    QVERIFY(editor_->isActiveWindow());
    // Centred over the window with its frame, as the user sees it.
    const QPoint middle = editor_->frameGeometry().center();
    QRect box = boxOnScreen();
    QVERIFY2(qAbs(box.center().x() - middle.x()) <= 2 && qAbs(box.center().y() - middle.y()) <= 2,
             qPrintable(QStringLiteral("box at %1,%2 %3x%4")
                            .arg(box.x())
                            .arg(box.y())
                            .arg(box.width())
                            .arg(box.height())));

    // Without one: in the middle of the monitor under the pointer (the last one, on a desktop
    // of two), less the tray's panel.
    editor_->hide();
    QTRY_VERIFY(!QApplication::activeWindow());
    if (qEnvironmentVariable("CLIPNEST_TEST_MONITORS") == QLatin1String("2"))
        QCOMPARE(QGuiApplication::screens().size(), 2);
    const QScreen* pointed = QGuiApplication::screens().last();
    const QPoint pointer = pointed->geometry().center() + QPoint(500, -300);
    run("xdotool", {"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
    const QRect available = pointed->availableGeometry();
    box = boxOnScreen();
    QVERIFY2(qAbs(box.center().x() - available.center().x()) <= 2 &&
                 qAbs(box.center().y() - available.center().y()) <= 2,
             qPrintable(QStringLiteral("box at %1,%2 %3x%4, free area at %5,%6 %7x%8")
                            .arg(box.x())
                            .arg(box.y())
                            .arg(box.width())
                            .arg(box.height())
                            .arg(available.x())
                            .arg(available.y())
                            .arg(available.width())
                            .arg(available.height())));
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
// No browser anywhere (none named, nothing on the PATH to open an address): the user is told,
// sees the address as it is (markup and all), and Copy address puts it on the clipboard.
void FloatingWindowsDesktopTest::noBrowserOffersTheAddressToCopy() {
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    const QByteArray named = qgetenv("DEFAULT_BROWSER");
    const QByteArray browser = qgetenv("BROWSER");
    auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        qputenv("DEFAULT_BROWSER", named);
        qputenv("BROWSER", browser);
    });
    qputenv("PATH", empty.path().toLocal8Bit());
    qunsetenv("DEFAULT_BROWSER");
    qunsetenv("BROWSER");
    const QUrl address(QStringLiteral("https://example.org/v/<b>1</b>?lang=es"));
    QVERIFY(!openWebAddress(address, editor_));
    QMessageBox* box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = qobject_cast<QMessageBox*>([] {
                                  for (QWidget* w : QApplication::topLevelWidgets())
                                      if (w->objectName() == QLatin1String("NoBrowserMessage") &&
                                          w->isVisible())
                                          return w;
                                  return static_cast<QWidget*>(nullptr);
                              }())) != nullptr,
                             10000);
    const QString shown = address.toString(QUrl::FullyEncoded);
    QVERIFY2(box->text().contains(shown), qPrintable(box->text()));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QApplication::clipboard()->setText(QStringLiteral("something the user copied"));
    box->findChild<QPushButton*>(QStringLiteral("CopyAddressButton"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::clipboard()->text(), shown, 5000);
}

void FloatingWindowsDesktopTest::noBlackWithoutACompositor() {
    // The program's own question, through the platform layer as the program installs it.
    platform::Platform::install(platform::Platform::forEnvironment());
    QVERIFY2(!platform::Platform::current().blendsWindows(), "openbox alone composites nothing");
    QVERIFY(!DesktopTraits::blendsWindows());

    QTemporaryDir dir;
    HistoryManager store(std::make_unique<QSettings>(dir.filePath("h.conf"), QSettings::IniFormat));
    HistoryWidget history(&store);
    history.move(300, 200);
    history.show();
    history.activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&history, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(history), 5000);
    // Painted through to the screen: the panel's grey in the corners.
    QTRY_VERIFY_WITH_TIMEOUT(blackEdges(screenUnder(history)).isEmpty(), 5000);
    QCOMPARE(screenUnder(history).pixelColor(0, 0), QColor(118, 121, 122));

    PopupNotify popup;
    popup.setText("Video link copied to clipboard");
    popup.move(800, 500);
    popup.showFor(60000);
    QVERIFY(QTest::qWaitForWindowExposed(&popup, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(popup), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(blackEdges(screenUnder(popup)).isEmpty(), 5000);

    ProgressWidget progress;
    progress.setFixedSize(372, 155);
    progress.move(774, 662);
    progress.setValue(30);
    progress.show();
    QVERIFY(QTest::qWaitForWindowExposed(&progress, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(progress), 5000);
    QTRY_VERIFY2_WITH_TIMEOUT(blackEdges(screenUnder(progress)).isEmpty(),
                              qPrintable(blackEdges(screenUnder(progress))), 5000);
    popup.hide();
    history.hide();
}

void FloatingWindowsDesktopTest::historyWindowMovesByDraggingAndStaysOnScreen() {
    platform::Platform::install(platform::Platform::forEnvironment());
    QTemporaryDir dir;
    HistoryManager store(std::make_unique<QSettings>(dir.filePath("h.conf"), QSettings::IniFormat));
    HistoryWidget history(&store);
    history.move(400, 300);
    history.show();
    history.activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&history, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(isViewable(history), 5000);
    const QRect before = onScreen(history);

    // By the title.
    auto* title = history.findChild<QLabel*>("TitleLabel");
    QVERIFY(title);
    const QPoint grip = title->mapToGlobal(QPoint(10, title->height() / 2));
    drag(grip, grip + QPoint(150, 90));
    QTRY_COMPARE_WITH_TIMEOUT(onScreen(history).topLeft(), before.topLeft() + QPoint(150, 90),
                              5000);
    QVERIFY(history.isVisible());

    // By the body, towards the bottom right corner and past it: it stops at the edge.
    auto* body = history.findChild<QWidget*>("NoItemWidget");
    QVERIFY(body);
    const QPoint bodyGrip = body->mapToGlobal(QPoint(5, 5));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    drag(bodyGrip, QPoint(screen.right(), screen.bottom()));
    QTRY_VERIFY_WITH_TIMEOUT(onScreen(history).right() >= screen.right() - 1, 5000);
    const QRect after = onScreen(history);
    QVERIFY2(screen.contains(after), qPrintable(QString("%1,%2 %3x%4")
                                                    .arg(after.x())
                                                    .arg(after.y())
                                                    .arg(after.width())
                                                    .arg(after.height())));
    history.hide();
}

#include "tst_floating_windows_desktop.moc"
