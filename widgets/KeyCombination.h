#pragma once

#include <QKeySequence>
#include <QString>
#include <QVariant>

// Key combinations the user chooses for the program's global shortcuts: which ones may be
// chosen, how they are stored in the settings and which keys can be named to the desktop.
// Plain functions, no window and no display needed.
namespace KeyCombination {

enum class Verdict {
    Accepted,
    // A key that types or moves the cursor: alone (or with Shift) it would be taken from
    // every program, so it needs Ctrl, Alt or Super.
    NeedsModifier,
    // No key the program can name to the desktop (a modifier alone, an unknown key).
    Unsupported,
};

// Whether `combination` (one key and its modifiers) can be a global shortcut.
Verdict judge(QKeyCombination combination);

// Whether the program can name `key` to the desktop's shortcut handling: printable ASCII,
// F1-F35, and the navigation, editing and media keys every keyboard layout knows.
bool isNamedKey(Qt::Key key);

// What a key press means in the field where the user presses a new combination.
enum class Input {
    Wait,   // a modifier alone: the combination is not complete yet
    PassOn, // Tab, Return, Escape without modifiers: the dialog's own keys
    Clear,  // Backspace or Delete without modifiers: no combination
    Record, // a combination to judge and take
};
Input interpretPress(int key, Qt::KeyboardModifiers modifiers);
// The combination of a recorded press (the keypad flag dropped: desktops' key grabs do not know
// it).
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
