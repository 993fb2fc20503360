#include "platform/x11/X11Keys.h"

#include "widgets/KeyCombination.h"

#include <QMap>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace platform::x11 {

namespace {

const QMap<int, quint32>& specialKeys() {
    static const QMap<int, quint32> keys{
        {Qt::Key_Print, XK_Print},
        {Qt::Key_SysReq, XK_Sys_Req},
        {Qt::Key_Pause, XK_Pause},
        {Qt::Key_ScrollLock, XK_Scroll_Lock},
        {Qt::Key_Menu, XK_Menu},
        {Qt::Key_Insert, XK_Insert},
        {Qt::Key_Delete, XK_Delete},
        {Qt::Key_Home, XK_Home},
        {Qt::Key_End, XK_End},
        {Qt::Key_PageUp, XK_Page_Up},
        {Qt::Key_PageDown, XK_Page_Down},
        {Qt::Key_Left, XK_Left},
        {Qt::Key_Up, XK_Up},
        {Qt::Key_Right, XK_Right},
        {Qt::Key_Down, XK_Down},
        {Qt::Key_Escape, XK_Escape},
        {Qt::Key_Tab, XK_Tab},
        {Qt::Key_Backspace, XK_BackSpace},
        {Qt::Key_Return, XK_Return},
        {Qt::Key_Enter, XK_KP_Enter},
        {Qt::Key_MediaPlay, XF86XK_AudioPlay},
        {Qt::Key_MediaStop, XF86XK_AudioStop},
        {Qt::Key_MediaPrevious, XF86XK_AudioPrev},
        {Qt::Key_MediaNext, XF86XK_AudioNext},
        {Qt::Key_MediaRecord, XF86XK_AudioRecord},
        {Qt::Key_MediaPause, XF86XK_AudioPause},
        {Qt::Key_Launch0, XF86XK_Launch0},
        {Qt::Key_Launch1, XF86XK_Launch1},
    };
    return keys;
}

} // namespace

quint32 keysymFor(Qt::Key key) {
    const int k = int(key);
    // Letters by their lower-case symbol: the one a plain press of the key gives.
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return XK_a + quint32(k - Qt::Key_A);
    // The rest of printable ASCII: Qt's key codes are the keysyms.
    if (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde)
        return quint32(k);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F35)
        return XK_F1 + quint32(k - Qt::Key_F1);
    return specialKeys().value(k, 0);
}

X11Key toX11(QKeyCombination combination) {
    X11Key x;
    if (KeyCombination::judge(combination) != KeyCombination::Verdict::Accepted)
        return x;
    x.keysym = keysymFor(combination.key());
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ShiftModifier)
        x.modifiers |= kXShift;
    if (mods & Qt::ControlModifier)
        x.modifiers |= kXControl;
    if (mods & Qt::AltModifier)
        x.modifiers |= kXAlt;
    // Qt on X11 reports Super as Meta.
    if (mods & Qt::MetaModifier)
        x.modifiers |= kXSuper;
    return x;
}

} // namespace platform::x11
