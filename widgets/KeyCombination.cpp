#include "widgets/KeyCombination.h"

#include <QMap>

#if __has_include(<X11/keysym.h>) && __has_include(<X11/XF86keysym.h>)
#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#define CLIPNEST_HAVE_KEYSYMS 1
#endif

namespace KeyCombination {

namespace {

#ifdef CLIPNEST_HAVE_KEYSYMS
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
#endif

// Keys that type, edit or move the cursor in every program.
bool typesOrMoves(int key) {
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return true;
    switch (key) {
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Menu:
        return true;
    default:
        return false;
    }
}

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

constexpr Qt::KeyboardModifiers kCombinationModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

quint32 keysymFor(Qt::Key key) {
#ifdef CLIPNEST_HAVE_KEYSYMS
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
#else
    Q_UNUSED(key);
    return 0;
#endif
}

Verdict judge(QKeyCombination combination) {
    const int key = int(combination.key());
    if (key == 0 || key == Qt::Key_unknown || isModifierKey(key) || keysymFor(Qt::Key(key)) == 0)
        return Verdict::Unsupported;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers() & kCombinationModifiers;
    if (typesOrMoves(key) && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return Verdict::NeedsModifier;
    return Verdict::Accepted;
}

X11Key toX11(QKeyCombination combination) {
    X11Key x;
    if (judge(combination) != Verdict::Accepted)
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

Input interpretPress(int key, Qt::KeyboardModifiers modifiers) {
    if (key == 0 || key == Qt::Key_unknown || isModifierKey(key))
        return Input::Wait;
    const Qt::KeyboardModifiers mods = modifiers & kCombinationModifiers;
    if (mods == Qt::NoModifier || (key == Qt::Key_Backtab && mods == Qt::ShiftModifier)) {
        switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return Input::PassOn;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return Input::Clear;
        default:
            break;
        }
    }
    return Input::Record;
}

QKeyCombination fromPress(int key, Qt::KeyboardModifiers modifiers) {
    return QKeyCombination(modifiers & kCombinationModifiers, Qt::Key(key));
}

QString toStored(const QKeySequence& combination) {
    return combination.toString(QKeySequence::PortableText);
}

QKeySequence fromStored(const QVariant& value, const QKeySequence& fallback, bool* broken) {
    if (broken)
        *broken = false;
    if (!value.isValid())
        return fallback;
    const auto fail = [&] {
        if (broken)
            *broken = true;
        return fallback;
    };
    // A list is what the settings file makes of a text with an unquoted comma.
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
        return fail();
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return QKeySequence();
    const QKeySequence parsed = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (parsed.count() != 1 || judge(parsed[0]) != Verdict::Accepted)
        return fail();
    return parsed;
}

QString displayText(const QKeySequence& combination) {
    return combination.toString(QKeySequence::NativeText);
}

} // namespace KeyCombination
