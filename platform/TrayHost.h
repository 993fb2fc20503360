#pragma once

#include <QObject>

namespace platform {

// Whether the desktop has a tray that shows the program's icon. Asking may take a round
// trip to another process, so the answer comes later, as answered(). Made by the Platform in
// force. GUI thread only.
class TrayHost : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks again; answered() follows, never from within this call. While a question is
    // under way a new one is not sent: its answer serves both.
    virtual void check() = 0;

signals:
    void answered(bool available);
};

} // namespace platform
