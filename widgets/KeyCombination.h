#pragma once

#include <QKeySequence>
#include <QString>
#include <QVariant>

// Key combinations the user chooses for the program's global shortcuts: which ones may be
// chosen, how they are stored in the settings, and what the X server calls their key and
// modifiers. Plain functions, no window and no display needed.
namespace KeyCombination {

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

enum class Verdict {
    Accepted,
    // A key that types or moves the cursor: alone (or with Shift) it would be taken from
    // every program, so it needs Ctrl, Alt or Super.
    NeedsModifier,
    // No key the program can ask the X server for (a modifier alone, an unknown key).
    Unsupported,
};

// Whether `combination` (one key and its modifiers) can be a global shortcut.
Verdict judge(QKeyCombination combination);

// The X keysym of a Qt key, or 0 when it has none here.
quint32 keysymFor(Qt::Key key);
// The keysym and X modifiers of an accepted combination; keysym 0 otherwise.
X11Key toX11(QKeyCombination combination);

// What a key press means in the field where the user presses a new combination.
enum class Input {
    Wait,   // a modifier alone: the combination is not complete yet
    PassOn, // Tab, Return, Escape without modifiers: the dialog's own keys
    Clear,  // Backspace or Delete without modifiers: no combination
    Record, // a combination to judge and take
};
Input interpretPress(int key, Qt::KeyboardModifiers modifiers);
// The combination of a recorded press (the keypad flag dropped: the X grab does not know it).
QKeyCombination fromPress(int key, Qt::KeyboardModifiers modifiers);

// The settings text of a combination: Qt's portable text ("Ctrl+Alt+R"); empty for none.
QString toStored(const QKeySequence& combination);
// A stored value back: missing gives `fallback`; an empty text gives none (empty sequence);
// anything that is not exactly one accepted combination gives `fallback` and sets *broken.
QKeySequence fromStored(const QVariant& value, const QKeySequence& fallback,
                        bool* broken = nullptr);

// How the user reads a combination ("Ctrl+Alt+R").
QString displayText(const QKeySequence& combination);

} // namespace KeyCombination
