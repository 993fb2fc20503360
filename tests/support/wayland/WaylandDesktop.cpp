#include "tests/support/wayland/WaylandDesktop.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace WaylandDesktop {

BlocksWindow::BlocksWindow() {
    blink_.setInterval(100);
    connect(&blink_, &QTimer::timeout, this, [this] {
        lit_ = !lit_;
        update(kCorner);
    });
}

void BlocksWindow::setBlinking(bool on) {
    on ? blink_.start() : blink_.stop();
}

void BlocksWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRandomGenerator colours(20261209);
    for (int y = 0; y < height(); y += kBlock)
        for (int x = 0; x < width(); x += kBlock)
            p.fillRect(x, y, kBlock, kBlock, QColor::fromRgb(colours.generate() | 0xff000000));
    p.fillRect(kCorner, lit_ ? Qt::white : Qt::black);
}

bool showBlocks(BlocksWindow& window, const QRect& probe, bool fullScreen) {
    const QPoint a(probe.x() + kBlock / 2, probe.y() + kBlock / 2);
    return showAndWait(window, fullScreen, [a](const QImage& shot) {
        return shot.pixel(a) != shot.pixel(a + QPoint(kBlock, 0));
    });
}

bool showAndWait(QWindow& window, bool fullScreen,
                 const std::function<bool(const QImage&)>& shown) {
    if (fullScreen)
        window.showFullScreen();
    else
        window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    return QTest::qWaitFor(
        [&] {
            const QImage shot = screenshot(QStringLiteral("HEADLESS-1"));
            return !shot.isNull() && shown(shot);
        },
        20000);
}

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool writeAll(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

bool choose(const QByteArray& output) {
    return writeAll(qEnvironmentVariable("CLIPNEST_TEST_CHOOSER"), output + "\n");
}

int chooserCalls() {
    return int(readAll(qEnvironmentVariable("CLIPNEST_TEST_CHOOSER_CALLS"))
                   .split('\n', Qt::SkipEmptyParts)
                   .size());
}

QImage screenshot(const QString& output) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("shot.png"));
    QProcess grim;
    grim.start(QStringLiteral("grim"), {QStringLiteral("-o"), output, png});
    if (!grim.waitForFinished(30000) || grim.exitCode() != 0)
        return QImage();
    return QImage(png).convertToFormat(QImage::Format_RGB888);
}

double meanDifference(const QByteArray& frame, const QImage& image, const QRect& area) {
    if (frame.size() != qsizetype(area.width()) * area.height() * 3 || !image.rect().contains(area))
        return 1e9;
    double sum = 0;
    for (int y = 0; y < area.height(); ++y) {
        const uchar* row = image.constScanLine(area.y() + y) + area.x() * 3;
        const uchar* got = reinterpret_cast<const uchar*>(frame.constData()) + y * area.width() * 3;
        for (int i = 0; i < area.width() * 3; ++i)
            sum += std::abs(int(row[i]) - int(got[i]));
    }
    return sum / (double(area.width()) * area.height() * 3);
}

bool differ(const QImage& a, const QImage& b, const QRect& area) {
    if (a.isNull() || b.isNull() || !a.rect().contains(area) || !b.rect().contains(area))
        return false;
    const QImage part = b.copy(area).convertToFormat(QImage::Format_RGB888);
    QByteArray rows;
    for (int y = 0; y < part.height(); ++y)
        rows.append(reinterpret_cast<const char*>(part.constScanLine(y)), part.width() * 3);
    // Encoding and dimming noise stays below a level or two; a menu's face against the
    // dimmed picture is tens of levels away.
    return meanDifference(rows, a.convertToFormat(QImage::Format_RGB888), area) > 8;
}

bool matchesExactly(const QByteArray& frame, const QImage& image, const QRect& area, double bound,
                    QString* figures) {
    const double here = meanDifference(frame, image, area);
    *figures = QStringLiteral("here %1").arg(here);
    // A pixel off, an eighth of the blocks' pixels land on another block, which the encoder's
    // blur of the edges partly hides; half a block off, half of them do, which nothing hides.
    bool least = here < bound;
    for (const QPoint off : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        const double there = meanDifference(frame, image, area.translated(off));
        *figures += QStringLiteral(", at %1,%2: %3").arg(off.x()).arg(off.y()).arg(there);
        least = least && there > here;
    }
    for (const QPoint off : {QPoint(kBlock / 2, 0), QPoint(0, kBlock / 2)}) {
        const double there = meanDifference(frame, image, area.translated(off));
        *figures += QStringLiteral(", at %1,%2: %3").arg(off.x()).arg(off.y()).arg(there);
        least = least && there > 2.5 * here;
    }
    return least;
}

QByteArray swaymsg(const QStringList& args, bool* ok) {
    QProcess p;
    p.start(QStringLiteral("swaymsg"), args);
    const bool done =
        p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    if (!done)
        qWarning() << "swaymsg" << args << "failed:" << p.readAllStandardError()
                   << p.readAllStandardOutput();
    return p.readAllStandardOutput();
}

