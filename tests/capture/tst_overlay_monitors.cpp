// The capture overlay on a desktop of two monitors under every scale factor: each monitor has
// a window of the overlay showing its own frozen picture, the labels and panels stay on the
// monitor of the selection, and the video holds exactly the selected pixels of the X screen
// (a decoded picture compared with a screenshot of the same pixels). xdotool, the screenshot
// and the video work in X screen pixels; Qt in logical ones.
#include "capture/CropCtrl.h"
#include "history/RecordingStore.h"
#include "tests/media/mp4_readback.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {

QByteArray run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

void xdo(const QStringList& args) {
    run(QStringLiteral("xdotool"), args);
}

// The two monitors of the test desktop, in X screen pixels.
const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1920, 1080);

// Where an X window lies on the X screen.
QRect xGeometry(WId id) {
    const QString info =
        QString::fromLocal8Bit(run(QStringLiteral("xwininfo"), {"-id", QString::number(id)}));
    const auto field = [&info](const char* name) {
        const QRegularExpression re(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)));
        return re.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                 field("Height"));
}

// A point of a widget in X screen pixels: Qt keeps a monitor's corner in X pixels and scales
// only the distance from it.
QPoint physicalPoint(const QWidget* w, QPoint local) {
    const QScreen* screen = w->window()->screen();
    const QPoint global = w->mapToGlobal(local);
    const QPoint origin = screen->geometry().topLeft();
    return origin + ((global - origin) * screen->devicePixelRatio());
}

QRect physicalRect(const QWidget* w) {
    return QRect(physicalPoint(w, QPoint(0, 0)),
                 physicalPoint(w, QPoint(w->width(), w->height())) - QPoint(1, 1));
}

// Blocks of 8 x 8 X pixels in colours that never repeat nearby, so that a picture shifted
// by a few pixels or scaled is far from the original.
QRgb patternAt(int x, int y) {
    const quint32 h = quint32(x / 8) * 2654435761u ^ quint32(y / 8) * 40503u;
    return qRgb(int(h >> 8 & 0xff), int(h >> 16 & 0xff), int(h >> 24 & 0xff));
}

class PatternBackdrop : public QWidget {
public:
    explicit PatternBackdrop(QScreen* screen) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setScreen(screen);
        setGeometry(screen->geometry());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const qreal ratio = screen()->devicePixelRatio();
        const QPoint origin = screen()->geometry().topLeft();
        QImage image(size() * ratio, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = patternAt(origin.x() + x, origin.y() + y);
        }
        image.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(QPoint(0, 0), image);
    }
};

// Mean absolute difference per channel between a decoded RGB24 picture and the screenshot's
// pixels at `at`.
double meanDifference(const QByteArray& rgb, QSize size, const QImage& shot, QPoint at) {
    qint64 sum = 0;
    qint64 count = 0;
    for (int y = 0; y < size.height(); y += 2) {
        for (int x = 0; x < size.width(); x += 2) {
            const int sx = at.x() + x, sy = at.y() + y;
            if (sx < 0 || sy < 0 || sx >= shot.width() || sy >= shot.height())
                return 255;
            const QRgb s = shot.pixel(sx, sy);
            const auto* p = reinterpret_cast<const uchar*>(rgb.constData()) +
                            (qint64(y) * size.width() + x) * 3;
            sum +=
                std::abs(p[0] - qRed(s)) + std::abs(p[1] - qGreen(s)) + std::abs(p[2] - qBlue(s));
            count += 3;
        }
    }
    return count ? double(sum) / count : 255;
}

// The largest mean difference per channel between a decoded RGB24 picture and the
// screenshot's pixels at the same place, taken block by block: one block that differs (a
// window of ours in the video) shows, where the whole picture's mean would hide it.
double worstBlockDifference(const QByteArray& rgb, QSize size, const QImage& shot) {
    constexpr int kBlock = 48;
    double worst = 0;
    for (int top = 0; top + kBlock <= size.height(); top += kBlock) {
        for (int left = 0; left + kBlock <= size.width(); left += kBlock) {
            qint64 sum = 0;
            for (int y = top; y < top + kBlock; ++y) {
                const auto* p = reinterpret_cast<const uchar*>(rgb.constData()) +
                                (qint64(y) * size.width() + left) * 3;
                for (int x = left; x < left + kBlock; ++x, p += 3) {
                    const QRgb s = shot.pixel(x, y);
                    sum += std::abs(p[0] - qRed(s)) + std::abs(p[1] - qGreen(s)) +
                           std::abs(p[2] - qBlue(s));
                }
            }
            worst = std::max(worst, double(sum) / (kBlock * kBlock * 3));
        }
    }
    return worst;
}

} // namespace

