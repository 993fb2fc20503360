// The capture overlay driven as a user would, on the test desktop: real pointer and keys
// through xdotool, the screen read back with ImageMagick, recordings read back with ffprobe.
// Also run with QT_SCALE_FACTOR=2, where xdotool works in physical pixels and Qt in logical.
#include "capture/CountdownWindow.h"
#include "capture/CropCtrl.h"
#include "capture/RecordRect.h"
#include "capture/SelectionGeometry.h"
#include "history/RecordingStore.h"
#include "widgets/PopupNotify.h"
#include "widgets/PushButtonWithTooltip.h"
#include "widgets/SavedMessage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTranslator>
#include <QtEndian>
#include <QtTest>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// Stands in for the desktop's file manager: notes the folders it was asked to open.
class FolderOpener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

QByteArray run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    if (exitCode)
        *exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

QRect corners(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r, b));
}

// Types the path into the dialog's name field: selectFile() leaves a focused field alone.
void chooseFile(QFileDialog* dialog, const QString& path) {
    dialog->selectFile(path);
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
}

// A backdrop whose grey tells the time since `clock` started: 128 at 3 s, 12 levels per
// tenth of a second, so that a decoded picture says when it was grabbed within a few tens of
// milliseconds. Dark before 2 s, where a light number would stand out.
class ClockBackdrop : public QWidget {
public:
    explicit ClockBackdrop(const QElapsedTimer* clock)
        : clock_(clock) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::repaint));
        timer_.start(10);
    }
    static int greyAt(qint64 ms) { return qBound(8, int(128 + (ms - 3000) * 12 / 100), 248); }
    static double secondsFor(int grey) { return 3.0 + (grey - 128) / 120.0; }

protected:
    void paintEvent(QPaintEvent*) override {
        const int grey = clock_->isValid() ? greyAt(clock_->elapsed()) : 8;
        QPainter(this).fillRect(rect(), QColor(grey, grey, grey));
    }

private:
    const QElapsedTimer* clock_;
    QTimer timer_;
};

// Every recording file under the private recordings folder, with its last change.
QMap<QString, QDateTime> recordingFiles() {
    QMap<QString, QDateTime> files;
    QDirIterator it(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.insert(it.filePath(), it.fileInfo().lastModified());
    }
    return files;
}

RecordRect* recordFrame() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<RecordRect*>(w))
            return frame;
    }
    return nullptr;
}

CountdownWindow* countdownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* c = qobject_cast<CountdownWindow*>(w))
            return c;
    }
    return nullptr;
}

} // namespace

class TestCropCtrl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void overlayCoversScreenAboveTray();
    void dragSelectsWorkedExampleAndDimsOutside();
    void frozenPictureIsSharp();
    void clickTakesTheWindowUnderThePointerElseTheMonitor();
    void dragToTheLastPixelTakesTheWholeScreen();
    void keysMoveResizeAndStartTheRecording();
    void typedValuesMoveTheArea();
    void lastAreaIsOfferedAgain();
    void hintGoesOnceAnAreaIsSelected();
    void moveAndResizeByHandles();
    void escapeClosesOnce();
    void ctrlSOpensSaveAndCancelKeepsOverlay();
    void ctrlSDuringARecordingLeavesItAlone();
    void contextMenuGreysOutWithoutSelection();
    void recordWithNothingSelectedEndsWithMessage();
    void recordingShowsFrameAndPanelsOutsideTheVideo();
    void wholeScreenLeavesNoRoomSoThePanelStaysOutOfTheVideo();
    void saveOntoAnExistingFileReplacesIt();
    void saveIntoAnUnwritableFolderKeepsTheRecording();
    void saveToANewPathEndsTheCapture();
    void newUserSavesIntoTheVideosFolderWithoutTheFrame();
    void folderThatCanNotBeOpenedIsTold();
    void secondStartKeepsTheRunningRecording();
    void uploadAndShareHandTheFileOver();
    void newCaptureKeepsTheFinishedRecording();
    void missingSoundServerEndsWithMessage();
    void pauseHoldsTheClockAndBlinksIt();
    void lostMicrophoneIsToldOnceAndRecordingGoesOn();
    void computerSoundChoiceRecordsWhatTheSpeakersPlay();
    void plantedLinkIsNotFollowed();
    void countdownStartsOnTimeAndStaysOutOfTheVideo();
    void escapeDuringCountdownRecordsNothing();
    void freeSpaceIsCheckedBeforeRecording();

private:
    // The overlay's window on the test desktop's only monitor.
    QWidget* overlay() const { return ctrl_->windows().value(0); }
    double dpr() const { return overlay()->devicePixelRatioF(); }
    QPoint phys(QPointF logical) const { return (logical * dpr()).toPoint(); }
    void xdo(const QStringList& args) { run(QStringLiteral("xdotool"), args); }
    void movePointer(QPoint logical) {
        const QPoint p = phys(logical);
        xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }
    void drag(QPoint from, QPoint to);
    void click(QWidget* w);
    void openOverlay();
    void selectArea(QPoint from, QPoint to);
    void startRecording(bool withSound);
    void stopRecording();
    // Records a short video of a fixed area without sound; gives back its bytes.
    void recordAndStop(QByteArray* recorded);
    // Clicks Save, answers the file dialog with `target` (agreeing to replace a file there)
    // and notes "title|text" of the message box that follows, if any, with "|detail" when it
    // has one. The message that tells where the recording went is left open.
    void saveVia(const QString& target, QString* message);
    // The frame of the recordings, whether shown or not.
    // Whether the X server has the window on the screen (mapped and viewable).
    bool viewable(QWidget* w);
    QWidget* topLevel(const QString& panelName) const;
    // Runs `act` on each visible dialog of type T as it appears, until it returns true.
    template <typename T> void handleDialogs(std::function<bool(T*)> act);
    QImage screenImage();
    // The size label's text without its markup.
    QString sizeText() const;
    // Starts an xterm and waits until it is on the screen; gives back its frame (window
    // manager's decorations included) in X pixels, read from X by other means than the
    // overlay's.
    void startXterm(QProcess* xterm, const QString& geometry, QRect* frame);
    QJsonObject probe(const QString& file);

    // Each test records into a recordings folder of its own.
    std::unique_ptr<QTemporaryDir> data_;
    std::unique_ptr<RecordingStore> store_;
    std::unique_ptr<CropCtrl> ctrl_;
    std::unique_ptr<QWidget> backdrop_;
    // Owns the dialog handlers of one test, so none outlives the locals it writes to.
    std::unique_ptr<QObject> handlers_;
};

void TestCropCtrl::initTestCase() {
    if (qEnvironmentVariable("CLIPNEST_TEST_DESKTOP") != QLatin1String("1"))
        QSKIP("needs the test desktop (scripts/with-test-desktop.sh)");
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestCropCtrl::init() {
    handlers_ = std::make_unique<QObject>();
    data_ = std::make_unique<QTemporaryDir>();
    store_ = std::make_unique<RecordingStore>(data_->filePath(QStringLiteral("recordings")));
    QCOMPARE(store_->open(), QString());
    ctrl_ = std::make_unique<CropCtrl>(store_.get());
    // Each test starts without a last area to offer.
    QSettings().remove(QStringLiteral("Last area"));
    movePointer(QPoint(5, 5));
}

void TestCropCtrl::cleanup() {
    if (ctrl_)
        ctrl_->close();
    ctrl_.reset();
    store_.reset();
    data_.reset();
    backdrop_.reset();
    handlers_.reset();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(w) && w->isVisible())
            qobject_cast<QDialog*>(w)->reject();
    }
}

void TestCropCtrl::drag(QPoint from, QPoint to) {
    const QPoint a = phys(from), b = phys(to), mid = (a + b) / 2;
    xdo({"mousemove", QString::number(a.x()), QString::number(a.y()), "mousedown", "1", "mousemove",
         QString::number(mid.x()), QString::number(mid.y()), "mousemove", QString::number(b.x()),
         QString::number(b.y()), "mouseup", "1"});
}

void TestCropCtrl::click(QWidget* w) {
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    const QPoint p = phys(w->mapToGlobal(QPointF(w->rect().center())));
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

void TestCropCtrl::openOverlay() {
    // The same sequence the main window runs for a capture request.
    QRect desktop;
    for (QScreen* s : QGuiApplication::screens())
        desktop |= s->geometry();
    ctrl_->clear();
    ctrl_->setGeometry(desktop);
    ctrl_->show();
    QVERIFY(QTest::qWaitForWindowExposed(overlay()));
}

void TestCropCtrl::selectArea(QPoint from, QPoint to) {
    openOverlay();
    drag(from, to);
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
}

void TestCropCtrl::startRecording(bool withSound) {
    auto* box = overlay()->findChild<QCheckBox*>(QStringLiteral("SoundCheckBox"));
    QVERIFY(box);
    box->setChecked(withSound);
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
}

void TestCropCtrl::stopRecording() {
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(panel);
    click(panel->findChild<QPushButton*>(QStringLiteral("StopRecordButton")));
    // The panels come at once; the file is finished on a thread of its own meanwhile, and
    // the panels say so until it is complete.
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished, 10000);
    QWidget* finished = topLevel(QStringLiteral("RecordFinishedPanel"));
    QVERIFY(finished && finished->isVisible());
    auto* finishing = finished->findChild<QLabel*>(QStringLiteral("FinishingLabel"));
    auto* save = finished->findChild<QPushButton*>(QStringLiteral("SaveButton"));
    QVERIFY(finishing && save);
    QCOMPARE(finishing->isVisible(), ctrl_->isFinishingFile());
    QCOMPARE(save->isEnabled(), !ctrl_->isFinishingFile());
    QTRY_VERIFY_WITH_TIMEOUT(!ctrl_->isFinishingFile(), 60000);
    QVERIFY(!finishing->isVisible());
    QVERIFY(save->isEnabled());
    const auto entry = store_->entry(ctrl_->recordingFilePath());
    QVERIFY(entry);
    QCOMPARE(entry->state, RecordingState::NotUploaded);
}

