// The panels of a recording on the test desktop, read back from the screen as the user sees
// them: the record panel's red dot whole and clear of the pause button, blinking while the
// recording runs and resting while it is paused, when the panel says so; the finished panels
// closing on Escape. Pointer and keys go through xdotool.
#include "capture/CropCtrl.h"
#include "history/RecordingStore.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

void xdo(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(30000);
}

bool isRed(QRgb c) {
    return qRed(c) >= 150 && qGreen(c) <= 100 && qBlue(c) <= 100;
}

// The red pixels of the record dot as the program has it.
int dotRedPixels() {
    const QImage dot = QImage(QStringLiteral(":/Resources/Buttons/record.png"))
                           .convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < dot.height(); ++y)
        for (int x = 0; x < dot.width(); ++x)
            count += qAlpha(dot.pixel(x, y)) > 200 && isRed(dot.pixel(x, y));
    return count;
}

// The red pixels on the screen within `area` (screen coordinates), and where they lie.
struct RedSpot {
    int count = 0;
    QRect bounds;
};

RedSpot redOnScreen(const QRect& area) {
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                            .toImage();
    RedSpot spot;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (isRed(shot.pixel(x, y))) {
                ++spot.count;
                spot.bounds |= QRect(area.x() + x, area.y() + y, 1, 1);
            }
        }
    }
    return spot;
}

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QWidget* topLevel(const QString& panelName) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->findChild<QWidget*>(panelName))
            return w;
    }
    return nullptr;
}

} // namespace

class TestRecordPanels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dotIsWholeAndClearOfThePauseButton();
    void pausedPanelSaysSoAndItsDotRests();
    void escapeClosesTheFinishedPanels();

private:
    QWidget* overlay() const { return ctrl_->windows().value(0); }
    void click(QWidget* w);
    void startRecording();
    void stopRecording();

    std::unique_ptr<QTemporaryDir> data_;
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<CropCtrl> ctrl_;
    int dotPixels_ = 0;
};