class TestOverlayMonitors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyLayout();
    void overlayCoversEachMonitorWithItsOwnPicture();
    void areaOnTheRightMonitorIsRecordedExactly();
    void areaAcrossBothMonitorsIsRecordedExactly();
    void wholeMonitorPutsTheRecordPanelOnTheOther();

private:
    bool twoMonitors() const { return QGuiApplication::screens().size() >= 2; }
    void openOverlay();
    QList<QWidget*> overlayWindows() const;
    // A label or panel of the overlay by its object name, on whichever window it lies.
    template <typename T> T inOverlay(const QString& name) const;
    QImage screenshot();
    void drag(QPoint from, QPoint to);
    void click(QWidget* w);
    // Selects the area between the two X screen points, checks the labels and the start
    // panel, records a moment and compares the video with the screen.
    void selectAndRecord(QPoint from, QPoint to);

    std::unique_ptr<QTemporaryDir> data_;
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<CropCtrl> ctrl_;
    QList<std::shared_ptr<QWidget>> backdrops_;
};

void TestOverlayMonitors::initTestCase() {
    if (qEnvironmentVariable("CLIPNEST_TEST_DESKTOP") != QLatin1String("1"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    QApplication::setQuitOnLastWindowClosed(false);
    // The X resources' dpi must really scale, or that layout would be the unscaled one again.
    const QByteArray dpi = qgetenv("CLIPNEST_TEST_XFT_DPI");
    if (!dpi.isEmpty())
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), dpi.toInt() / 96.0);
}

void TestOverlayMonitors::init() {
    if (!twoMonitors())
        return;
    data_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<RecordingStore>(data_->filePath(QStringLiteral("recordings")));
    QCOMPARE(store_->open(), QString());
    ctrl_ = std::make_unique<CropCtrl>(store_.get());
    // No last area offered: the Idle overlay is dimmed and nothing else.
    QSettings().remove(QStringLiteral("Last area"));
    for (QScreen* screen : QGuiApplication::screens()) {
        auto backdrop = std::make_shared<PatternBackdrop>(screen);
        backdrop->show();
        QVERIFY(QTest::qWaitForWindowExposed(backdrop.get()));
        backdrops_.append(backdrop);
    }
    xdo({"mousemove", "5", "5"});
    // Both backdrops painted.
    QTRY_VERIFY_WITH_TIMEOUT(
        [this] {
            const QImage shot = screenshot();
            for (const QPoint p : {QPoint(100, 100), QPoint(3000, 900)}) {
                if (shot.pixel(p) != patternAt(p.x(), p.y()))
                    return false;
            }
            return true;
        }(),
        10000);
}

void TestOverlayMonitors::cleanup() {
    if (ctrl_)
        ctrl_->close();
    ctrl_.reset();
    store_.reset();
    data_.reset();
    backdrops_.clear();
}

