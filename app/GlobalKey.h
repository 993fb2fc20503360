#pragma once

#include <QAbstractNativeEventFilter>
#include <QKeySequence>
#include <QObject>

// Delivers one key combination to the program wherever the keyboard focus is, by grabbing it
// on the X root window(s) for the whole session. Without an X display (the offscreen
// platform of the tests) nothing can be grabbed.
//
// GUI thread only: create after the QGuiApplication exists.
class GlobalKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    enum class Result {
        Taken,         // in force now (or, for an empty combination, none is)
        HeldByOther,   // another program grabbed it first
        NotOnKeyboard, // no key of this keyboard gives it, or no shortcut can be made of it
        NoDisplay,     // there is no X display to ask
    };

    explicit GlobalKey(QObject* parent = nullptr);
    ~GlobalKey() override;

    // Grabs `combination` in place of the one held so far; empty releases. When the new one
    // cannot be had, the old one stays in force.
    Result take(const QKeySequence& combination);
    // The combination in force; empty when none.
    QKeySequence combination() const { return combination_; }

    // While suspended the combination stays chosen but is not grabbed, so that the user can
    // press it into another window (the shortcut dialog). take() still checks that a new one
    // could be grabbed.
    void setSuspended(bool suspended);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void pressed();

private:
    // Grabs keycode/modifiers on every root window; false (and nothing held) when refused.
    bool grab(quint8 keycode, quint16 modifiers);
    void ungrab(quint8 keycode, quint16 modifiers);

    QKeySequence combination_;
    bool held_ = false;
    bool suspended_ = false;
    quint8 keycode_ = 0;
    quint16 modifiers_ = 0;
};
