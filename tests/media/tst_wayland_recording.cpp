// Recordings through the desktop's screen-cast portal and PipeWire, on the headless Wayland
// test desktop: the file holds exactly the pixels selected, and the desktop's chooser is
// asked only when it has to be.
#include "mp4_readback.h"
#include "rec_process.h"
#include "tests/support/wayland/WaylandDesktop.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QRasterWindow>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

using namespace WaylandDesktop;

const QRect kArea(200, 160, 480, 320);

QStringList portalArgs(const QRect& r, int seconds, const QString& out,
                       const QString& tokenFile = QString()) {
    QStringList args = recArgs(r, seconds, false, out);
    args.insert(args.size() - 1, "--portal");
    if (!tokenFile.isEmpty()) {
        args.insert(args.size() - 1, "--token");
        args.insert(args.size() - 1, tokenFile);
    }
    return args;
}

} // namespace

class WaylandRecordingTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<BlocksWindow> blocks_;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("CLIPNEST_TEST_WAYLAND"),
                 "needs the Wayland test desktop (scripts/with-wayland-desktop.sh)");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        blocks_ = std::make_unique<BlocksWindow>();
        QVERIFY(showBlocks(*blocks_, kArea));
    }

    // Every recording is a new cast, which needs a change on the output to get its first
    // picture: the corner blinks while it starts.
    void init() {
        QVERIFY(choose("HEADLESS-1"));
        blocks_->setBlinking(true);
    }
    void cleanup() { blocks_->setBlinking(false); }

    // A selection records exactly its pixels: the decoded picture matches the compositor's
    // own pixels there, and plainly does not match them 4 pixels off.
    void recordsExactlyTheSelectedPixels() {
        const QString file = path("exact.mp4");
        auto p = startRec(portalArgs(kArea, 2, file));
        const Run run = finish(*p);
        QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0,
                 qPrintable(describe(run)));
        const readback::Facts facts = readback::probe(file);
        QVERIFY2(facts.readable, qPrintable(facts.error));
        const readback::Stream v = facts.stream("video");
        QCOMPARE(v.width, kArea.width());
        QCOMPARE(v.height, kArea.height());
        QCOMPARE(readback::decodeErrors(file), QString());
        const QImage shot = screenshot("HEADLESS-1");
        QVERIFY(!shot.isNull());
        const QByteArray frame = readback::rgbFrameAt(file, 1.0, kArea.width(), kArea.height());
        const double here = meanDifference(frame, shot, kArea);
        const double shifted = meanDifference(frame, shot, kArea.translated(4, 0));
        const double lower = meanDifference(frame, shot, kArea.translated(0, 4));
        const QString figures = QStringLiteral("here %1, 4 px right %2, 4 px down %3")
                                    .arg(here)
                                    .arg(shifted)
                                    .arg(lower);
        qInfo("%s", qPrintable(figures));
        QVERIFY2(here < 8, qPrintable(figures));
        QVERIFY2(shifted > 4 * here && lower > 4 * here, qPrintable(figures));
    }

    // A still screen sends no frames for as long as it stays still: the file still lasts the
    // time recorded, decodes cleanly, and shows the screen throughout.
    void stillScreenKeepsItsLength() {
        const QString file = path("still.mp4");
        auto p = startRec(portalArgs(kArea, 15, file));
        // Still from 2 s on: 13 s without a frame.
        QTimer::singleShot(2000, blocks_.get(), [this] { blocks_->setBlinking(false); });
        const Run run = finish(*p);
        QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0,
                 qPrintable(describe(run)));
        const readback::Facts facts = readback::probe(file);
        QVERIFY2(facts.readable, qPrintable(facts.error));
        const double recorded = run.stats.value("recorded_ms").toDouble() / 1000;
        QVERIFY2(std::abs(facts.duration - recorded) < 0.1,
                 qPrintable(
                     QStringLiteral("%1 s long, %2 s recorded").arg(facts.duration).arg(recorded)));
        QVERIFY2(std::abs(facts.duration - 15) < 0.5, qPrintable(QString::number(facts.duration)));
        QCOMPARE(readback::decodeErrors(file), QString());
        const QImage shot = screenshot("HEADLESS-1");
        QStringList wrong;
        for (double at : {0.0, 0.5, 5.0, 14.5}) {
            const QByteArray frame = readback::rgbFrameAt(file, at, kArea.width(), kArea.height());
            const double difference = meanDifference(frame, shot, kArea);
            if (difference >= 8)
                wrong << QStringLiteral("at %1 s: %2").arg(at).arg(difference);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ") + " " + run.out));
    }

    // The user closes the desktop's dialog: the tool says so and leaves no file.
    void cancelledChooserLeavesNoFile() {
        QVERIFY(choose(""));
        const QString file = path("cancelled.mp4");
        auto p = startRec(portalArgs(kArea, 2, file));
        const Run run = finish(*p);
        QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 1,
                 qPrintable(describe(run)));
        QVERIFY2(run.err.contains("cancelled"), qPrintable(run.err));
        QVERIFY(!QFile::exists(file));
    }

    // The desktop asks once; with the token it gave, a second recording needs no dialog, and
    // a token it cannot use makes it ask again rather than fail.
    void theDesktopAsksOnlyOnce() {
        const QString token = path("token");
        const int before = chooserCalls();
        auto first = startRec(portalArgs(kArea, 1, path("first.mp4"), token));
        Run run = finish(*first);
        QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
        QCOMPARE(chooserCalls(), before + 1);
        QVERIFY(!readAll(token).trimmed().isEmpty());

        auto second = startRec(portalArgs(kArea, 1, path("second.mp4"), token));
        run = finish(*second);
        QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
        QCOMPARE(chooserCalls(), before + 1);

        QVERIFY(writeAll(token, "no-such-token\n"));
        auto third = startRec(portalArgs(kArea, 1, path("third.mp4"), token));
        run = finish(*third);
        QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
        QCOMPARE(chooserCalls(), before + 2);
        QVERIFY(readback::probe(path("third.mp4")).readable);
    }

    // --output names the monitor to record among those shared: the one the chooser shares
    // records; one it did not share, or a name no monitor has, ends with a word of why and
    // no file (an unknown name before the desktop is even asked).
    void outputByName() {
        const QString second = QStringLiteral("HEADLESS-2");
        bool ok = false;
        if (!swaymsg({"-t", "get_outputs"}).contains(second.toUtf8())) {
            swaymsg({"create_output"}, &ok);
            QVERIFY(ok);
        }
        swaymsg({"output", second, "enable", "mode", "1280x720", "position", "1920", "0"}, &ok);
        QVERIFY(ok);
        auto off = qScopeGuard([&] { swaymsg({"output", second, "disable"}); });
        QVERIFY(QTest::qWaitFor([&] { return QGuiApplication::screens().size() == 2; }, 10000));

        const auto named = [&](const QString& output, const QString& file) {
            QStringList args = portalArgs(kArea, 1, file);
            args.insert(args.size() - 1, "--output");
            args.insert(args.size() - 1, output);
            return finish(*startRec(args));
        };
        const int before = chooserCalls();
        Run run = named("NO-SUCH-1", path("nosuch.mp4"));
        QVERIFY2(run.exitCode == 1 && run.err.contains("NO-SUCH-1") &&
                     run.err.contains("HEADLESS-1"),
                 qPrintable(describe(run)));
        QCOMPARE(chooserCalls(), before);
        QVERIFY(!QFile::exists(path("nosuch.mp4")));

        run = named(second, path("unshared.mp4"));
        QVERIFY2(run.exitCode == 1 && run.err.contains("did not share " + second),
                 qPrintable(describe(run)));
        QVERIFY(!QFile::exists(path("unshared.mp4")));

        QVERIFY(choose("HEADLESS-1"));
        blocks_->setBlinking(true);
        run = named("HEADLESS-1", path("named.mp4"));
        QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
        const readback::Stream v = readback::probe(path("named.mp4")).stream("video");
        QCOMPARE(QSize(v.width, v.height), kArea.size());
    }
};

QTEST_MAIN(WaylandRecordingTest)
#include "tst_wayland_recording.moc"