QWidget* TestCropCtrl::topLevel(const QString& panelName) const {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->findChild<QWidget*>(panelName))
            return w;
    }
    return nullptr;
}

template <typename T> void TestCropCtrl::handleDialogs(std::function<bool(T*)> act) {
    auto* timer = new QTimer(handlers_.get());
    timer->setInterval(50);
    connect(timer, &QTimer::timeout, this, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            T* dialog = qobject_cast<T*>(w);
            if (!dialog || !dialog->isVisible() || dialog->property("handled").toBool())
                continue;
            dialog->setProperty("handled", true);
            qDebug() << "dialog" << dialog->metaObject()->className() << dialog->windowTitle();
            if (act(dialog)) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
    });
    QTimer::singleShot(60000, timer, &QObject::deleteLater);
    timer->start();
}

QImage TestCropCtrl::screenImage() {
    const QByteArray png = run(QStringLiteral("import"), {"-window", "root", "png:-"});
    return QImage::fromData(png, "PNG");
}

QJsonObject TestCropCtrl::probe(const QString& file) {
    const QByteArray json = run(QStringLiteral("ffprobe"), {"-v", "error", "-show_streams",
                                                            "-show_format", "-of", "json", file});
    return QJsonDocument::fromJson(json).object();
}

void TestCropCtrl::overlayCoversScreenAboveTray() {
    openOverlay();
    const QString info = QString::fromLocal8Bit(
        run(QStringLiteral("xwininfo"), {"-id", QString::number(overlay()->winId())}));
    QVERIFY2(info.contains(QLatin1String("Absolute upper-left X:  0")), qPrintable(info));
    QVERIFY2(info.contains(QLatin1String("Absolute upper-left Y:  0")), qPrintable(info));
    QVERIFY2(info.contains(QLatin1String("Width: 1920")), qPrintable(info));
    QVERIFY2(info.contains(QLatin1String("Height: 1080")), qPrintable(info));
    QVERIFY2(info.contains(QLatin1String("IsViewable")), qPrintable(info));

    // The window under the tray's corner and under the screen's middle is the overlay.
    for (const QPoint p : {QPoint(1915, 1075), QPoint(960, 540), QPoint(0, 0)}) {
        xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
        const QString where =
            QString::fromLocal8Bit(run(QStringLiteral("xdotool"), {"getmouselocation", "--shell"}));
        QVERIFY2(where.contains(QStringLiteral("WINDOW=%1").arg(overlay()->winId())),
                 qPrintable(where));
    }
    // The overlay has the keyboard at once.
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    xdo({"key", "Escape"});
    QTRY_COMPARE(closed.count(), 1);
}

void TestCropCtrl::dragSelectsWorkedExampleAndDimsOutside() {
    backdrop_ = std::make_unique<QWidget>();
    backdrop_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                              Qt::X11BypassWindowManagerHint);
    backdrop_->setStyleSheet(QStringLiteral("background: white;"));
    backdrop_->setAttribute(Qt::WA_StyledBackground);
    backdrop_->setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));
    QTRY_VERIFY(screenImage().pixelColor(phys(QPoint(300, 300))).lightness() > 240);

    openOverlay();
    drag(QPoint(100, 100), QPoint(250, 180));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QCOMPARE(ctrl_->currentSelection(), corners(100, 100, 247, 179));
    auto* sizeLabel = overlay()->findChild<QLabel*>(QStringLiteral("SizeLabel"));
    QVERIFY(sizeLabel && sizeLabel->isVisible());
    // The label gives the video's pixels, not the overlay's.
    QVERIFY2(sizeLabel->text().contains(
                 QStringLiteral("%1x%2").arg(qRound(148 * dpr())).arg(qRound(80 * dpr()))),
             qPrintable(sizeLabel->text()));
    auto* startPanel = overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"));
    QTRY_VERIFY(startPanel->isVisible());
    QCOMPARE(startPanel->pos(), CaptureGeometry::panelPos(ctrl_->currentSelection(),
                                                          startPanel->size(), overlay()->height()));

    // Undimmed inside the selection, dimmed to about half outside it.
    QImage shot;
    QTRY_VERIFY((shot = screenImage()).pixelColor(phys(QPoint(60, 60))).lightness() < 160);
    QVERIFY(shot.pixelColor(phys(QPoint(60, 60))).lightness() > 100);
    for (const QPoint inside : {QPoint(110, 110), QPoint(240, 170), QPoint(175, 140)})
        QVERIFY2(shot.pixelColor(phys(inside)).lightness() > 240,
                 qPrintable(QString::number(inside.x())));
    for (const QPoint outside :
         {QPoint(300, 140), QPoint(175, 95), QPoint(175, 260), QPoint(50, 140),
          QPoint(overlay()->width() - 1, overlay()->height() - 1)}) {
        const int l = shot.pixelColor(phys(outside)).lightness();
        QVERIFY2(l > 100 && l < 160,
                 qPrintable(QStringLiteral("%1,%2: %3").arg(outside.x()).arg(outside.y()).arg(l)));
    }
}

void TestCropCtrl::frozenPictureIsSharp() {
    // A backdrop of alternating one-pixel columns in physical pixels: an overlay that froze
    // the desktop at logical resolution would double pixels under a scale factor.
    class Stripes : public QWidget {
    protected:
        void paintEvent(QPaintEvent*) override {
            const qreal ratio = devicePixelRatioF();
            QImage image(size() * ratio, QImage::Format_RGB32);
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
                for (int y = 0; y < image.height(); ++y)
                    image.setPixel(x, y, c);
            }
            image.setDevicePixelRatio(ratio);
            QPainter(this).drawImage(QPoint(0, 0), image);
        }
    };
    backdrop_ = std::make_unique<Stripes>();
    backdrop_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                              Qt::X11BypassWindowManagerHint);
    backdrop_->setGeometry(QRect(0, 0, 400, 300));
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));
    const QPoint probe = phys(QPoint(150, 150));
    QTRY_VERIFY(screenImage().pixelColor(probe + QPoint(1, 0)).lightness() > 200);

    selectArea(QPoint(100, 100), QPoint(300, 250));
    QImage shot;
    QTRY_VERIFY((shot = screenImage()).pixelColor(phys(QPoint(50, 50)) + QPoint(1, 0)).lightness() <
                160);
    for (int dx = 0; dx < 8; ++dx) {
        const QPoint p = probe + QPoint(dx, 0);
        const int expected = p.x() % 2 ? 255 : 0;
        QVERIFY2(
            std::abs(shot.pixelColor(p).lightness() - expected) < 30,
            qPrintable(QStringLiteral("x %1: %2").arg(p.x()).arg(shot.pixelColor(p).lightness())));
    }
}

QString TestCropCtrl::sizeText() const {
    auto* label = overlay()->findChild<QLabel*>(QStringLiteral("SizeLabel"));
    QTextDocument doc;
    doc.setHtml(label->text());
    // Without the icon, which plain text keeps as an object character.
    return doc.toPlainText().remove(QChar(0xFFFC)).trimmed();
}

