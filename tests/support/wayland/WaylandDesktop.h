#pragma once
// What the tests on the headless Wayland desktop (scripts/with-wayland-desktop.sh) share: a
// window of fixed coloured blocks to record, the compositor's own pixels to compare with,
// the desktop's output chooser, and sway's view of the windows and the pointer.
#include <QImage>
#include <QList>
#include <QRasterWindow>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace WaylandDesktop {

// Blocks of this size, each of its own colour: edges everywhere, so that a picture taken a
// few pixels off differs plainly, and flat insides, which the encoder keeps almost exactly.
constexpr int kBlock = 8;

// The whole output covered by fixed coloured blocks, and a corner (outside every area
// recorded) that can blink.
class BlocksWindow : public QRasterWindow {
public:
    BlocksWindow();
    // xdg-desktop-portal-wlr 0.7.0 sends a new cast nothing until something on the output
    // changes; a blinking corner gives it that change.
    void setBlinking(bool on);
    static constexpr QRect kCorner{0, 0, 16, 16};

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QTimer blink_;
    bool lit_ = false;
};

// Shows the blocks (full screen, or as the only tiled window, which leaves room for dialogs
// above it) and waits until the compositor has them on the output at `probe`.
bool showBlocks(BlocksWindow& window, const QRect& probe, bool fullScreen = true);
// Shows `window` (full screen, or as a tiled window) and waits until the output's pixels, as
// the compositor has them, pass `shown`.
bool showAndWait(QWindow& window, bool fullScreen, const std::function<bool(const QImage&)>& shown);

QString readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& content);

// Makes the desktop's output chooser answer `output` (empty: the user cancels).
bool choose(const QByteArray& output);
// How often the desktop's output chooser ran so far.
int chooserCalls();

// The output's exact pixels, as the compositor has them (RGB888).
QImage screenshot(const QString& output);
// The mean difference per colour channel between a decoded RGB frame and `area` of `image`.
double meanDifference(const QByteArray& frame, const QImage& image, const QRect& area);

// Whether `area` looks plainly different in the two pictures, as where a window or menu
// appeared; false where either picture lacks the area.
bool differ(const QImage& a, const QImage& b, const QRect& area);

// Whether a decoded RGB frame is `area` of `image` and not an area one pixel off in any
// direction: its difference there is below `bound` (what the encoder's losses leave), less
// than a pixel off, and far less than half a block off. *figures gets the differences for a
// message.
bool matchesExactly(const QByteArray& frame, const QImage& image, const QRect& area, double bound,
                    QString* figures);

// A window as sway has it: its title, the process that owns it, where it is (global logical
// coordinates), whether it is full screen and on which output.
struct Window {
    QString title;
    qint64 pid = 0;
    QRect rect;
    bool fullscreen = false;
    bool focused = false;
    QString output;
};
QList<Window> windows();
QList<Window> windowsTitled(const QString& title);

// A pointer device of the test's own (the desktop has none): moved to a global logical
// point, buttons pressed and released.
bool pointerTo(QPoint p);
bool pointerButton(int button, bool press);
// Presses and releases a button at `p`.
bool clickAt(QPoint p, int button = 1);
// A press at `from`, a few moves on the way, the release at `to`.
bool drag(QPoint from, QPoint to);
// Types keys (xkb names, e.g. "Tab", "Return", "Escape") into the focused window.
bool keys(const QStringList& names);

// swaymsg with `args`; its output, and ok false when it failed.
QByteArray swaymsg(const QStringList& args, bool* ok = nullptr);

} // namespace WaylandDesktop
