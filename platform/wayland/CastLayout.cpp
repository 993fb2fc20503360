#include "platform/wayland/CastLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform::wayland {
namespace {

bool logicalMatch(const CastStream& s, const QRect& geometry) {
    return s.hasPosition && s.hasSize && QRect(s.position, s.size) == geometry;
}

// Whether `pixels` is the monitor's logical size at one scale between 1 and Qt's ratio for it:
// Qt rounds a fractional scale's ratio up, so a 1.5 monitor's pixels are guessed too large.
// Within a pixel on each side, as the compositor rounds the logical size.
bool fractionalMatch(const QSize& pixels, const CastLayout::Monitor& monitor) {
    const QSize logical = monitor.geometry.size();
    if (logical.isEmpty() || pixels.isEmpty() || monitor.pixels.isEmpty())
        return false;
    const double scale = double(pixels.height()) / logical.height();
    const double most = double(monitor.pixels.height()) / logical.height();
    return scale > 1 && scale < most && std::abs(logical.width() * scale - pixels.width()) <= 1;
}

} // namespace

CastLayout::CastLayout(const QList<Monitor>& monitors, const QList<CastStream>& streams)
    : monitors_(monitors)
    , matches_(monitors.size()) {
    QList<bool> taken(streams.size(), false);
    auto take = [&](int m, int s) {
        matches_[m].stream = s;
        matches_[m].pixels = monitors_[m].pixels;
        taken[s] = true;
    };
    // Streams that say where they are.
    for (int m = 0; m < monitors_.size(); ++m)
        for (int s = 0; s < streams.size(); ++s)
            if (!taken[s] && logicalMatch(streams[s], monitors_[m].geometry)) {
                take(m, s);
                break;
            }
    // Streams that give only their size in pixels, monitors taken left to right.
    QList<int> order(monitors_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QRect& ga = monitors_[a].geometry;
        const QRect& gb = monitors_[b].geometry;
        return ga.x() != gb.x() ? ga.x() < gb.x() : ga.y() < gb.y();
    });
    for (int m : order) {
        if (matches_[m].stream >= 0)
            continue;
        for (int s = 0; s < streams.size(); ++s)
            if (!taken[s] && streams[s].hasSize && streams[s].size == monitors_[m].pixels) {
                take(m, s);
                break;
            }
    }
    for (int m : order) {
        if (matches_[m].stream >= 0)
            continue;
        for (int s = 0; s < streams.size(); ++s)
            if (!taken[s] && streams[s].hasSize && fractionalMatch(streams[s].size, monitors_[m])) {
                take(m, s);
                matches_[m].pixels = streams[s].size;
                break;
            }
    }
    QList<int> monitorsLeft, streamsLeft;
    for (int m : order)
        if (matches_[m].stream < 0)
            monitorsLeft << m;
    for (int s = 0; s < streams.size(); ++s)
        if (!taken[s])
            streamsLeft << s;
    if (monitorsLeft.size() == streamsLeft.size())
        for (int i = 0; i < monitorsLeft.size(); ++i)
            take(monitorsLeft[i], streamsLeft[i]);
}

int CastLayout::monitorOf(int stream) const {
    for (int m = 0; m < matches_.size(); ++m)
        if (matches_[m].stream == stream && stream >= 0)
            return m;
    return -1;
}

void CastLayout::setStreamPixels(int stream, const QSize& pixels) {
    const int m = monitorOf(stream);
    if (m >= 0 && !pixels.isEmpty())
        matches_[m].pixels = pixels;
}

QRect CastLayout::streamPixels(int monitor, const QRect& logical) const {
    if (monitor < 0 || monitor >= monitors_.size() || matches_[monitor].stream < 0)
        return QRect();
    const QRect& geometry = monitors_[monitor].geometry;
    const QSize& pixels = matches_[monitor].pixels;
    if (geometry.isEmpty() || pixels.isEmpty())
        return QRect();
    const QRect inside = logical.intersected(geometry).translated(-geometry.topLeft());
    if (inside.isEmpty())
        return QRect();
    const double sx = double(pixels.width()) / geometry.width();
    const double sy = double(pixels.height()) / geometry.height();
    // Outwards, so that nothing the user framed is cut; a hair of tolerance keeps an exact
    // product (1.5 x 10 = 15) from growing by a pixel through rounding error.
    const int left = int(std::floor(inside.x() * sx + 1e-6));
    const int top = int(std::floor(inside.y() * sy + 1e-6));
    const int right = int(std::ceil((inside.x() + inside.width()) * sx - 1e-6));
    const int bottom = int(std::ceil((inside.y() + inside.height()) * sy - 1e-6));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
        .intersected(QRect(QPoint(0, 0), pixels));
}

} // namespace platform::wayland
