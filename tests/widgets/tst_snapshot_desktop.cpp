// The floating record button and the history window on the test desktop, driven by a
// real pointer (xdotool): docking, a click against a drag, closing on deactivation.
#include "history/HistoryManager.h"
#include "widgets/HistoryWidget.h"
#include "widgets/SnapshotButton.h"

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Animations take 500 + 250 + 250 ms; a loaded machine gets plenty of slack.
const int kSettleTimeout = 15000;

bool xdotool(const QStringList& args) {
    return QProcess::execute("xdotool", args) == 0;
}

// Moves the pointer and waits until the server reports it there. (xdotool's own --sync
// waits for a motion and hangs when the pointer is already in place.)
bool pointerTo(const QPoint& p) {
    if (!xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())}))
        return false;
    return QTest::qWaitFor([&] { return QCursor::pos() == p; }, 5000);
}

// The window's geometry as the X server has it.
QRect serverGeometry(QWidget* w) {
    QProcess p;
    p.start("xdotool", {"getwindowgeometry", "--shell", QString::number(w->winId())});
    if (!p.waitForFinished(10000))
        return {};
    QMap<QString, int> v;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> kv = line.split('=');
        if (kv.size() == 2)
            v[QString::fromLatin1(kv[0])] = kv[1].toInt();
    }
    return QRect(v.value("X"), v.value("Y"), v.value("WIDTH"), v.value("HEIGHT"));
}

} // namespace

class TestSnapshotDesktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void docksAtTheRightAndTucksIn();
    void clickEmitsClickedOnce();
    void dragMovesAndDocksWithoutClick();
    void historyWindowClosesWhenDeactivated();

private:
    std::unique_ptr<SnapshotButton> dockAtRight();
    QRect available_;
};

void TestSnapshotDesktop::initTestCase() {
    if (!qEnvironmentVariableIsSet("CLIPNEST_TEST_DESKTOP"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    QVERIFY2(xdotool({"version"}), "xdotool is missing");
    available_ = QGuiApplication::primaryScreen()->availableGeometry();
}

void TestSnapshotDesktop::init() {
    // Start every case with the pointer well away from the screen edges.
    QVERIFY(pointerTo({700, 300}));
}

std::unique_ptr<SnapshotButton> TestSnapshotDesktop::dockAtRight() {
    auto button = std::make_unique<SnapshotButton>();
    // The order the program uses when it first shows the button.
    button->show();
    button->setState(SnapshotButtonGeometry::StateMoving);
    button->setPosition(QGuiApplication::primaryScreen()->geometry().center() - QPoint(40, 40));
    button->dock(true);
    return button;
}

void TestSnapshotDesktop::docksAtTheRightAndTucksIn() {
    auto button = dockAtRight();
    QVERIFY(QTest::qWaitForWindowExposed(button.get()));
    QTRY_COMPARE_WITH_TIMEOUT(button->currentState(), int(SnapshotButtonGeometry::StateRight),
                              kSettleTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(70, 80), kSettleTimeout);
    // Tucked in: the left half of the picture shows against the right edge.
    const QRect expected(available_.right() - 69, button->y(), 70, 80);
    QCOMPARE(button->geometry(), expected);
    QTRY_COMPARE_WITH_TIMEOUT(serverGeometry(button.get()), expected, kSettleTimeout);
}

void TestSnapshotDesktop::clickEmitsClickedOnce() {
    auto button = dockAtRight();
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(70, 80), kSettleTimeout);
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);
    // The pointer on the visible half slides the button out.
    const QPoint onButton = button->geometry().center();
    QVERIFY(pointerTo(onButton));
    // Size and place change in steps of one animation: wait for both to arrive.
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(140, 80), kSettleTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(button->x(), available_.right() - 139, kSettleTimeout);

    QVERIFY(xdotool({"click", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(clicked.count(), 1, kSettleTimeout);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));
    // Nothing moved, and no second click arrives late.
    QCOMPARE(button->x(), available_.right() - 139);
    QTest::qWait(500);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateRight));

    // Leaving tucks it in again.
    QVERIFY(pointerTo({700, 300}));
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(70, 80), kSettleTimeout);
}

void TestSnapshotDesktop::dragMovesAndDocksWithoutClick() {
    auto button = dockAtRight();
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(70, 80), kSettleTimeout);
    QSignalSpy clicked(button.get(), &SnapshotButton::clicked);
    QPoint p = button->geometry().center();
    QVERIFY(pointerTo(p));
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(140, 80), kSettleTimeout);

    QVERIFY(xdotool({"mousedown", "1"}));
    QTRY_COMPARE_WITH_TIMEOUT(button->currentState(),
                              int(SnapshotButtonGeometry::StateRightPressed), kSettleTimeout);
    // Towards the left part of the screen, a little above the middle: the moving picture
    // follows the pointer.
    const QPoint target(available_.left() + 240, available_.top() + 380);
    for (int i = 1; i <= 8; ++i) {
        const QPoint step = p + (target - p) * i / 8;
        QVERIFY(pointerTo(step));
        QTRY_VERIFY_WITH_TIMEOUT((button->geometry().center() - step).manhattanLength() <= 3,
                                 kSettleTimeout);
        QCOMPARE(button->currentState(), int(SnapshotButtonGeometry::StateMoving));
        QCOMPARE(button->size(), QSize(80, 80));
    }
    QVERIFY(xdotool({"mouseup", "1"}));

    QTRY_COMPARE_WITH_TIMEOUT(button->currentState(), int(SnapshotButtonGeometry::StateLeft),
                              kSettleTimeout);
    // Docked and, once the pointer is elsewhere, tucked in at the left edge.
    QVERIFY(pointerTo({900, 300}));
    QTRY_COMPARE_WITH_TIMEOUT(button->size(), QSize(70, 80), kSettleTimeout);
    QCOMPARE(button->x(), available_.left());
    QTRY_COMPARE_WITH_TIMEOUT(serverGeometry(button.get()).topLeft(), button->pos(),
                              kSettleTimeout);
    QCOMPARE(clicked.count(), 0);
}

void TestSnapshotDesktop::historyWindowClosesWhenDeactivated() {
    QTemporaryDir dir;
    HistoryManager store(
        std::make_unique<QSettings>(dir.filePath("Clipnest.conf"), QSettings::IniFormat));
    HistoryWidget history(&store);
    connect(&store, &HistoryManager::itemAdded, &history, &HistoryWidget::addRecord);
    store.add({QDateTime::currentDateTime(), QUrl("https://videos.example.org/v/1")});

    QWidget other;
    other.setGeometry(100, 100, 300, 200);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    history.move(1200, 500);
    history.show();
    history.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&history));

    // A click on another window takes the activation away.
    QVERIFY(pointerTo({250, 200}));
    QVERIFY(xdotool({"click", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(!history.isVisible(), kSettleTimeout);

    // Reopened, it shows the same rows.
    history.show();
    history.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&history));
    QCOMPARE(history.rows().size(), 1);
}

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Clipnest");
    QApplication::setOrganizationDomain("clipnest.invalid");
    TestSnapshotDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_snapshot_desktop.moc"
