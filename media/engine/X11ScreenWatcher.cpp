#include "media/engine/X11ScreenWatcher.h"

#include <xcb/damage.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace engine {
namespace {

// xcb replies, errors and events are malloc'ed by xcb and released with free().
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using ReplyPtr = std::unique_ptr<T, FreeDeleter>;

// The first three buttons are clicks; the higher ones are the wheel, which is not marked.
constexpr uint32_t kLastClickButton = 3;

} // namespace

X11ScreenWatcher::X11ScreenWatcher(xcb_connection_t* connection, xcb_window_t root,
                                   const QRect& area, Options options)
    : c_(connection)
    , root_(root)
    , area_(area)
    , options_(options) {
    // XFixes comes first: the damaged parts are read through one of its regions.
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(c_, &xcb_xfixes_id);
    if (fixes && fixes->present) {
        ReplyPtr<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            c_, xcb_xfixes_query_version(c_, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        // Regions came with version 2, the cursor image with version 1.
        xfixes_ = version && version->major_version >= 2;
        xfixesEvent_ = fixes->first_event;
    }
    // A change of the screen's size is seen as a change of everything: the next grab then
    // finds out whether the area still fits.
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &events);
    setUpDamage();
    if (options_.pointer)
        setUpPointer();
    if (options_.clicks && options_.pointer)
        setUpClicks();
    xcb_flush(c_);
}

X11ScreenWatcher::~X11ScreenWatcher() {
    if (damage_)
        xcb_damage_destroy(c_, damage_);
    if (region_)
        xcb_xfixes_destroy_region(c_, region_);
    xcb_flush(c_);
}

void X11ScreenWatcher::setUpDamage() {
    if (!xfixes_)
        return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_damage_id);
    if (!ext || !ext->present)
        return;
    ReplyPtr<xcb_damage_query_version_reply_t> version(xcb_damage_query_version_reply(
        c_, xcb_damage_query_version(c_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    if (!version)
        return;
    region_ = xcb_generate_id(c_);
    xcb_xfixes_create_region(c_, region_, 0, nullptr);
    const uint32_t damage = xcb_generate_id(c_);
    // "Non-empty" reports once when something is drawn; the damage is then read and cleared
    // at the next look, so a busy screen costs one event per picture, not one per drawing.
    ReplyPtr<xcb_generic_error_t> error(xcb_request_check(
        c_, xcb_damage_create_checked(c_, damage, root_, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY)));
    if (error)
        return;
    damage_ = damage;
    damageEvent_ = ext->first_event;
}

void X11ScreenWatcher::setUpPointer() {
    if (!xfixes_)
        return;
    xcb_xfixes_select_cursor_input(c_, root_, XCB_XFIXES_CURSOR_NOTIFY_MASK_DISPLAY_CURSOR);
}

void X11ScreenWatcher::setUpClicks() {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c_, &xcb_input_id);
    if (!ext || !ext->present)
        return;
    // Raw events reach the root window whoever has the pointer grabbed: version 2.2.
    ReplyPtr<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c_, xcb_input_xi_query_version(c_, 2, 2), nullptr));
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 2))
        return;
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask;
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    ReplyPtr<xcb_generic_error_t> error(
        xcb_request_check(c_, xcb_input_xi_select_events_checked(c_, root_, 1, &mask.head)));
    if (!error)
        inputOpcode_ = ext->major_opcode;
}

RowSpan X11ScreenWatcher::takeDamage() {
    const RowSpan all{0, area_.height()};
    // The damage is cleared into the region before the pictures are grabbed: whatever is
    // drawn after this point raises a new event and is grabbed next time.
    xcb_damage_subtract(c_, damage_, XCB_NONE, region_);
    ReplyPtr<xcb_xfixes_fetch_region_reply_t> reply(
        xcb_xfixes_fetch_region_reply(c_, xcb_xfixes_fetch_region(c_, region_), nullptr));
    if (!reply)
        return all;
    const xcb_rectangle_t* rects = xcb_xfixes_fetch_region_rectangles(reply.get());
    const int count = xcb_xfixes_fetch_region_rectangles_length(reply.get());
    RowSpan rows;
    for (int i = 0; i < count; ++i) {
        const QRect r(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        const QRect inside = r.intersected(area_);
        if (inside.isEmpty())
            continue;
        rows = rows.united(RowSpan{inside.top() - area_.top(), inside.bottom() + 1 - area_.top()});
    }
    return rows;
}

bool X11ScreenWatcher::refreshPointerImage() {
    ReplyPtr<xcb_xfixes_get_cursor_image_reply_t> reply(
        xcb_xfixes_get_cursor_image_reply(c_, xcb_xfixes_get_cursor_image(c_), nullptr));
    if (!reply)
        return false;
    const int length = xcb_xfixes_get_cursor_image_cursor_image_length(reply.get());
    const uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
    PointerImage image;
    image.width = reply->width;
    image.height = reply->height;
    image.hotX = reply->xhot;
    image.hotY = reply->yhot;
    if (length < image.width * image.height)
        return false;
    image.argb.assign(pixels, pixels + size_t(image.width) * size_t(image.height));
    pointerImage_ = std::move(image);
    return true;
}

X11ScreenWatcher::Look X11ScreenWatcher::look() {
    Look look;
    bool damaged = false;
    bool resized = false;
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c_)) {
        ReplyPtr<xcb_generic_event_t> event(raw);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CONFIGURE_NOTIFY) {
            resized = true;
        } else if (damage_ && type == uint8_t(damageEvent_ + XCB_DAMAGE_NOTIFY)) {
            damaged = true;
        } else if (xfixes_ && type == uint8_t(xfixesEvent_ + XCB_XFIXES_CURSOR_NOTIFY)) {
            shapeStale_ = true;
        } else if (inputOpcode_ && type == XCB_GE_GENERIC) {
            const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(event.get());
            if (ge->extension == inputOpcode_ && ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
                const auto* press =
                    reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event.get());
                if (press->detail >= 1 && press->detail <= kLastClickButton)
                    ++look.clicks;
            }
        }
    }
    if (first_ || !damage_ || resized) {
        look.damaged = RowSpan{0, area_.height()};
        if (damage_)
            takeDamage(); // what was drawn before the first picture is in it anyway
    } else if (damaged) {
        look.damaged = takeDamage();
    }

    if (options_.pointer && xfixes_) {
        ReplyPtr<xcb_query_pointer_reply_t> where(
            xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), nullptr));
        const bool onScreen = where && where->same_screen;
        const int x = onScreen ? where->root_x - area_.x() : 0;
        const int y = onScreen ? where->root_y - area_.y() : 0;
        if (shapeStale_ && onScreen) {
            shapeStale_ = !refreshPointerImage();
            look.pointerChanged = true;
        }
        const bool shown = onScreen && pointerImage_.width > 0;
        if (shown != pointerShown_ || (shown && (x != pointerX_ || y != pointerY_)))
            look.pointerChanged = true;
        pointerShown_ = shown;
        pointerX_ = x;
        pointerY_ = y;
    }
    if (!pointerShown_)
        look.clicks = 0;
    first_ = false;
    return look;
}

} // namespace engine