namespace {

void collect(const QJsonObject& node, const QString& output, QList<Window>& out) {
    const QString type = node.value(QStringLiteral("type")).toString();
    const QString here =
        type == QLatin1String("output") ? node.value(QStringLiteral("name")).toString() : output;
    if ((type == QLatin1String("con") || type == QLatin1String("floating_con")) &&
        node.contains(QStringLiteral("pid"))) {
        const QJsonObject r = node.value(QStringLiteral("rect")).toObject();
        Window w;
        w.title = node.value(QStringLiteral("name")).toString();
        w.pid = node.value(QStringLiteral("pid")).toInteger();
        w.rect = QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                       r.value(QStringLiteral("width")).toInt(),
                       r.value(QStringLiteral("height")).toInt());
        w.fullscreen = node.value(QStringLiteral("fullscreen_mode")).toInt() != 0;
        w.focused = node.value(QStringLiteral("focused")).toBool();
        w.output = here;
        out.append(w);
    }
    for (const char* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
            collect(child.toObject(), here, out);
}

} // namespace

QList<Window> windows() {
    QList<Window> out;
    const QByteArray tree = swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")});
    collect(QJsonDocument::fromJson(tree).object(), QString(), out);
    return out;
}

QList<Window> windowsTitled(const QString& title) {
    QList<Window> out;
    for (const Window& w : windows()) {
        if (w.title == title)
            out.append(w);
    }
    return out;
}

namespace {

// The desktop's pointer device: one process for the whole test, so that a button pressed
// stays pressed between commands.
QProcess* pointerProcess() {
    static QProcess* process = nullptr;
    if (process && process->state() == QProcess::Running)
        return process;
    delete process;
    process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(CLIPNEST_VIRTUAL_POINTER), QStringList());
    while (process->waitForReadyRead(10000)) {
        if (process->canReadLine() && process->readLine().trimmed() == "ready")
            return process;
    }
    qWarning() << "the virtual pointer did not start";
    return nullptr;
}

bool sendPointer(const QString& command) {
    QProcess* process = pointerProcess();
    if (!process)
        return false;
    process->write(command.toUtf8() + '\n');
    while (process->canReadLine() || process->waitForReadyRead(10000)) {
        if (!process->canReadLine())
            continue;
        const QByteArray answer = process->readLine().trimmed();
        if (answer == "ok")
            return true;
        qWarning() << "virtual pointer:" << command << answer;
        return false;
    }
    return false;
}

// The box around every active output, in logical units: what absolute pointer motion spans.
QRect layoutBox() {
    QRect box;
    const QByteArray outputs = swaymsg({QStringLiteral("-t"), QStringLiteral("get_outputs")});
    for (const QJsonValue& v : QJsonDocument::fromJson(outputs).array()) {
        const QJsonObject o = v.toObject();
        if (!o.value(QStringLiteral("active")).toBool())
            continue;
        const QJsonObject r = o.value(QStringLiteral("rect")).toObject();
        box |= QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                     r.value(QStringLiteral("width")).toInt(),
                     r.value(QStringLiteral("height")).toInt());
    }
    return box;
}

} // namespace

bool pointerTo(QPoint p) {
    const QRect box = layoutBox();
    if (box.isEmpty() || !box.contains(p))
        return false;
    return sendPointer(QStringLiteral("move %1 %2 %3 %4")
                           .arg(p.x() - box.x())
                           .arg(p.y() - box.y())
                           .arg(box.width())
                           .arg(box.height()));
}

bool pointerButton(int button, bool press) {
    return sendPointer(QStringLiteral("%1 %2")
                           .arg(press ? QStringLiteral("press") : QStringLiteral("release"))
                           .arg(button));
}

bool clickAt(QPoint p, int button) {
    return pointerTo(p) && pointerButton(button, true) && pointerButton(button, false);
}

bool drag(QPoint from, QPoint to) {
    if (!pointerTo(from) || !pointerButton(1, true))
        return false;
    constexpr int kSteps = 5;
    for (int i = 1; i <= kSteps; ++i) {
        QTest::qWait(20);
        if (!pointerTo(from + (to - from) * i / kSteps))
            return false;
    }
    return pointerButton(1, false);
}

bool keys(const QStringList& names) {
    // wtype brings a keymap of its own each time, its keys numbered in the order typed; the
    // first key may reach the window before the keymap does and be read with the old one
    // (space arrives as Escape). A Shift first is the first key of every keymap here, so
    // that whichever keymap reads it, it is a Shift.
    QStringList args{QStringLiteral("-s"), QStringLiteral("200"), QStringLiteral("-k"),
                     QStringLiteral("Shift_L")};
    for (const QString& name : names)
        args << QStringLiteral("-k") << name;
    QProcess p;
    p.start(QStringLiteral("wtype"), args);
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

} // namespace WaylandDesktop
