#pragma once

#include <QKeySequence>
#include <QObject>

namespace platform {

// One key combination delivered to the program wherever the keyboard focus is, for the
// whole session. Made by the Platform in force. GUI thread only.
class GlobalShortcut : public QObject {
    Q_OBJECT

public:
    enum class Result {
        Taken,         // in force now (or, for an empty combination, none is)
        HeldByOther,   // another program took it first
        NotOnKeyboard, // no key of this keyboard gives it, or no shortcut can be made of it
        NoDisplay,     // there is no display to ask
        KeptByDesktop, // the desktop gives programs no combinations (Wayland)
    };

    using QObject::QObject;

    // Takes `combination` in place of the one held so far; empty releases. When the new one
    // cannot be had, the old one stays in force.
    virtual Result take(const QKeySequence& combination) = 0;
    // The combination in force; empty when none.
    virtual QKeySequence combination() const = 0;
    // Whether the desktop keeps every combination for itself (take() can only release).
    virtual bool keptByDesktop() const { return false; }

    // While suspended the combination stays chosen but is not held, so that the user can
    // press it into another window (the shortcut dialog). take() still checks that a new one
    // could be had.
    virtual void setSuspended(bool suspended) = 0;

signals:
    void pressed();
    // The desktop refused or later dropped the combination; for the user.
    void refused(const QString& text);
    // keptByDesktop() changed, once the desktop has said whether it gives combinations.
    void keptByDesktopChanged();
};

} // namespace platform
