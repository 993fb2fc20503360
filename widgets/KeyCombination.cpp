#include "widgets/KeyCombination.h"

namespace KeyCombination {

namespace {

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

// The keys beyond printable ASCII and F1-F35 that every desktop's keyboard handling names:
// the editing and moving ones (Backtab is only Shift+Tab) and a few of their own.
bool isSpecialKey(int key) {
    if (key > Qt::Key_AsciiTilde && key != Qt::Key_Backtab && typesOrMoves(key))
        return true;
    switch (key) {
    case Qt::Key_Print:
    case Qt::Key_SysReq:
    case Qt::Key_Pause:
    case Qt::Key_ScrollLock:
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaStop:
    case Qt::Key_MediaPrevious:
    case Qt::Key_MediaNext:
    case Qt::Key_MediaRecord:
    case Qt::Key_MediaPause:
    case Qt::Key_Launch0:
    case Qt::Key_Launch1:
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

bool isNamedKey(Qt::Key key) {
    const int k = int(key);
    return (k >= Qt::Key_Space && k <= Qt::Key_AsciiTilde) ||
           (k >= Qt::Key_F1 && k <= Qt::Key_F35) || isSpecialKey(k);
}

Verdict judge(QKeyCombination combination) {
    const int key = int(combination.key());
    if (key == 0 || key == Qt::Key_unknown || isModifierKey(key) || !isNamedKey(Qt::Key(key)))
        return Verdict::Unsupported;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers() & kCombinationModifiers;
    if (typesOrMoves(key) && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return Verdict::NeedsModifier;
    return Verdict::Accepted;
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