void TestCropCtrl::startXterm(QProcess* xterm, const QString& geometry, QRect* frame) {
    // A title of its own finds it among whatever else the desktop shows.
    const QString title =
        QStringLiteral("clipnest-target-%1").arg(QCoreApplication::applicationPid());
    xterm->start(QStringLiteral("xterm"), {"-geometry", geometry, "-bg", "black", "-title", title});
    QVERIFY(xterm->waitForStarted());
    QString id;
    // Mapped and framed by the window manager once _NET_FRAME_EXTENTS is set.
    const auto framed = [&] {
        id = QString::fromLocal8Bit(
                 run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", title}))
                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                 .value(0);
        if (id.isEmpty())
            return false;
        const QString info = QString::fromLocal8Bit(run(QStringLiteral("xwininfo"), {"-id", id}));
        const QString extents =
            QString::fromLocal8Bit(run(QStringLiteral("xprop"), {"-id", id, "_NET_FRAME_EXTENTS"}));
        const auto number = [&](const QString& key) {
            const QRegularExpression re(QRegularExpression::escape(key) +
                                        QStringLiteral(":\\s*(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        const QRegularExpressionMatch e =
            QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
        if (!info.contains(QLatin1String("IsViewable")) || !e.hasMatch())
            return false;
        const int l = e.captured(1).toInt(), r = e.captured(2).toInt();
        const int t = e.captured(3).toInt(), b = e.captured(4).toInt();
        *frame = QRect(number(QStringLiteral("Absolute upper-left X")) - l,
                       number(QStringLiteral("Absolute upper-left Y")) - t,
                       number(QStringLiteral("Width")) + l + r,
                       number(QStringLiteral("Height")) + t + b);
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(framed(), 15000);
}

void TestCropCtrl::clickTakesTheWindowUnderThePointerElseTheMonitor() {
    QProcess xterm;
    const auto stop = qScopeGuard([&] {
        xterm.kill();
        xterm.waitForFinished();
    });
    QRect frame;
    startXterm(&xterm, QStringLiteral("60x20+300+200"), &frame);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(frame.isValid());
    openOverlay();
    // Before any click, the window under the pointer is outlined on the overlay: the frame's
    // edges turn blue, the middle of the window stays only dimmed.
    const QPoint inside = frame.center();
    xdo({"mousemove", QString::number(inside.x()), QString::number(inside.y())});
    const auto blue = [](const QColor& c) {
        return c.blue() > c.red() + 80;
    };
    QImage shot;
    QTRY_VERIFY((shot = screenImage(), blue(shot.pixelColor(frame.left() + 1, inside.y()))));
    QVERIFY(blue(shot.pixelColor(frame.right() - 1, inside.y())));
    QVERIFY(blue(shot.pixelColor(inside.x(), frame.top() + 1)));
    QVERIFY(blue(shot.pixelColor(inside.x(), frame.bottom() - 1)));
    QVERIFY(!blue(shot.pixelColor(frame.left() - 3, inside.y())));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);

    // A click takes exactly that frame; the start panel is offered as after a drag.
    xdo({"click", "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    const QRect taken = ctrl_->layout().physicalRect(ctrl_->currentSelection());
    if (dpr() == 1.0)
        QCOMPARE(taken, frame);
    else // whole overlay units hold the frame, at most a unit more on a side
        QVERIFY2(taken.contains(frame) && taken.adjusted(1, 1, -1, -1).width() <= frame.width(),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(taken.x())
                                .arg(taken.y())
                                .arg(taken.width())
                                .arg(taken.height())));
    QCOMPARE(sizeText(), QStringLiteral("%1x%2").arg(taken.width()).arg(taken.height()));
    QTRY_VERIFY(overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"))->isVisible());

    // A click that drops the area only drops it; the next one, away from the xterm, takes
    // the whole monitor.
    movePointer(QPoint(20, overlay()->height() - 20));
    xdo({"click", "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QVERIFY(ctrl_->currentSelection().isNull());
    auto* hint = overlay()->findChild<QLabel*>(QStringLiteral("HintLabel"));
    QTRY_VERIFY(hint->isVisible());
    xdo({"click", "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QCOMPARE(ctrl_->currentSelection(), QRect(QPoint(0, 0), overlay()->size()));
    QVERIFY(!hint->isVisible());
}

void TestCropCtrl::dragToTheLastPixelTakesTheWholeScreen() {
    openOverlay();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size() * dpr();
    xdo({"mousemove", "0", "0", "mousedown", "1", "mousemove", "900", "500", "mousemove",
         QString::number(screen.width() - 1), QString::number(screen.height() - 1), "mouseup",
         "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QCOMPARE(ctrl_->currentSelection(), QRect(QPoint(0, 0), overlay()->size()));
    QCOMPARE(sizeText(), QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()));
    QCOMPARE(ctrl_->layout().physicalRect(ctrl_->currentSelection()), QRect(QPoint(0, 0), screen));
}

void TestCropCtrl::keysMoveResizeAndStartTheRecording() {
    selectArea(QPoint(400, 300), QPoint(600, 400));
    const QRect first = ctrl_->currentSelection();
    QCOMPARE(first, corners(400, 300, 599, 399));
    auto* startPanel = overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"));
    QTRY_VERIFY(startPanel->isVisible());

    // Arrows move by one, by ten with Ctrl; the start panel and the size label follow.
    xdo({"key", "Right"});
    QTRY_COMPARE(ctrl_->currentSelection(), first.translated(1, 0));
    xdo({"key", "ctrl+Down"});
    QTRY_COMPARE(ctrl_->currentSelection(), first.translated(1, 10));
    QTRY_COMPARE(startPanel->pos(),
                 CaptureGeometry::panelPos(ctrl_->currentSelection(), startPanel->size(),
                                           overlay()->height()));
    // Shift resizes from the bottom-right corner.
    xdo({"key", "shift+Right", "shift+Right", "ctrl+shift+Up"});
    QTRY_COMPARE(ctrl_->currentSelection(), QRect(401, 310, 202, 90));
    const QSize pixels = ctrl_->layout().physicalRect(ctrl_->currentSelection()).size();
    QTRY_COMPARE(sizeText(), QStringLiteral("%1x%2").arg(pixels.width()).arg(pixels.height()));
    // Against the edge the area stops whole.
    for (int i = 0; i < 5; ++i)
        xdo({"key", "ctrl+Left", "ctrl+Left", "ctrl+Left", "ctrl+Left", "ctrl+Left", "ctrl+Left",
             "ctrl+Left", "ctrl+Left", "ctrl+Left", "ctrl+Left"});
    QTRY_COMPARE(ctrl_->currentSelection(), QRect(0, 310, 202, 90));
    // Ctrl+A takes the whole screen.
    xdo({"key", "ctrl+a"});
    QTRY_COMPARE(ctrl_->currentSelection(), QRect(QPoint(0, 0), overlay()->size()));
    xdo({"key", "Escape"});
    QTRY_VERIFY(!ctrl_->isVisible());

    // Enter records the area, as the record button does, with the sound check box's choice.
    selectArea(QPoint(300, 200), QPoint(460, 320));
    overlay()->findChild<QCheckBox*>(QStringLiteral("SoundCheckBox"))->setChecked(false);
    const QRect area = ctrl_->currentSelection();
    xdo({"key", "Return"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
    QVERIFY(!ctrl_->isVisible());
    stopRecording();
    QCOMPARE(QSize(ctrl_->videoWidth(), ctrl_->videoHeight()),
             ctrl_->layout().physicalRect(area).size());
    const QJsonArray streams = probe(ctrl_->recordingFilePath()).value("streams").toArray();
    QCOMPARE(streams.size(), 1); // no sound, as chosen
}

void TestCropCtrl::typedValuesMoveTheArea() {
    selectArea(QPoint(400, 300), QPoint(600, 400));
    const QRect first = ctrl_->currentSelection();
    auto* sizeLabel = overlay()->findChild<QLabel*>(QStringLiteral("SizeLabel"));
    auto* edit = overlay()->findChild<QLineEdit*>(QStringLiteral("SizeEdit"));
    QVERIFY(sizeLabel && edit);

    // A click on the size label opens it for typing, with the area's own values.
    click(sizeLabel);
    QTRY_VERIFY(edit->isVisible());
    const QRect pixels = ctrl_->layout().physicalRect(first);
    QCOMPARE(edit->text(), QStringLiteral("%1x%2 at %3,%4")
                               .arg(pixels.width())
                               .arg(pixels.height())
                               .arg(pixels.x())
                               .arg(pixels.y()));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected); // the click dropped nothing
    xdo({"key", "ctrl+a"});
    xdo({"type", "640x480 at 100,120"});
    QTRY_COMPARE(edit->text(), QStringLiteral("640x480 at 100,120"));
    xdo({"key", "Return"});
    QTRY_VERIFY(!edit->isVisible());
    // Enter ended the typing; it did not start a recording.
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QTRY_COMPARE(ctrl_->layout().physicalRect(ctrl_->currentSelection()),
                 QRect(100, 120, 640, 480));
    QTRY_COMPARE(sizeText(), QStringLiteral("640x480"));

    // Too large for the screen: the area is kept on it.
    click(sizeLabel);
    QTRY_VERIFY(edit->isVisible());
    xdo({"key", "ctrl+a"});
    xdo({"type", "99999x99999"});
    QTRY_COMPARE(edit->text(), QStringLiteral("99999x99999"));
    xdo({"key", "Return"});
    QTRY_COMPARE(ctrl_->currentSelection(), QRect(QPoint(0, 0), overlay()->size()));

    // Garbage changes nothing; Escape ends the typing, not the capture.
    ctrl_->clear();
    drag(QPoint(100, 120), QPoint(420, 360));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    const QRect before = ctrl_->currentSelection();
    const QString beforeText = sizeText();
    click(sizeLabel);
    QTRY_VERIFY(edit->isVisible());
    xdo({"key", "ctrl+a"});
    xdo({"type", "large please"});
    QTRY_COMPARE(edit->text(), QStringLiteral("large please"));
    xdo({"key", "Return"});
    QTRY_VERIFY(!edit->isVisible());
    QCOMPARE(ctrl_->currentSelection(), before);
    QCOMPARE(sizeText(), beforeText);
    QVERIFY(sizeLabel->isVisible());
    click(sizeLabel);
    QTRY_VERIFY(edit->isVisible());
    xdo({"key", "Escape"});
    QTRY_VERIFY(!edit->isVisible());
    QVERIFY(ctrl_->isVisible());
    QCOMPARE(ctrl_->currentSelection(), before);
}

void TestCropCtrl::lastAreaIsOfferedAgain() {
    // Nothing recorded yet: Enter on the empty overlay does nothing.
    openOverlay();
    auto* offer = overlay()->findChild<QLabel*>(QStringLiteral("LastAreaLabel"));
    QVERIFY(offer);
    QVERIFY(!offer->isVisible());
    auto* hint = overlay()->findChild<QLabel*>(QStringLiteral("HintLabel"));
    // The pointer's move comes after the key: once the hint has followed it, the key was
    // handled, and it selected nothing (the hint shows only while nothing is selected).
    const auto pressedThenSettled = [&](const char* key, QPoint to) {
        xdo({"key", key});
        movePointer(to);
        QTRY_COMPARE(hint->pos(), to + QPoint(15, 15));
    };
    pressedThenSettled("Return", QPoint(200, 150));
    QVERIFY(hint->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    xdo({"key", "Escape"});
    QTRY_VERIFY(!ctrl_->isVisible());

    // Recorded once, the area is offered at the next capture: a label in it, and Enter.
    selectArea(QPoint(500, 400), QPoint(820, 640));
    const QRect recorded = ctrl_->currentSelection();
    startRecording(false);
    stopRecording();
    ctrl_->close();
    openOverlay();
    QTRY_VERIFY(offer->isVisible());
    QVERIFY(recorded.contains(offer->geometry().center()));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    xdo({"key", "Return"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QCOMPARE(ctrl_->currentSelection(), recorded);
    QVERIFY(!offer->isVisible());
    QTRY_VERIFY(overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"))->isVisible());

    // Kept for these monitors only: under another layout's key nothing is offered, and a
    // value that no longer fits the screen is not either.
    ctrl_->close();
    QSettings settings;
    settings.beginGroup(QStringLiteral("Last area"));
    const QStringList keys = settings.childKeys();
    QCOMPARE(keys.size(), 1);
    settings.setValue(keys.first(), QRect(5000, 5000, 640, 480));
    settings.endGroup();
    settings.sync();
    openOverlay();
    QVERIFY(!offer->isVisible());
    pressedThenSettled("Return", QPoint(250, 170));
    QVERIFY(hint->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
}

void TestCropCtrl::hintGoesOnceAnAreaIsSelected() {
    openOverlay();
    auto* hint = overlay()->findChild<QLabel*>(QStringLiteral("HintLabel"));
    auto* start = overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"));
    QVERIFY(hint && start);
    // Before any area the hint follows the pointer.
    movePointer(QPoint(700, 500));
    QTRY_VERIFY(hint->isVisible());

    // Drawn and let go: the start panel shows and the hint has gone, also as the pointer
    // passes over the panel and away from it.
    drag(QPoint(300, 300), QPoint(600, 500));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QTRY_VERIFY(start->isVisible());
    QVERIFY(!hint->isVisible());
    movePointer(start->mapTo(overlay(), start->rect().center()));
    // (On the screen also under a scale factor of 2.)
    movePointer(QPoint(850, 100));
    // The hint is placed beside the pointer on every move, shown or not.
    QTRY_COMPARE(hint->pos(), QPoint(850, 100) + QPoint(15, 15));
    QVERIFY(!hint->isVisible());
    QVERIFY(start->isVisible());

    // A press outside drops the area: the hint asks for one again.
    xdo({"click", "1"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QTRY_VERIFY(hint->isVisible());
}

void TestCropCtrl::moveAndResizeByHandles() {
    // The rules of moving and resizing are the selection's own (tst_selectionmodel); here
    // the real pointer reaches them through the overlay's window, and the labels follow.
    selectArea(QPoint(400, 300), QPoint(600, 400)); // 200 x 100 after snapping
    const QRect first = ctrl_->currentSelection();
    QCOMPARE(first, corners(400, 300, 599, 399));

    // Move by (+40, +20) from inside.
    drag(QPoint(500, 350), QPoint(540, 370));
    QTRY_COMPARE(ctrl_->currentSelection(), first.translated(40, 20));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);

    // Resize with handle 4 from the outer part of its grip by (+7, -6): right +4, bottom -4.
    const QRect before = ctrl_->currentSelection();
    const QPoint grip = before.bottomRight() + QPoint(3, 3);
    drag(grip, grip + QPoint(7, -6));
    QTRY_COMPARE(ctrl_->currentSelection(), before.adjusted(0, 0, 4, -4));
    auto* sizeLabel = overlay()->findChild<QLabel*>(QStringLiteral("SizeLabel"));
    QVERIFY(sizeLabel->isVisible());
    auto* startPanel = overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"));
    QTRY_VERIFY(startPanel->isVisible());
}

void TestCropCtrl::escapeClosesOnce() {
    openOverlay();
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    const QPoint a = phys(QPoint(300, 300));
    xdo({"mousemove", QString::number(a.x()), QString::number(a.y()), "mousedown", "1",
         "mousemove_relative", "50", "50"});
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selecting);
    xdo({"key", "Escape"});
    QTRY_VERIFY(!ctrl_->isVisible());
    xdo({"mouseup", "1"});
    QTest::qWait(200); // a late second close would show here
    QCOMPARE(closed.count(), 1);
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
}

void TestCropCtrl::ctrlSOpensSaveAndCancelKeepsOverlay() {
    bool sawDialog = false;
    handleDialogs<QFileDialog>([&](QFileDialog* d) {
        sawDialog = true;
        d->reject();
        return false;
    });
    // Nothing finished yet: Ctrl+S has nothing to save and leaves the overlay as it is.
    selectArea(QPoint(300, 300), QPoint(500, 400));
    xdo({"key", "ctrl+s"});
    QTest::qWait(1000);
    QVERIFY(!sawDialog);
    QVERIFY(ctrl_->isVisible());

    // A finished recording whose panels were closed: kept, and Ctrl+S offers it.
    startRecording(false);
    stopRecording();
    const QString video = ctrl_->recordingFilePath();
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    click(topLevel(QStringLiteral("RecordFinishedPanel"))
              ->findChild<QPushButton*>(QStringLiteral("CloseFinishPanelButton")));
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(QFileInfo::exists(video));

    QString proposed;
    handlers_ = std::make_unique<QObject>();
    handleDialogs<QFileDialog>([&](QFileDialog* d) {
        if (d->windowTitle() == QLatin1String("Save"))
            proposed = d->selectedFiles().value(0);
        d->reject();
        return true;
    });
    selectArea(QPoint(300, 300), QPoint(500, 400));
    xdo({"key", "ctrl+shift+s"}); // not a save
    xdo({"key", "ctrl+s"});
    QTRY_VERIFY(proposed.contains(QLatin1String("record-")));
    QTRY_VERIFY(ctrl_->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    // The overlay has the keyboard again.
    xdo({"key", "Escape"});
    QTRY_COMPARE(closed.count(), 2);

    // With nothing selected, Cancel brings the overlay back too, and Escape still closes it.
    proposed.clear();
    handlers_ = std::make_unique<QObject>();
    handleDialogs<QFileDialog>([&](QFileDialog* d) {
        proposed = d->selectedFiles().value(0);
        d->reject();
        return true;
    });
    openOverlay();
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    xdo({"key", "ctrl+s"});
    QTRY_VERIFY(!proposed.isEmpty());
    QTRY_VERIFY(ctrl_->isVisible());
    xdo({"key", "Escape"});
    QTRY_COMPARE(closed.count(), 3);
    QVERIFY(QFileInfo::exists(video));
}

void TestCropCtrl::ctrlSDuringARecordingLeavesItAlone() {
    bool sawDialog = false;
    handleDialogs<QFileDialog>([&](QFileDialog* d) {
        sawDialog = true;
        d->reject();
        return false;
    });
    QStringList messages;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        messages << box->text();
        box->button(QMessageBox::Ok)->click();
        return false;
    });
    selectArea(QPoint(300, 200), QPoint(460, 320));
    startRecording(false);
    QElapsedTimer clock;
    clock.start();
    // The overlay reopened during the recording, and Ctrl+S on it.
    openOverlay();
    xdo({"key", "ctrl+s"});
    QTest::qWait(1500);
    QVERIFY(!sawDialog);
    QVERIFY(ctrl_->isRecording());
    ctrl_->close();
    auto* time = topLevel(QStringLiteral("RecordPanel"))->findChild<QLabel*>("TimeLabel");
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("00:00:03"), 60000);
    stopRecording();
    const double waited = clock.elapsed() / 1000.0;
    // The whole recording is there, finished (index in front) and as long as it ran.
    const QString video = ctrl_->recordingFilePath();
    const double duration =
        probe(video).value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(duration > waited - 1.5,
             qPrintable(QStringLiteral("%1 s recorded, %2 s waited").arg(duration).arg(waited)));
    QFile f(video);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QStringList boxes; // the file's top-level boxes, in order
    for (qint64 at = 0; at + 8 <= bytes.size();) {
        const quint32 size = qFromBigEndian<quint32>(bytes.constData() + at);
        boxes << QString::fromLatin1(bytes.mid(at + 4, 4));
        if (size < 8)
            break;
        at += size;
    }
    QVERIFY2(!boxes.contains("moof"), qPrintable(boxes.join(' '))); // no fragments left
    QVERIFY2(boxes.indexOf("moov") >= 0 && boxes.indexOf("moov") < boxes.indexOf("mdat"),
             qPrintable(boxes.join(' ')));
    QVERIFY(messages.isEmpty());
    QVERIFY(!sawDialog);
}

void TestCropCtrl::contextMenuGreysOutWithoutSelection() {
    openOverlay();
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    // The menu runs its own loop; it is read and answered from a timer inside that loop.
    QList<bool> enabled;
    QString lastText;
    QStringList choices;
    auto* poll = new QTimer(handlers_.get());
    connect(poll, &QTimer::timeout, this, [&, poll] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->stop();
        for (QAction* a : menu->actions()) {
            enabled << a->isEnabled();
            if (a->isCheckable())
                choices << a->text();
        }
        lastText = menu->actions().value(3)->text();
        menu->setActiveAction(menu->actions().value(3));
        xdo({"key", "Return"});
    });
    poll->start(50);
    movePointer(QPoint(500, 500));
    xdo({"click", "3"});
    QTRY_COMPARE(closed.count(), 1);
    // The four entries of old, the whole screen and the last area (none recorded yet), then
    // the choice of sound source (a separator first), which does not depend on a selection.
    QCOMPARE(enabled, (QList<bool>{false, true, false, true, true, false, true, true, true, true}));
    QCOMPARE(lastText, QStringLiteral("Close"));
    QCOMPARE(choices, (QStringList{"Microphone", "Computer sound", "Both"}));
}

void TestCropCtrl::recordWithNothingSelectedEndsWithMessage() {
    // "Record with sound" stays active without a selection; the engine refuses the empty
    // area and the user is told, with the control closed and nothing left on screen.
    openOverlay();
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    auto* poll = new QTimer(handlers_.get());
    connect(poll, &QTimer::timeout, this, [poll] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->stop();
        menu->actions().value(1)->trigger();
        menu->close();
    });
    poll->start(50);
    QStringList titles;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        titles << box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
        return false;
    });
    movePointer(QPoint(500, 400));
    xdo({"click", "3"});
    QTRY_COMPARE_WITH_TIMEOUT(titles.size(), 1, 15000);
    QVERIFY2(titles.first().startsWith(QLatin1String("Encoder error|")),
             qPrintable(titles.first()));
    QCOMPARE(ctrl_->videoWidth(), 0);
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!ctrl_->isVisible());
    QVERIFY(!topLevel(QStringLiteral("RecordPanel"))->isVisible());
    QVERIFY(!topLevel(QStringLiteral("SocialButtonPanel"))->isVisible());
}

void TestCropCtrl::recordingShowsFrameAndPanelsOutsideTheVideo() {
    backdrop_ = std::make_unique<QWidget>();
    backdrop_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                              Qt::X11BypassWindowManagerHint);
    backdrop_->setStyleSheet(QStringLiteral("background: white;"));
    backdrop_->setAttribute(Qt::WA_StyledBackground);
    backdrop_->setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));

    selectArea(QPoint(300, 150), QPoint(620, 390));
    const QRect sel = ctrl_->currentSelection();
    QCOMPARE(sel, corners(300, 150, 619, 389));
    QElapsedTimer clock;
    startRecording(true);
    clock.start();
    QVERIFY(!ctrl_->isVisible());
    // The video's real pixel size, also under a scale factor.
    QCOMPARE(ctrl_->videoWidth(), qRound(320 * dpr()));
    QCOMPARE(ctrl_->videoHeight(), qRound(240 * dpr()));

    // The frame sits just outside the area; the panel below it, out of the video.
    RecordRect* frame = recordFrame();
    QVERIFY(frame && frame->isVisible());
    QCOMPARE(frame->geometry(), CaptureGeometry::recordFrameGeometry(sel));
    QWidget* recordPanel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(recordPanel && recordPanel->isVisible());
    QCOMPARE(recordPanel->geometry().top(), sel.bottom() + 5);
    QVERIFY(!recordPanel->geometry().intersects(sel));
    auto* time = recordPanel->findChild<QLabel*>(QStringLiteral("TimeLabel"));
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("00:00:03"), 60000);
    stopRecording();
    const double waited = clock.elapsed() / 1000.0;

    QWidget* finished = topLevel(QStringLiteral("RecordFinishedPanel"));
    QWidget* social = topLevel(QStringLiteral("SocialButtonPanel"));
    QVERIFY(finished && finished->isVisible() && social);
    QCOMPARE(finished->pos(),
             CaptureGeometry::panelPos(sel, finished->size(), overlay()->height()));
    // The share targets wait for the share button, which shows them and hides them again.
    QVERIFY(!social->isVisible());
    QVERIFY(!viewable(social));
    QWidget* share = finished->findChild<QWidget*>(QStringLiteral("ShareButton"));
    click(share);
    QTRY_VERIFY(social->isVisible());
    QTRY_VERIFY(viewable(social));
    QCOMPARE(social->geometry().top(), finished->geometry().bottom() + 10);
    QCOMPARE(social->x(),
             share->mapToGlobal(QPoint(0, 0)).x() + share->width() / 2 - social->width() / 2);
    for (const char* name : {"FacebookButton", "TwitterButton", "RedditButton"})
        QVERIFY2(social->findChild<QPushButton*>(QString::fromLatin1(name))->isVisible(), name);
    click(share);
    QTRY_VERIFY(!social->isVisible());
    QTRY_VERIFY(!viewable(social));
    QVERIFY(finished->isVisible());
    // The frame belongs to the recording: it went with it.
    QVERIFY(!frame->isVisible());

    // The file has the selection's size in physical pixels, about the waited length, sound.
    const QString video = ctrl_->recordingFilePath();
    QVERIFY(video.startsWith(store_->folder() + QLatin1Char('/')));
    const QJsonObject info = probe(video);
    const QJsonArray streams = info.value("streams").toArray();
    QJsonObject v, a;
    for (const QJsonValue s : streams) {
        if (s["codec_type"] == "video")
            v = s.toObject();
        if (s["codec_type"] == "audio")
            a = s.toObject();
    }
    QCOMPARE(v.value("codec_name").toString(), QStringLiteral("h264"));
    QCOMPARE(v.value("width").toInt(), phys(QPoint(320, 0)).x());
    QCOMPARE(v.value("height").toInt(), phys(QPoint(0, 240)).y());
    QVERIFY(!a.isEmpty());
    const double duration = info.value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(duration > waited - 1.5 && duration < waited + 1.0,
             qPrintable(QStringLiteral("%1 s recorded, %2 s waited").arg(duration).arg(waited)));

    // The frame is not in the video: every edge pixel of the last picture is the white backdrop.
    QTemporaryDir tmp;
    const QString still = tmp.filePath("last.png");
    run(QStringLiteral("ffmpeg"),
        {"-v", "error", "-sseof", "-0.5", "-i", video, "-frames:v", "1", still});
    const QImage picture(still);
    QVERIFY(!picture.isNull());
    for (int x = 0; x < picture.width(); ++x) {
        QVERIFY2(picture.pixelColor(x, 0).lightness() > 200, qPrintable(QString::number(x)));
        QVERIFY(picture.pixelColor(x, picture.height() - 1).lightness() > 200);
    }
    for (int y = 0; y < picture.height(); ++y) {
        QVERIFY2(picture.pixelColor(0, y).lightness() > 200, qPrintable(QString::number(y)));
        QVERIFY(picture.pixelColor(picture.width() - 1, y).lightness() > 200);
    }
}

// A selection of the whole screen of the one monitor: no place beside it for the record
// panel, which stays hidden rather than show in the video; the stop shortcut still ends it.
void TestCropCtrl::wholeScreenLeavesNoRoomSoThePanelStaysOutOfTheVideo() {
    backdrop_ = std::make_unique<QWidget>();
    backdrop_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                              Qt::X11BypassWindowManagerHint);
    backdrop_->setStyleSheet(QStringLiteral("background: white;"));
    backdrop_->setAttribute(Qt::WA_StyledBackground);
    backdrop_->setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    selectArea(screen.topLeft(), screen.bottomRight());
    startRecording(false);
    QWidget* recordPanel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(recordPanel);
    QVERIFY(!recordPanel->isVisible());
    QVERIFY(!ctrl_->showsRecordPanel());
    // Brought forward (a capture asked for during the recording), it stays away.
    ctrl_->bringRecordPanelForward();
    QVERIFY(!recordPanel->isVisible());
    auto* time = recordPanel->findChild<QLabel*>(QStringLiteral("TimeLabel"));
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("00:00:02"), 60000);
    ctrl_->stopFromOutside();
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!ctrl_->isFinishingFile(), 60000);

    // The last picture is the white backdrop but for the pointer: no panel in it.
    QTemporaryDir tmp;
    const QString still = tmp.filePath("last.png");
    run(QStringLiteral("ffmpeg"), {"-v", "error", "-sseof", "-0.5", "-i",
                                   ctrl_->recordingFilePath(), "-frames:v", "1", still});
    const QImage picture(still);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > phys(QPointF(screen.width() - 16, 0)).x());
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            dark += picture.pixelColor(x, y).lightness() < 160;
    }
    // A pointer is a few hundred pixels at most; the panel thousands.
    QVERIFY2(dark < 1500, qPrintable(QStringLiteral("%1 dark pixels").arg(dark)));
}

void TestCropCtrl::recordAndStop(QByteArray* recorded) {
    selectArea(QPoint(300, 150), QPoint(460, 270));
    startRecording(false);
    auto* time = topLevel(QStringLiteral("RecordPanel"))->findChild<QLabel*>("TimeLabel");
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("00:00:01"), 60000);
    stopRecording();
    QFile original(ctrl_->recordingFilePath());
    QVERIFY(original.open(QIODevice::ReadOnly));
    *recorded = original.readAll();
    QVERIFY(!recorded->isEmpty());
}

