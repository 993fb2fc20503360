#pragma once

#include "tests/support/PrivateBus.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

// Time a started program or stream gets to become ready: far beyond what it takes on an idle
// machine, short enough that a broken installation fails the test rather than hanging it.
constexpr int kPipeWireReadyMs = 20000;

// A PipeWire of the test's own: pipewire and wireplumber (with the private message bus
// wireplumber insists on) on a private runtime folder, so that the test needs no desktop and
// no session, also as root.
class PrivatePipeWire {
public:
    PrivatePipeWire() = default;
    ~PrivatePipeWire();
    // Starts everything and waits (bounded) until the server takes connections; sets
    // XDG_RUNTIME_DIR of this process to the private folder. False with *why on failure.
    bool start(QString* why);
    // A new connection to the server, for handing to a consumer as a screen sharing's remote.
    int connectSocket() const;

private:
    bool startProcess(QProcess& process, const QString& program, const QStringList& arguments,
                      QString* why);
    QTemporaryDir runtime_;
    PrivateBus bus_; // stopped last, after the programs that use it
    QProcess server_;
    QProcess manager_;
};

// BGRx pixels of a whole width x height buffer, packed, a pattern different in every row and
// column (and for every seed).
std::vector<uint8_t> testPattern(int width, int height, uint8_t seed);

// The part `area` of packed BGRx pixels `width` wide, as packed BGR0: what a consumer should
// make of it.
std::vector<uint8_t> bgr0Area(const std::vector<uint8_t>& pixels, int width, const QRect& area);
