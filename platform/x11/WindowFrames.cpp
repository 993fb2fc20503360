#include "platform/x11/WindowFrames.h"

#include "platform/x11/Xcb.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::x11 {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The ATOM or WINDOW values of a window's property, at most `count`.
std::vector<uint32_t> ids(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                          xcb_atom_t type, uint32_t count) {
    if (property == XCB_ATOM_NONE)
        return {};
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, count), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int n = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(values, values + n);
}

// The window manager reparents a client into its frame: the frame is the client's ancestor
// that is a child of the root. A client that is not reparented is its own frame.
xcb_window_t frameOf(xcb_connection_t* c, xcb_window_t client, xcb_window_t root) {
    // Frames nest a few levels at most; a deeper chain is a broken tree, not a frame.
    constexpr int kMaxDepth = 8;
    xcb_window_t w = client;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == root || tree->parent == XCB_WINDOW_NONE)
            return w;
        w = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

} // namespace

QVector<QRect> windowFrames(const QList<WId>& own) {
    xcb_connection_t* c = xcbConnection();
    if (!c)
        return {};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return {};
    const xcb_window_t root = screen->root;
    const xcb_atom_t stacking = atom(c, "_NET_CLIENT_LIST_STACKING");
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktop = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t hidden = atom(c, "_NET_WM_STATE_HIDDEN");
    // A window list far longer than any desktop has is read in part, not refused.
    constexpr uint32_t kMaxWindows = 4096;
    // Bottom to top.
    const std::vector<uint32_t> clients = ids(c, root, stacking, XCB_ATOM_WINDOW, kMaxWindows);

    QVector<QRect> frames;
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
        const xcb_window_t client = *it;
        if (own.contains(WId(client)))
            continue;
        // A desktop-type window (icons on the background) covers the monitor: a click there
        // means the monitor, which the overlay offers without it.
        constexpr uint32_t kFewAtoms = 32;
        const std::vector<uint32_t> types = ids(c, client, type, XCB_ATOM_ATOM, kFewAtoms);
        if (desktop != XCB_ATOM_NONE &&
            std::find(types.begin(), types.end(), desktop) != types.end())
            continue;
        const std::vector<uint32_t> states = ids(c, client, state, XCB_ATOM_ATOM, kFewAtoms);
        if (hidden != XCB_ATOM_NONE &&
            std::find(states.begin(), states.end(), hidden) != states.end())
            continue;
        const xcb_window_t frame = frameOf(c, client, root);
        if (frame == XCB_WINDOW_NONE || own.contains(WId(frame)))
            continue;
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, frame), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
        if (!geometry)
            continue;
        // A child of the root has its position in root coordinates; its border is outside
        // its size.
        const int border = geometry->border_width;
        frames.append(QRect(geometry->x, geometry->y, geometry->width + 2 * border,
                            geometry->height + 2 * border));
    }
    return frames;
}

} // namespace platform::x11