void TestCropCtrl::saveVia(const QString& target, QString* message) {
    handleDialogs<QFileDialog>([target](QFileDialog* d) {
        chooseFile(d, target);
        static_cast<QDialog*>(d)->accept(); // QFileDialog hides it; the dialog still checks
        return true;
    });
    handleDialogs<QMessageBox>([message](QMessageBox* box) {
        // The dialog's own question: the user agrees to replace the file.
        if (box->text().contains(QLatin1String("already exists"))) {
            box->button(QMessageBox::Yes)->click();
            return false;
        }
        *message = box->windowTitle() + QLatin1Char('|') + box->text();
        if (!box->detailedText().isEmpty())
            *message += QLatin1Char('|') + box->detailedText();
        if (box->objectName() != QLatin1String("SavedMessage"))
            box->button(QMessageBox::Ok)->click();
        return true;
    });
    click(topLevel(QStringLiteral("RecordFinishedPanel"))
              ->findChild<QPushButton*>(QStringLiteral("SaveButton")));
}

bool TestCropCtrl::viewable(QWidget* w) {
    const QString info = QString::fromLocal8Bit(
        run(QStringLiteral("xwininfo"), {"-id", QString::number(w->winId())}));
    return info.contains(QLatin1String("IsViewable"));
}

void TestCropCtrl::saveOntoAnExistingFileReplacesIt() {
    QByteArray recorded;
    recordAndStop(&recorded);
    if (QTest::currentTestFailed())
        return;
    const QString video = ctrl_->recordingFilePath();
    QTemporaryDir tmp;
    const QString existing = tmp.filePath("existing.mp4");
    {
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("an older video");
    }
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    QString message;
    saveVia(existing, &message);
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 60000);
    // No failure: the message that follows says where the recording went.
    QTRY_COMPARE(message, QStringLiteral("Clipnest|The recording was saved as %1.").arg(existing));
    QFile saved(existing);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), recorded);
    QVERIFY(!QFileInfo::exists(video));
    QVERIFY(!store_->contains(video));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("existing.mp4")});
}

