#pragma once

#include "platform/GlobalShortcut.h"

#include <QAbstractNativeEventFilter>

namespace platform {

// A global shortcut on X11: the combination is grabbed on the root window(s) for the whole
// session. Without an X display (the offscreen platform of the tests) nothing can be
// grabbed.
//
// GUI thread only: create after the QGuiApplication exists.
class X11GlobalShortcut : public GlobalShortcut, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11GlobalShortcut(QObject* parent = nullptr);
    ~X11GlobalShortcut() override;

    Result take(const QKeySequence& combination) override;
    QKeySequence combination() const override { return combination_; }
    void setSuspended(bool suspended) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // Grabs keycode/modifiers on every root window. Returns the X error code of a refusal
    // (BadAccess: another client holds it), with nothing held; 0 when held.
    quint8 grab(quint8 keycode, quint16 modifiers);
    void ungrab(quint8 keycode, quint16 modifiers);

    QKeySequence combination_;
    bool held_ = false;
    bool suspended_ = false;
    quint8 keycode_ = 0;
    quint16 modifiers_ = 0;
};

} // namespace platform
