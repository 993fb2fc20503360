#include "tests/support/NoiseWindow.h"

#include <QColor>
#include <QPainter>
#include <QRandomGenerator>

namespace {

// New pictures at 25 a second, as fast as the recordings of the tests take them.
constexpr int kRepaintIntervalMs = 40;
// Blocks small enough that no two pictures compress alike.
constexpr int kBlock = 16;

} // namespace

NoiseWindow::NoiseWindow() {
    setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint);
    connect(&timer_, &QTimer::timeout, this, [this] { update(); });
    timer_.start(kRepaintIntervalMs);
}

void NoiseWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < height(); y += kBlock)
        for (int x = 0; x < width(); x += kBlock)
            p.fillRect(x, y, kBlock, kBlock, QColor::fromRgb(random->generate() | 0xff000000));
}