void TestCropCtrl::saveIntoAnUnwritableFolderKeepsTheRecording() {
    QByteArray recorded;
    recordAndStop(&recorded);
    if (QTest::currentTestFailed())
        return;
    const QString video = ctrl_->recordingFilePath();
    // Into a folder nobody can write to: read-only for its owner, and for root (who ignores
    // that) also immutable, or else a "folder" that is a plain file.
    QTemporaryDir tmp;
    const QString locked = tmp.filePath("locked");
    QVERIFY(QDir(tmp.path()).mkdir("locked"));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    struct Unlock {
        QString path;
        ~Unlock() { QProcess::execute(QStringLiteral("chattr"), {"-i", path}); }
    } unlock{locked};
    if (::geteuid() == 0)
        QProcess::execute(QStringLiteral("chattr"), {"+i", locked});
    QString unwritable = locked + QStringLiteral("/video.mp4");
    {
        QFile probe(locked + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile plain(tmp.filePath("plain"));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            unwritable = tmp.filePath("plain/video.mp4");
        }
    }
    QString message;
    saveVia(unwritable, &message);
    QTRY_VERIFY_WITH_TIMEOUT(!message.isEmpty(), 60000);
    // Our sentence names the place once; the system's own words come as the detail.
    const QStringList parts = message.split(QLatin1Char('|'));
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts[0], QStringLiteral("Error"));
    QVERIFY2(
        parts[1].startsWith(QStringLiteral("Can not save the recording as %1: ").arg(unwritable)),
        qPrintable(message));
    QCOMPARE(parts[1].count(unwritable), 1);
    const QStringList systemWords{QString::fromLocal8Bit(std::strerror(EACCES)),
                                  QString::fromLocal8Bit(std::strerror(EPERM)),
                                  QString::fromLocal8Bit(std::strerror(ENOTDIR))};
    QVERIFY2(systemWords.contains(parts[2]), qPrintable(message));
    QVERIFY(!parts[1].contains(parts[2]));
    // The recording and the panels stay, so the user can pick another place.
    QVERIFY(QFileInfo::exists(video));
    QCOMPARE(store_->entry(video)->state, RecordingState::NotUploaded);
    QTRY_VERIFY(topLevel(QStringLiteral("RecordFinishedPanel"))->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::RecordFinished);

    // Once more with the interface in Spanish: the sentence is Spanish throughout, and the
    // system's English words stay in the detail.
    QTranslator spanish;
    QVERIFY(spanish.load(QStringLiteral(":/Resources/locales/es.qm")));
    QCoreApplication::installTranslator(&spanish);
    message.clear();
    saveVia(unwritable, &message);
    QTRY_VERIFY_WITH_TIMEOUT(!message.isEmpty(), 60000);
    QCoreApplication::removeTranslator(&spanish);
    const QStringList spanishParts = message.split(QLatin1Char('|'));
    QCOMPARE(spanishParts.size(), 3);
    QVERIFY2(spanishParts[1].startsWith(
                 QString::fromUtf8("No se puede guardar la grabación como %1: ").arg(unwritable)),
             qPrintable(message));
    QVERIFY2(systemWords.contains(spanishParts[2]), qPrintable(message));
    QVERIFY(!spanishParts[1].contains(spanishParts[2]));
    QVERIFY(QFileInfo::exists(video));
}

