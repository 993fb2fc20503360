#pragma once

#include "media/engine/PointerOverlay.h"

#include <QRect>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace engine {

// Follows what changes in an area of the X screen, so that only changed rows are grabbed:
// the DAMAGE extension reports where anything was drawn, XFixes the pointer's shape, the X
// Input extension (2.2) the clicks; the pointer's position is asked for at every look.
// Without DAMAGE every look reports the whole area as changed; without XFixes no pointer is
// drawn; without X Input no clicks are marked.
//
// Works on a connection it borrows (it must outlive the watcher) and is used only by the
// thread that uses that connection (the capture thread).
class X11ScreenWatcher {
public:
    struct Options {
        bool pointer = true;
        bool clicks = false;
    };
    X11ScreenWatcher(xcb_connection_t* connection, xcb_window_t root, const QRect& area,
                     Options options);
    ~X11ScreenWatcher();
    X11ScreenWatcher(const X11ScreenWatcher&) = delete;
    X11ScreenWatcher& operator=(const X11ScreenWatcher&) = delete;

    struct Look {
        // Rows of the area drawn on since the previous look (all of them at the first look and
        // after the screen changed its size).
        RowSpan damaged;
        // Whether the pointer's position, visibility or shape changed since the previous look.
        bool pointerChanged = false;
        // Clicks since the previous look, at the pointer's position (area coordinates).
        int clicks = 0;
    };
    // Takes the events that arrived and the pointer's state. GetImage requests sent after it
    // see everything it reports as changed.
    Look look();

    // The pointer as of the last look: its image and hot-spot position in area coordinates.
    bool pointerShown() const { return pointerShown_; }
    const PointerImage& pointerImage() const { return pointerImage_; }
    int pointerX() const { return pointerX_; }
    int pointerY() const { return pointerY_; }

private:
    void setUpDamage();
    void setUpPointer();
    void setUpClicks();
    RowSpan takeDamage();
    bool refreshPointerImage();

    xcb_connection_t* c_;
    xcb_window_t root_;
    QRect area_;
    Options options_;

    uint32_t damage_ = 0; // xcb_damage_damage_t; 0: DAMAGE is missing
    uint32_t region_ = 0; // xcb_xfixes_region_t receiving the damaged parts
    uint8_t damageEvent_ = 0;
    bool xfixes_ = false;
    uint8_t xfixesEvent_ = 0;
    uint8_t inputOpcode_ = 0; // 0: X Input 2.2 is missing
    bool first_ = true;

    bool pointerShown_ = false;
    bool shapeStale_ = true;
    PointerImage pointerImage_;
    int pointerX_ = 0;
    int pointerY_ = 0;
};

} // namespace engine
