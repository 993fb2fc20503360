#pragma once

#include <QKeyCombination>

// What the X server calls the key and modifiers of a combination the user chose. Plain
// functions, no display needed.
namespace platform::x11 {

// The X server's modifier bits (X.h) for Shift, Control, Alt (Mod1) and Super (Mod4): the
// modifiers a combination is made of. Lock and Num Lock never take part.
constexpr quint16 kXShift = 1 << 0;
constexpr quint16 kXControl = 1 << 2;
constexpr quint16 kXAlt = 1 << 3;
constexpr quint16 kXSuper = 1 << 6;
constexpr quint16 kXCombinationMask = kXShift | kXControl | kXAlt | kXSuper;

struct X11Key {
    quint32 keysym = 0;
    quint16 modifiers = 0;
};

// The X keysym of a Qt key, or 0 when it has none here.
quint32 keysymFor(Qt::Key key);
// The keysym and X modifiers of a combination the user may choose; keysym 0 otherwise.
X11Key toX11(QKeyCombination combination);

} // namespace platform::x11
