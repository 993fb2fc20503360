#include "platform/x11/PanelStrips.h"

#include "platform/x11/Xcb.h"

#include <QScreen>

#include <cmath>
#include <cstring>
#include <vector>

namespace platform::x11::PanelStrips {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The CARDINAL values of a window's property, at most `count`.
std::vector<uint32_t> cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                uint32_t count) {
    if (property == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, count), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int n = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(values, values + n);
}

int toInt(uint32_t v) {
    // Values beyond any screen size are garbage from a broken client; ignore the strip.
    return v > 1u << 20 ? -1 : static_cast<int>(v);
}

} // namespace

Reading read() {
    Reading reading;
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return reading;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return reading;
    reading.root = QSize(screen->width_in_pixels, screen->height_in_pixels);

    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t strutPartial = atom(c, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t strut = atom(c, "_NET_WM_STRUT");
    if (clientList == XCB_ATOM_NONE)
        return reading;
    // A window list far longer than any desktop has is read in part, not refused.
    constexpr uint32_t kMaxWindows = 4096;
    Reply<xcb_get_property_reply_t> list(xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen->root, clientList, XCB_ATOM_WINDOW, 0, kMaxWindows),
        nullptr));
    if (!list || list->format != 32)
        return reading;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    const int count = xcb_get_property_value_length(list.get()) / 4;
    const int w = reading.root.width() - 1;
    const int h = reading.root.height() - 1;
    for (int i = 0; i < count; ++i) {
        std::vector<uint32_t> v = cardinals(c, windows[i], strutPartial, 12);
        if (v.size() < 12) {
            // The older property spans whole edges.
            const std::vector<uint32_t> whole = cardinals(c, windows[i], strut, 4);
            if (whole.size() < 4)
                continue;
            v = {whole[0], whole[1],    whole[2], whole[3],    0, uint32_t(h),
                 0,        uint32_t(h), 0,        uint32_t(w), 0, uint32_t(w)};
        }
        const Edge edges[] = {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom};
        for (int e = 0; e < 4; ++e) {
            const int width = toInt(v[e]);
            const int start = toInt(v[4 + 2 * e]);
            const int end = toInt(v[5 + 2 * e]);
            if (width > 0 && start >= 0 && end >= start)
                reading.strips.append({edges[e], width, start, end});
        }
    }
    return reading;
}

QRect availableGeometry(QScreen* screen) {
    if (!screen)
        return QRect();
    if (QGuiApplication::screens().size() < 2)
        return screen->availableGeometry();
    const Reading reading = read();
    if (reading.root.isEmpty())
        return screen->availableGeometry();
    // Under scaling a monitor keeps its X origin in Qt's coordinates but its size shrinks by
    // the ratio; the strips are in X pixels.
    const QRect logical = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    const QRect physical(logical.topLeft(),
                         QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
    const QRect free = availableFromStrips(physical, reading.root, reading.strips);
    const QPoint origin = logical.topLeft();
    const auto toLogical = [&](const QPoint& p) {
        return origin + QPoint(int(std::floor((p.x() - origin.x()) / ratio)),
                               int(std::floor((p.y() - origin.y()) / ratio)));
    };
    const QPoint topLeft = origin + QPoint(int(std::ceil((free.left() - origin.x()) / ratio)),
                                           int(std::ceil((free.top() - origin.y()) / ratio)));
    const QPoint bottomRight = toLogical(free.bottomRight() + QPoint(1, 1)) - QPoint(1, 1);
    return QRect(topLeft, bottomRight).intersected(logical);
}

} // namespace platform::x11::PanelStrips