void TestOverlayMonitors::everyLayout() {
    if (twoMonitors())
        QSKIP("a desktop of two monitors: the other tests check it");
    if (qEnvironmentVariable("CLIPNEST_TEST_MONITORS") == QLatin1String("2"))
        QFAIL("the test desktop was asked for two monitors, Qt sees one");
    // The tests again on desktops of two monitors: unscaled, at 1.5 (by Qt's factor and by the
    // X resources' dpi) and at 2, with the primary monitor on either side.
    struct Layout {
        const char* scale;
        const char* dpi;
        const char* primary;
    };
    for (const Layout& layout :
         {Layout{"1", "", "left"}, Layout{"1.5", "", "right"}, Layout{"", "144", "left"},
          Layout{"2", "", "left"}, Layout{"2", "", "right"}}) {
        QProcess nested;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CLIPNEST_TEST_MONITORS"), QStringLiteral("2"));
        env.insert(QStringLiteral("CLIPNEST_TEST_PRIMARY"), QString::fromLatin1(layout.primary));
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        if (*layout.scale)
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(layout.scale));
        if (*layout.dpi)
            env.insert(QStringLiteral("CLIPNEST_TEST_XFT_DPI"), QString::fromLatin1(layout.dpi));
        nested.setProcessEnvironment(env);
        nested.setProcessChannelMode(QProcess::MergedChannels);
        nested.start(QStringLiteral("bash"),
                     {QStringLiteral(CLIPNEST_SOURCE_DIR "/scripts/with-test-desktop.sh"),
                      QCoreApplication::applicationFilePath()});
        QVERIFY(nested.waitForStarted());
        nested.waitForFinished(-1);
        const QString output = QString::fromLocal8Bit(nested.readAll());
        const QString what = QStringLiteral("scale %1, dpi %2, primary %3:\n%4")
                                 .arg(QLatin1String(layout.scale), QLatin1String(layout.dpi),
                                      QLatin1String(layout.primary), output);
        QVERIFY2(nested.exitStatus() == QProcess::NormalExit && nested.exitCode() == 0,
                 qPrintable(what));
        QVERIFY2(output.contains(QLatin1String("PASS   : TestOverlayMonitors::areaAcrossBoth")),
                 qPrintable(what));
        QVERIFY2(output.contains(QLatin1String("PASS   : TestOverlayMonitors::wholeMonitor")),
                 qPrintable(what));
        qInfo().noquote() << "passed:" << layout.scale << layout.dpi << layout.primary;
    }
}