void TestCropCtrl::saveToANewPathEndsTheCapture() {
    QByteArray recorded;
    recordAndStop(&recorded);
    if (QTest::currentTestFailed())
        return;
    const QString video = ctrl_->recordingFilePath();
    QTemporaryDir tmp;
    const QString target = tmp.filePath("saved.mp4");
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    QString message;
    saveVia(target, &message);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(target) && closed.count() == 1, 60000);
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), recorded);
    QVERIFY(!QFileInfo::exists(video));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QVERIFY(!topLevel(QStringLiteral("RecordFinishedPanel"))->isVisible());
    QVERIFY(!topLevel(QStringLiteral("SocialButtonPanel"))->isVisible());
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<RecordRect*>(w) || !w->isVisible());

    // The message says where it went; its button opens that folder in the file manager.
    QTRY_COMPARE(message, QStringLiteral("Clipnest|The recording was saved as %1.").arg(target));
    FolderOpener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    const auto unset =
        qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); });
    QMessageBox* savedBox = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        savedBox = w->objectName() == QLatin1String("SavedMessage") ? qobject_cast<QMessageBox*>(w)
                                                                    : savedBox;
    QVERIFY(savedBox && savedBox->isVisible());
    click(savedBox->findChild<QPushButton*>(QStringLiteral("OpenFolderButton")));
    QTRY_COMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(tmp.path())});
}

void TestCropCtrl::newUserSavesIntoTheVideosFolderWithoutTheFrame() {
    // A new user: a home of this test's own, without a videos folder or user directories.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    const QString videos = home.filePath(QStringLiteral("Videos"));
    QByteArray recorded;
    recordAndStop(&recorded);
    if (QTest::currentTestFailed())
        return;
    const QString video = ctrl_->recordingFilePath();
    const QDateTime began = store_->entry(video)->created;
    QVERIFY(began.isValid());
    // Saved a little later than it was made: the name still tells when it was recorded.
    QTest::qWait(1100);

    RecordRect* frame = recordFrame();
    QVERIFY(frame);
    bool frameShown = true, frameOnScreen = true;
    QString proposed;
    QStringList filters;
    handleDialogs<QFileDialog>([&](QFileDialog* d) {
        frameShown = frame->isVisible();
        frameOnScreen = viewable(frame);
        proposed = d->selectedFiles().value(0);
        filters = d->nameFilters();
        // Typed as the user did, with "~" and without the extension.
        chooseFile(d, QStringLiteral("~/Videos/first"));
        static_cast<QDialog*>(d)->accept();
        return true;
    });
    QString message;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        message = box->windowTitle() + QLatin1Char('|') + box->text();
        return true;
    });
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    click(topLevel(QStringLiteral("RecordFinishedPanel"))
              ->findChild<QPushButton*>(QStringLiteral("SaveButton")));
    QTRY_VERIFY_WITH_TIMEOUT(!message.isEmpty(), 60000);

    // The dashed frame stood over nothing while the dialog was up.
    QVERIFY(!frameShown);
    QVERIFY(!frameOnScreen);
    QCOMPARE(proposed,
             videos + began.toString(QStringLiteral("'/record-'hh.mm.ss[dd.MM.yyyy]'.mp4'")));
    QVERIFY(QFileInfo(videos).isDir());
    QCOMPARE(filters, QStringList{QStringLiteral("MP4 video (*.mp4)")});

    const QString first = videos + QStringLiteral("/first.mp4");
    QCOMPARE(message, QStringLiteral("Clipnest|The recording was saved as %1.").arg(first));
    QFile saved(first);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), recorded);
    QVERIFY(!QFileInfo::exists(video));
    QTRY_COMPARE(closed.count(), 1);
}

void TestCropCtrl::folderThatCanNotBeOpenedIsTold() {
    // No file manager to be found: nothing on the path opens a folder.
    QTemporaryDir emptyPath;
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    qputenv("PATH", QFile::encodeName(emptyPath.path()));
    QString message;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        message = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    QTemporaryDir folder;
    openSavedFolder(folder.path());
    QCOMPARE(message, QStringLiteral("Error|Can not open the folder %1.").arg(folder.path()));
}

void TestCropCtrl::secondStartKeepsTheRunningRecording() {
    selectArea(QPoint(300, 200), QPoint(400, 300));
    startRecording(false);
    // The main window reopens the overlay during the recording; a second start is refused.
    QStringList messages;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        messages << box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
        return false;
    });
    selectArea(QPoint(500, 200), QPoint(600, 300));
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 15000);
    QVERIFY2(messages.first().startsWith(QLatin1String("Error|A recording is already under way")),
             qPrintable(messages.first()));
    QVERIFY(!ctrl_->isVisible());
    QWidget* recordPanel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(recordPanel->isVisible());
    stopRecording();
    QVERIFY(topLevel(QStringLiteral("RecordFinishedPanel"))->isVisible());
    const QJsonObject info = probe(ctrl_->recordingFilePath());
    QCOMPARE(info.value("streams").toArray().first().toObject().value("width").toInt(),
             phys(QPoint(100, 0)).x());
    QCOMPARE(messages.size(), 1);
}