void TestRecordPanels::initTestCase() {
    if (qEnvironmentVariable("CLIPNEST_TEST_DESKTOP") != QLatin1String("1"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    QApplication::setQuitOnLastWindowClosed(false);
    dotPixels_ = dotRedPixels();
    QVERIFY(dotPixels_ > 100);
}

void TestRecordPanels::init() {
    data_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<RecordingStore>(data_->filePath(QStringLiteral("recordings")));
    QCOMPARE(store_->open(), QString());
    ctrl_ = std::make_unique<CropCtrl>(store_.get());
    xdo({"mousemove", "5", "5"});
}

void TestRecordPanels::cleanup() {
    if (ctrl_) {
        if (ctrl_->isRecording())
            ctrl_->stopFromOutside();
        ctrl_->close();
    }
    ctrl_.reset();
    store_.reset();
    data_.reset();
}

void TestRecordPanels::click(QWidget* w) {
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    const QPoint p = w->mapToGlobal(w->rect().center());
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

void TestRecordPanels::startRecording() {
    QRect desktop;
    for (QScreen* s : QGuiApplication::screens())
        desktop |= s->geometry();
    ctrl_->clear();
    ctrl_->setGeometry(desktop);
    ctrl_->show();
    QVERIFY(QTest::qWaitForWindowExposed(overlay()));
    xdo({"mousemove", "300", "300", "mousedown", "1", "mousemove", "400", "380", "mousemove", "500",
         "450", "mouseup", "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    auto* sound = overlay()->findChild<QCheckBox*>(QStringLiteral("SoundCheckBox"));
    QVERIFY(sound);
    sound->setChecked(false);
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(panel);
    QTRY_VERIFY(panel->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(panel));
}

void TestRecordPanels::stopRecording() {
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(panel);
    click(panel->findChild<QPushButton*>(QStringLiteral("StopRecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!ctrl_->isFinishingFile(), 60000);
}

void TestRecordPanels::dotIsWholeAndClearOfThePauseButton() {
    startRecording();
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    auto* pause = panel->findChild<QWidget*>(QStringLiteral("PauseRecordButton"));
    QVERIFY(pause);
    // The whole dot shows at its red moments, none of it under the pause button.
    RedSpot spot;
    QTRY_VERIFY2_WITH_TIMEOUT(
        (spot = redOnScreen(panel->geometry())).count >= dotPixels_ * 9 / 10,
        qPrintable(
            QStringLiteral("%1 of the dot's %2 red pixels shown").arg(spot.count).arg(dotPixels_)),
        3000);
    QVERIFY2(!spot.bounds.intersects(globalRect(pause)),
             qPrintable(QStringLiteral("dot at %1,%2 %3x%4, pause button at %5,%6 %7x%8")
                            .arg(spot.bounds.x())
                            .arg(spot.bounds.y())
                            .arg(spot.bounds.width())
                            .arg(spot.bounds.height())
                            .arg(globalRect(pause).x())
                            .arg(globalRect(pause).y())
                            .arg(globalRect(pause).width())
                            .arg(globalRect(pause).height())));
    QVERIFY(panel->geometry().contains(spot.bounds));
    // And it blinks.
    QTRY_COMPARE_WITH_TIMEOUT(redOnScreen(panel->geometry()).count, 0, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(redOnScreen(panel->geometry()).count >= dotPixels_ * 9 / 10, 3000);
    stopRecording();
}

void TestRecordPanels::pausedPanelSaysSoAndItsDotRests() {
    startRecording();
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    auto* pause = panel->findChild<PushButtonWithTooltip*>(QStringLiteral("PauseRecordButton"));
    QVERIFY(pause);
    const auto saysPaused = [panel] {
        for (const QLabel* label : panel->findChildren<QLabel*>()) {
            if (label->isVisible() && label->text() == QLatin1String("Paused"))
                return true;
        }
        return false;
    };
    QVERIFY(!saysPaused());
    const int rightEdge = panel->geometry().right();
    QTRY_VERIFY_WITH_TIMEOUT(redOnScreen(panel->geometry()).count > 0, 3000);
    click(pause);
    QTRY_VERIFY(ctrl_->isPaused());
    QTRY_VERIFY(saysPaused());
    // Wider now, it keeps its place against the area's right edge.
    QCOMPARE(panel->geometry().right(), rightEdge);

    // Over four of the dot's blinks, not one red moment.
    QTest::qWait(200);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        const RedSpot spot = redOnScreen(panel->geometry());
        QVERIFY2(spot.count == 0,
                 qPrintable(QStringLiteral("red at %1 ms of the pause").arg(clock.elapsed())));
        QTest::qWait(100);
    }

    click(pause);
    QTRY_VERIFY(!ctrl_->isPaused());
    QTRY_VERIFY(!saysPaused());
    QCOMPARE(panel->geometry().right(), rightEdge);
    QTRY_VERIFY_WITH_TIMEOUT(redOnScreen(panel->geometry()).count >= dotPixels_ * 9 / 10, 3000);
    stopRecording();
}

void TestRecordPanels::escapeClosesTheFinishedPanels() {
    // Straight after the stop, with no click on the panels: the keyboard is theirs.
    startRecording();
    QTest::qWait(1000);
    stopRecording();
    QWidget* finished = topLevel(QStringLiteral("RecordFinishedPanel"));
    QWidget* social = topLevel(QStringLiteral("SocialButtonPanel"));
    QVERIFY(finished && social);
    QVERIFY(finished->isVisible());
    QVERIFY(!social->isVisible()); // until the share button asks for it
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    QTRY_VERIFY(finished->isActiveWindow());
    xdo({"key", "Escape"});
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(!finished->isVisible());
    QVERIFY(!social->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    // Close keeps the recording.
    QCOMPARE(store_->list().size(), 1);

    // The share-target panel, when it holds the keyboard, closes them the same way.
    startRecording();
    QTest::qWait(1000);
    stopRecording();
    QVERIFY(finished->isVisible());
    click(finished->findChild<QPushButton*>(QStringLiteral("ShareButton")));
    QTRY_VERIFY(social->isVisible());
    social->activateWindow();
    QTRY_VERIFY(social->isActiveWindow());
    xdo({"key", "Escape"});
    QTRY_COMPARE(closed.count(), 2);
    QVERIFY(!finished->isVisible());
    QVERIFY(!social->isVisible());
    QCOMPARE(store_->list().size(), 2);
}

QTEST_MAIN(TestRecordPanels)
#include "tst_record_panels.moc"