QImage TestOverlayMonitors::screenshot() {
    return QImage::fromData(run(QStringLiteral("import"), {"-window", "root", "png:-"}), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

void TestOverlayMonitors::openOverlay() {
    // As the main window asks for a capture.
    ctrl_->clear();
    ctrl_->setGeometry(
        QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->virtualGeometry().size()));
    ctrl_->show();
    for (QWidget* w : overlayWindows())
        QVERIFY(QTest::qWaitForWindowExposed(w));
}

template <typename T> T TestOverlayMonitors::inOverlay(const QString& name) const {
    // The labels and the start panel lie on the window of the monitor they show on.
    for (QWidget* w : ctrl_->windows()) {
        if (T child = w->findChild<T>(name))
            return child;
    }
    return nullptr;
}

QList<QWidget*> TestOverlayMonitors::overlayWindows() const {
    QList<QWidget*> windows;
    for (QWidget* w : ctrl_->windows()) {
        if (w->isVisible())
            windows.append(w);
    }
    return windows;
}

void TestOverlayMonitors::drag(QPoint from, QPoint to) {
    const QPoint mid = (from + to) / 2;
    xdo({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
         "mousemove", QString::number(mid.x()), QString::number(mid.y()), "mousemove",
         QString::number(to.x()), QString::number(to.y()), "mouseup", "1"});
}

void TestOverlayMonitors::click(QWidget* w) {
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    const QPoint p = physicalPoint(w, w->rect().center());
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

void TestOverlayMonitors::overlayCoversEachMonitorWithItsOwnPicture() {
    if (!twoMonitors())
        QSKIP("needs two monitors (everyLayout runs this on such desktops)");
    const QImage before = screenshot();
    openOverlay();
    const QList<QWidget*> windows = overlayWindows();
    QCOMPARE(windows.size(), 2);
    QList<QRect> covered;
    for (QWidget* w : windows)
        covered.append(xGeometry(w->winId()));
    QVERIFY2(covered.contains(kLeft) && covered.contains(kRight),
             qPrintable(QStringLiteral("%1,%2 %3x%4 and %5,%6 %7x%8")
                            .arg(covered[0].x())
                            .arg(covered[0].y())
                            .arg(covered[0].width())
                            .arg(covered[0].height())
                            .arg(covered[1].x())
                            .arg(covered[1].y())
                            .arg(covered[1].width())
                            .arg(covered[1].height())));

    // Idle, everything is dimmed to half: each monitor shows its own picture, unshifted.
    QImage shot;
    const auto halfEverywhere = [&] {
        shot = screenshot();
        for (int y = 7; y < 1080; y += 61) {
            for (int x = 5; x < 3840; x += 37) {
                // The hint beside the pointer, which rests at the corner.
                if (x < 500 && y < 200)
                    continue;
                const QRgb b = before.pixel(x, y), s = shot.pixel(x, y);
                if (std::abs(qRed(s) - qRed(b) / 2) > 3 || std::abs(qGreen(s) - qGreen(b) / 2) > 3)
                    return false;
            }
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(halfEverywhere(), 5000);
}

void TestOverlayMonitors::selectAndRecord(QPoint from, QPoint to) {
    const QImage before = screenshot();
    openOverlay();
    drag(from, to);
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    const QRect area(from, to - QPoint(1, 1));
    const QRect monitorOfEnd = kLeft.contains(area.bottomRight()) ? kLeft : kRight;
    const QRect monitorOfStart = kLeft.contains(area.topLeft()) ? kLeft : kRight;

    // The size label above the selection on the monitor of its top-left corner, giving the
    // video's pixels; the start panel whole on the monitor of its bottom-right corner.
    auto* sizeLabel = inOverlay<QLabel*>(QStringLiteral("SizeLabel"));
    QVERIFY(sizeLabel && sizeLabel->isVisible());
    QVERIFY2(
        sizeLabel->text().contains(QStringLiteral("%1x%2").arg(area.width()).arg(area.height())),
        qPrintable(sizeLabel->text()));
    QVERIFY(monitorOfStart.contains(physicalRect(sizeLabel)));
    QCOMPARE(xGeometry(sizeLabel->window()->winId()), monitorOfStart);
    auto* startPanel = inOverlay<QWidget*>(QStringLiteral("StartRecordPanel"));
    QTRY_VERIFY(startPanel->isVisible());
    QVERIFY(startPanel->window()->rect().contains(startPanel->geometry()));
    QCOMPARE(xGeometry(startPanel->window()->winId()), monitorOfEnd);
    QVERIFY(monitorOfEnd.contains(physicalRect(startPanel)));

    // On the screen: undimmed inside the selection on both of its sides, dimmed outside.
    QImage shot;
    const auto drawnRight = [&] {
        shot = screenshot();
        for (const QPoint p : {area.topLeft() + QPoint(20, 60), area.bottomRight() - QPoint(20, 20),
                               QPoint(area.center().x(), area.top() + 60)}) {
            if (shot.pixel(p) != before.pixel(p))
                return false;
        }
        for (const QPoint p : {QPoint(area.left() - 30, area.center().y()),
                               QPoint(area.right() - 10, area.top() - 30),
                               QPoint(area.center().x(), area.bottom() + 250)}) {
            if (std::abs(qRed(shot.pixel(p)) - qRed(before.pixel(p)) / 2) > 3)
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(drawnRight(), 5000);

    auto* sound = inOverlay<QCheckBox*>(QStringLiteral("SoundCheckBox"));
    QVERIFY(sound);
    sound->setChecked(false);
    click(inOverlay<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
    QTRY_VERIFY(overlayWindows().isEmpty());

    // The record panel, whole on a monitor and out of the picture.
    QWidget* recordPanel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->findChild<QWidget*>(QStringLiteral("RecordPanel")))
            recordPanel = w;
    }
    QVERIFY(recordPanel);
    const QRect panel = xGeometry(recordPanel->winId());
    const auto where = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    QVERIFY2(kLeft.contains(panel) || kRight.contains(panel),
             qPrintable(QStringLiteral("panel at %1 (logical %2), area %3")
                            .arg(where(panel), where(recordPanel->geometry()), where(area))));
    QVERIFY(!panel.intersects(area));
    QTest::qWait(1200);
    click(recordPanel->findChild<QPushButton*>(QStringLiteral("StopRecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!ctrl_->isFinishingFile(), 60000);
    QCOMPARE(ctrl_->videoWidth(), area.width());
    QCOMPARE(ctrl_->videoHeight(), area.height());

    // The finished panels whole on a monitor too.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (w->findChild<QWidget*>(QStringLiteral("RecordFinishedPanel")) ||
                               w->findChild<QWidget*>(QStringLiteral("SocialButtonPanel")))) {
            const QRect g = xGeometry(w->winId());
            QVERIFY(kLeft.contains(g) || kRight.contains(g));
        }
    }

    const QString file = ctrl_->recordingFilePath();
    const readback::Stream video = readback::probe(file).stream(QStringLiteral("video"));
    QCOMPARE(QSize(video.width, video.height), area.size());
    const QByteArray rgb = readback::rgbFrameAt(file, 0.5, video.width, video.height);
    QCOMPARE(rgb.size(), qsizetype(video.width) * video.height * 3);

    // The picture is the screen's pixels at the selected place; a few pixels aside it is not.
    const double here = meanDifference(rgb, area.size(), before, area.topLeft());
    QVERIFY2(here < 8, qPrintable(QStringLiteral("mean difference %1").arg(here)));
    for (const QPoint aside : {QPoint(4, 0), QPoint(0, 4), QPoint(-4, -4)}) {
        const double there = meanDifference(rgb, area.size(), before, area.topLeft() + aside);
        QVERIFY2(there > here * 3 && there > 20,
                 qPrintable(QStringLiteral("%1 here, %2 aside").arg(here).arg(there)));
    }
}

void TestOverlayMonitors::areaOnTheRightMonitorIsRecordedExactly() {
    if (!twoMonitors())
        QSKIP("needs two monitors (everyLayout runs this on such desktops)");
    // Corners on whole logical pixels at every ratio used (multiples of 6 X pixels), sides
    // that need no snapping (multiples of 24).
    selectAndRecord(QPoint(2100, 300), QPoint(2700, 612));
}

void TestOverlayMonitors::areaAcrossBothMonitorsIsRecordedExactly() {
    if (!twoMonitors())
        QSKIP("needs two monitors (everyLayout runs this on such desktops)");
    selectAndRecord(QPoint(1620, 420), QPoint(2220, 732));
}

// A selection of the whole left monitor leaves no room beside it there: the record panel goes
// to the other monitor, and the video holds the screen as it was, nothing of ours in it.
void TestOverlayMonitors::wholeMonitorPutsTheRecordPanelOnTheOther() {
    if (!twoMonitors())
        QSKIP("needs two monitors (everyLayout runs this on such desktops)");
    const QImage before = screenshot();
    openOverlay();
    drag(kLeft.topLeft(), kLeft.bottomRight());
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    auto* sound = inOverlay<QCheckBox*>(QStringLiteral("SoundCheckBox"));
    QVERIFY(sound);
    sound->setChecked(false);
    click(inOverlay<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
    QTRY_VERIFY(overlayWindows().isEmpty());
    // The pointer, left on the record button inside the area, goes out of the picture.
    xdo({"mousemove", QString::number(kRight.center().x()), QString::number(kRight.center().y())});

    QVERIFY(ctrl_->showsRecordPanel());
    QWidget* recordPanel = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->findChild<QWidget*>(QStringLiteral("RecordPanel")))
            recordPanel = w;
    }
    QVERIFY(recordPanel);
    QVERIFY(QTest::qWaitForWindowExposed(recordPanel));
    const QRect panel = xGeometry(recordPanel->winId());
    QVERIFY2(kRight.contains(panel), qPrintable(QStringLiteral("panel at %1,%2 %3x%4")
                                                    .arg(panel.x())
                                                    .arg(panel.y())
                                                    .arg(panel.width())
                                                    .arg(panel.height())));
    QTest::qWait(1500); // the length of the video
    click(recordPanel->findChild<QPushButton*>(QStringLiteral("StopRecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!ctrl_->isFinishingFile(), 60000);

    const QString file = ctrl_->recordingFilePath();
    const readback::Facts facts = readback::probe(file);
    const readback::Stream video = facts.stream(QStringLiteral("video"));
    QVERIFY(kLeft.contains(QRect(QPoint(0, 0), QSize(video.width, video.height))));
    QVERIFY2(video.width > kLeft.width() - 16 && video.height > kLeft.height() - 16,
             qPrintable(QStringLiteral("%1x%2").arg(video.width).arg(video.height)));
    // Late in the recording: the pointer had long left.
    const QByteArray rgb =
        readback::rgbFrameAt(file, std::max(0.0, video.duration - 0.3), video.width, video.height);
    QCOMPARE(rgb.size(), qsizetype(video.width) * video.height * 3);
    const double worst = worstBlockDifference(rgb, QSize(video.width, video.height), before);
    QVERIFY2(worst < 30, qPrintable(QStringLiteral("a block differs by %1").arg(worst)));
}

int main(int argc, char** argv) {
    // The X resources' dpi must be in place before Qt reads them at start.
    const QByteArray dpi = qgetenv("CLIPNEST_TEST_XFT_DPI");
    if (!dpi.isEmpty())
        run(QStringLiteral("xrdb"), {QStringLiteral("-merge")}, "Xft.dpi: " + dpi + "\n");
    QApplication app(argc, argv);
    TestOverlayMonitors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_overlay_monitors.moc"