void TestCropCtrl::uploadAndShareHandTheFileOver() {
    QSignalSpy uploads(ctrl_.get(), &CropCtrl::uploadRecording);
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);

    selectArea(QPoint(200, 200), QPoint(330, 290));
    startRecording(false);
    stopRecording();
    const QString first = ctrl_->recordingFilePath();
    QJsonObject info = probe(first);
    QCOMPARE(info.value("streams").toArray().size(), 1); // no sound track
    click(topLevel(QStringLiteral("RecordFinishedPanel"))->findChild<QPushButton*>("UploadButton"));
    QTRY_COMPARE(uploads.count(), 1);
    QCOMPARE(uploads.at(0).at(0).toString(), first);
    QCOMPARE(uploads.at(0).at(1).toSize(), QSize(qRound(128 * dpr()), qRound(88 * dpr())));
    QCOMPARE(uploads.at(0).at(2).toInt(), -1);
    QTRY_COMPARE(closed.count(), 1);
    QCOMPARE(ctrl_->videoWidth(), qRound(128 * dpr()));
    QCOMPARE(ctrl_->videoHeight(), qRound(88 * dpr()));
    QVERIFY(QFileInfo::exists(first)); // the uploader's to remove, once the service has it

    // Reused for a second capture, as the main window does; shared before the file is
    // finished, the upload waits for it.
    selectArea(QPoint(600, 200), QPoint(700, 300));
    startRecording(false);
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    click(panel->findChild<QPushButton*>(QStringLiteral("StopRecordButton")));
    click(topLevel(QStringLiteral("RecordFinishedPanel"))->findChild<QPushButton*>("ShareButton"));
    click(topLevel(QStringLiteral("SocialButtonPanel"))->findChild<QPushButton*>("TwitterButton"));
    QTRY_COMPARE_WITH_TIMEOUT(uploads.count(), 2, 60000);
    const QString second = uploads.at(1).at(0).toString();
    QVERIFY(second != first);
    QCOMPARE(uploads.at(1).at(2).toInt(), int(SocialNetwork::Twitter));
    // Handed over only once complete: an ordinary MP4 of the recorded size.
    info = probe(second);
    QCOMPARE(info.value("streams").toArray().first().toObject().value("width").toInt(),
             uploads.at(1).at(1).toSize().width());
    QTRY_COMPARE(closed.count(), 2);
}

void TestCropCtrl::newCaptureKeepsTheFinishedRecording() {
    selectArea(QPoint(200, 200), QPoint(330, 290));
    startRecording(false);
    stopRecording();
    const QString first = ctrl_->recordingFilePath();
    QByteArray firstBytes;
    {
        QFile f(first);
        QVERIFY(f.open(QIODevice::ReadOnly));
        firstBytes = f.readAll();
    }
    // The finished panels are up; the user opens a new capture and records again.
    selectArea(QPoint(500, 300), QPoint(600, 400));
    QVERIFY(!topLevel(QStringLiteral("RecordFinishedPanel"))->isVisible());
    startRecording(false);
    stopRecording();
    const QString second = ctrl_->recordingFilePath();
    QVERIFY(second != first);
    QFile f(first);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), firstBytes);
    QVERIFY(QFileInfo(second).size() > 0);
    const QList<RecordingEntry> kept = store_->list();
    QCOMPARE(kept.size(), 2);
    for (const RecordingEntry& e : kept)
        QCOMPARE(e.state, RecordingState::NotUploaded);
}

void TestCropCtrl::missingSoundServerEndsWithMessage() {
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/clipnest-no-pulse");
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    QStringList titles;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        titles << box->windowTitle();
        box->button(QMessageBox::Ok)->click();
        return false;
    });
    selectArea(QPoint(300, 300), QPoint(400, 400));
    startRecording(true);
    QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty(), 15000);
    qputenv("PULSE_SERVER", saved);
    QCOMPARE(titles.first(), QStringLiteral("Audio capture error"));
    QTRY_COMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!ctrl_->isVisible());
    QVERIFY(!topLevel(QStringLiteral("RecordFinishedPanel"))->isVisible());
    QVERIFY(!topLevel(QStringLiteral("RecordPanel"))->isVisible());
    QTest::qWait(500); // a second box for the same failure would show here
    QCOMPARE(titles.size(), 1);
}

void TestCropCtrl::plantedLinkIsNotFollowed() {
    // The recordings folder replaced by a link to a folder others can read: nothing is
    // written through it, and the refusal names the folder.
    QTemporaryDir tmp;
    const QString victim = tmp.filePath("victim");
    QVERIFY(QDir().mkpath(victim));
    const QString folder = store_->folder();
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QFile::link(victim, folder));
    QStringList messages;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        messages << box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    selectArea(QPoint(300, 300), QPoint(400, 400));
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 15000);
    QVERIFY2(messages.first().contains(folder), qPrintable(messages.first()));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QVERIFY(!ctrl_->isRecording());
    QCOMPARE(QDir(victim).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestCropCtrl::countdownStartsOnTimeAndStaysOutOfTheVideo() {
    QElapsedTimer clock;
    auto* backdrop = new ClockBackdrop(&clock);
    backdrop_.reset(backdrop);
    backdrop->setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop));

    ctrl_->setCountdownSeconds(3);
    selectArea(QPoint(300, 150), QPoint(620, 390));
    const QRect sel = ctrl_->currentSelection();
    clock.start();
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));

    // The overlay goes at once and the desktop shows, with the number over the area.
    QTRY_VERIFY(ctrl_->isCountingDown());
    QTRY_VERIFY(!ctrl_->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    CountdownWindow* number = countdownWindow();
    QVERIFY(number);
    QTRY_VERIFY(number->isVisible());
    QCOMPARE(number->number(), 3);
    QVERIFY(sel.contains(number->geometry().center(), false));
    QTest::qWait(200);
    {
        // Light pixels of the number over the dark backdrop, within the area.
        const QImage shot = screenImage();
        QVERIFY(!shot.isNull());
        const QRect drawn(phys(number->geometry().topLeft()),
                          phys(number->geometry().bottomRight()));
        int light = 0;
        for (int y = drawn.top(); y <= drawn.bottom(); y += 2)
            for (int x = drawn.left(); x <= drawn.right(); x += 2)
                light += shot.pixelColor(x, y).lightness() > 100;
        QVERIFY2(light > 100, qPrintable(QString::number(light)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(number->number(), 1, 3000);
    QVERIFY(!topLevel(QStringLiteral("RecordPanel"))->isVisible());

    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::Recording, 3000);
    QVERIFY(!number->isVisible());
    QTest::qWait(1500);
    stopRecording();
    const qint64 waited = clock.elapsed();

    // The video starts when the count ends, not when the button was clicked.
    const QString video = ctrl_->recordingFilePath();
    const double duration =
        probe(video).value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(duration < waited / 1000.0 - 2.5,
             qPrintable(QStringLiteral("%1 s recorded, %2 ms waited").arg(duration).arg(waited)));

    // The first pictures: each one flat backdrop grey (no number, no outline), and the first
    // grabbed 3 s after the click.
    QTemporaryDir tmp;
    run(QStringLiteral("ffmpeg"),
        {"-v", "error", "-i", video, "-frames:v", "4", tmp.filePath("first%d.png")});
    for (int i = 1; i <= 4; ++i) {
        const QImage picture(tmp.filePath(QStringLiteral("first%1.png").arg(i)));
        QVERIFY2(!picture.isNull(), qPrintable(QString::number(i)));
        const int grey = picture.pixelColor(picture.rect().center()).red();
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                const QColor c = picture.pixelColor(x, y);
                QVERIFY2(qAbs(c.red() - grey) < 16 && qAbs(c.green() - grey) < 16 &&
                             qAbs(c.blue() - grey) < 16,
                         qPrintable(QStringLiteral("picture %1 at %2,%3: %4 against %5")
                                        .arg(i)
                                        .arg(x)
                                        .arg(y)
                                        .arg(c.name())
                                        .arg(grey)));
            }
        }
        if (i == 1) {
            const double at = ClockBackdrop::secondsFor(grey);
            qDebug() << "first picture grabbed" << at << "s after the click";
            QVERIFY2(qAbs(at - 3.0) <= 0.3, qPrintable(QStringLiteral("%1 s").arg(at)));
        }
    }
}

void TestCropCtrl::escapeDuringCountdownRecordsNothing() {
    // A black desktop, on which the frame's white dashes stand out.
    backdrop_ = std::make_unique<QWidget>();
    backdrop_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint |
                              Qt::X11BypassWindowManagerHint);
    backdrop_->setStyleSheet(QStringLiteral("background: black;"));
    backdrop_->setAttribute(Qt::WA_StyledBackground);
    backdrop_->setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));

    const QMap<QString, QDateTime> before = recordingFiles();
    ctrl_->setCountdownSeconds(3);
    selectArea(QPoint(300, 150), QPoint(620, 390));
    const QRect sel = ctrl_->currentSelection();
    QSignalSpy closed(ctrl_.get(), &CropCtrl::closed);
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_VERIFY(ctrl_->isCountingDown());
    QTRY_VERIFY(countdownWindow() && countdownWindow()->isVisible());

    // The overlay is away, and the area stays framed on the desktop: dashes along the
    // frame's top edge, just outside the area.
    RecordRect* frame = recordFrame();
    QVERIFY(frame);
    QVERIFY(frame->isVisible());
    QVERIFY(ctrl_->isCountingDown());
    QCOMPARE(frame->geometry(), CaptureGeometry::recordFrameGeometry(sel));
    QTest::qWait(200);
    {
        const QImage shot = screenImage();
        QVERIFY(!shot.isNull());
        const QRect top(phys(frame->geometry().topLeft()),
                        phys(frame->geometry().topRight() + QPoint(0, 2)));
        int white = 0;
        for (int y = top.top(); y <= top.bottom(); ++y)
            for (int x = top.left(); x <= top.right(); ++x)
                white += shot.pixelColor(x, y).lightness() > 200;
        QVERIFY2(
            white > top.width() / 4,
            qPrintable(
                QStringLiteral("%1 white pixels along %2 columns").arg(white).arg(top.width())));
        QVERIFY(ctrl_->isCountingDown());
    }
    QTest::qWait(300);
    xdo({"key", "Escape"});

    // Back to the selected area, as before the record button; nothing is recorded.
    QTRY_VERIFY(!ctrl_->isCountingDown());
    QTRY_VERIFY(ctrl_->isVisible());
    QVERIFY(!countdownWindow()->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QCOMPARE(ctrl_->currentSelection(), sel);
    QTRY_VERIFY(overlay()->findChild<QWidget*>(QStringLiteral("StartRecordPanel"))->isVisible());
    // The overlay draws the frame again; the desktop's goes.
    QTRY_VERIFY(!frame->isVisible());
    QTest::qWait(3000); // past the cancelled count's end
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QVERIFY(!topLevel(QStringLiteral("RecordPanel"))->isVisible());
    QVERIFY(ctrl_->recordingFilePath().isEmpty());
    QCOMPARE(recordingFiles(), before);
    QCOMPARE(closed.count(), 0);

    // The stop shortcut during the count ends it the same way.
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_VERIFY(ctrl_->isCountingDown());
    ctrl_->stopFromOutside();
    QVERIFY(!ctrl_->isCountingDown());
    QTRY_VERIFY(ctrl_->isVisible());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Selected);
    QVERIFY(!countdownWindow()->isVisible());

    // The overlay has the keyboard again, and the area can still be recorded.
    ctrl_->setCountdownSeconds(1);
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(ctrl_->currentMode(), CropCtrl::Mode::Recording, 5000);
    QTest::qWait(1000);
    stopRecording();
    QVERIFY(QFileInfo(ctrl_->recordingFilePath()).size() > 0);
}

