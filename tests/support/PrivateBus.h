#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own, so that tests can play a desktop service (a tray
// watcher, a portal) without touching any real one. It starts no service on demand: a call
// to a name nobody holds fails, as on a desktop without that service, instead of starting
// the machine's real one. Stopped with the object.
class PrivateBus {
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Starts the bus; false with *error when it does not come up.
    bool start(QString* error);
    QString address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};