void TestCropCtrl::freeSpaceIsCheckedBeforeRecording() {
    // A recordings folder on a small file system of its own: 50 MB (refused), then 500 MB
    // (a warning, and the recording runs).
    if (::geteuid() != 0)
        QSKIP("needs root to mount a small file system");
    const QString small = data_->filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(small));
    if (QProcess::execute(QStringLiteral("mount"),
                          {"-t", "tmpfs", "-o", "size=50m", "tmpfs", small}) != 0)
        QSKIP("can not mount a file system here");
    struct Unmount {
        TestCropCtrl* test;
        QString path;
        ~Unmount() {
            test->ctrl_.reset();
            test->store_.reset();
            QProcess::execute(QStringLiteral("umount"), {path});
        }
    } unmount{this, small};
    ctrl_.reset();
    store_ = std::make_unique<RecordingStore>(small + QStringLiteral("/recordings"));
    QCOMPARE(store_->open(), QString());
    ctrl_ = std::make_unique<CropCtrl>(store_.get());
    QSignalSpy notices(ctrl_.get(), &CropCtrl::notice);

    QStringList messages;
    handleDialogs<QMessageBox>([&](QMessageBox* box) {
        messages << box->text();
        box->button(QMessageBox::Ok)->click();
        return false;
    });
    selectArea(QPoint(300, 300), QPoint(400, 400));
    click(overlay()->findChild<QPushButton*>(QStringLiteral("RecordButton")));
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 15000);
    QVERIFY2(messages.first().contains(store_->folder()), qPrintable(messages.first()));
    QVERIFY(!ctrl_->isRecording());
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Idle);
    QCOMPARE(store_->list().size(), 0);
    QCOMPARE(notices.count(), 0);

    QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"-o", "remount,size=500m", small}), 0);
    selectArea(QPoint(300, 300), QPoint(400, 400));
    startRecording(false);
    QCOMPARE(notices.count(), 1);
    QVERIFY2(notices.first().first().toString().contains(store_->folder()),
             qPrintable(notices.first().first().toString()));
    stopRecording();
    QCOMPARE(store_->list().size(), 1);
    QCOMPARE(messages.size(), 1);
}

void TestCropCtrl::pauseHoldsTheClockAndBlinksIt() {
    selectArea(QPoint(300, 300), QPoint(500, 450));
    startRecording(false);
    QWidget* panel = topLevel(QStringLiteral("RecordPanel"));
    QVERIFY(panel);
    auto* time = panel->findChild<QLabel*>(QStringLiteral("TimeLabel"));
    auto* pause = panel->findChild<PushButtonWithTooltip*>(QStringLiteral("PauseRecordButton"));
    QVERIFY(time && pause);
    QCOMPARE(pause->tooltipText, QStringLiteral("Pause recording"));
    QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("00:00:01"), 5000);
    click(pause);
    QTRY_COMPARE(pause->tooltipText, QStringLiteral("Resume recording"));
    // Paused: the time stands still and blinks.
    const QString held = time->text();
    bool shown = false, hidden = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500) {
        QTest::qWait(100);
        QCOMPARE(time->text(), held);
        const bool transparent = time->styleSheet().contains(QStringLiteral("transparent"));
        hidden = hidden || transparent;
        shown = shown || !transparent;
    }
    QVERIFY2(shown && hidden, "the time did not blink while paused");
    click(pause);
    QTRY_COMPARE(pause->tooltipText, QStringLiteral("Pause recording"));
    QVERIFY(!time->styleSheet().contains(QStringLiteral("transparent")));
    // Going on, the time counts on from where it stood.
    QTRY_VERIFY_WITH_TIMEOUT(time->text() != held, 2000);
    QCOMPARE(time->text(), CaptureGeometry::elapsedText(held.section(':', 2).toInt() + 1));
    stopRecording();
    const QJsonObject facts = probe(ctrl_->recordingFilePath());
    const double duration =
        facts.value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(duration > 1.5 && duration < 3.5, qPrintable(QString::number(duration)));
}

void TestCropCtrl::lostMicrophoneIsToldOnceAndRecordingGoesOn() {
    QString module;
    for (const QString& line :
         QString::fromLocal8Bit(run(QStringLiteral("pactl"), {"list", "short", "modules"}))
             .split('\n'))
        if (line.contains(QStringLiteral("module-sine-source")))
            module = line.section('\t', 0, 0);
    QVERIFY2(!module.isEmpty(), "the test desktop has no sine microphone");
    auto restore = qScopeGuard([] {
        run(QStringLiteral("pactl"), {"load-module", "module-sine-source", "source_name=microphone",
                                      "rate=44100", "frequency=440"});
        run(QStringLiteral("pactl"), {"set-default-source", "microphone"});
    });
    selectArea(QPoint(300, 300), QPoint(500, 450));
    startRecording(true);
    QTest::qWait(1500);
    run(QStringLiteral("pactl"), {"unload-module", module});
    PopupNotify* popup = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = dynamic_cast<PopupNotify*>(w); p && p->isVisible())
                    popup = p;
            return popup != nullptr;
        }(),
        5000);
    QVERIFY2(popup->text().contains(QStringLiteral("sound stopped")), qPrintable(popup->text()));
    QCOMPARE(ctrl_->currentMode(), CropCtrl::Mode::Recording);
    stopRecording();
}

// The choice made in the menus reaches the recording: with "Computer sound" the file holds
// the tone played to the desktop's speakers, not the microphone's sine.
void TestCropCtrl::computerSoundChoiceRecordsWhatTheSpeakersPlay() {
    QSettings().setValue(QStringLiteral("Sound source"), QStringLiteral("computer"));
    auto forget = qScopeGuard([] { QSettings().remove(QStringLiteral("Sound source")); });
    // The null sink takes up a recorder's wish for short blocks only at the end of the one
    // under way (up to two seconds): a listener that wants them is there first.
    QProcess listener;
    listener.start(QStringLiteral("parec"),
                   {"--device=@DEFAULT_MONITOR@", "--latency-msec=20", "--raw", "/dev/null"});
    QVERIFY(listener.waitForStarted());
    const QString module =
        QString::fromLocal8Bit(
            run(QStringLiteral("pactl"), {"load-module", "module-sine", "frequency=1000"}))
            .trimmed();
    auto stop = qScopeGuard([&] {
        run(QStringLiteral("pactl"), {"unload-module", module});
        listener.kill();
        listener.waitForFinished();
    });
    QVERIFY2(module.toInt() > 0 || module == QLatin1String("0"), qPrintable(module));
    QTest::qWait(2500);
    selectArea(QPoint(300, 300), QPoint(500, 450));
    startRecording(true);
    QTest::qWait(2500);
    stopRecording();
    const QString file = ctrl_->recordingFilePath();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) && !f.readAll().contains("moof");
        }(),
        60000);
    const QByteArray pcm =
        run(QStringLiteral("ffmpeg"),
            {"-v", "error", "-ss", "0.5", "-t", "1.5", "-i", file, "-ac", "1", "-f", "s16le", "-"});
    QVERIFY(pcm.size() > 44100);
    auto amplitude = [&](double hz) {
        const auto* v = reinterpret_cast<const qint16*>(pcm.constData());
        const qsizetype n = pcm.size() / 2;
        double re = 0, im = 0;
        for (qsizetype i = 0; i < n; ++i) {
            re += v[i] * std::cos(2 * M_PI * hz * double(i) / 44100);
            im -= v[i] * std::sin(2 * M_PI * hz * double(i) / 44100);
        }
        return 2 * std::sqrt(re * re + im * im) / double(n);
    };
    const double tone = amplitude(1000), microphone = amplitude(440);
    QVERIFY2(tone > 2000 && microphone < tone / 100,
             qPrintable(QStringLiteral("1000 Hz %1, 440 Hz %2").arg(tone).arg(microphone)));
}

QTEST_MAIN(TestCropCtrl)
#include "tst_cropctrl.moc"
