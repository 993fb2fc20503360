#pragma once

#include "tests/support/PrivateBus.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

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

// A screen sharing as a compositor sends it: a PipeWire video source of 32-bit pictures in
// shared memory, with the picture's place in the buffer, the damage and the pointer described
// in each buffer.
class TestScreenStream {
public:
    // The byte order of the pixels sent.
    enum class Pixels { Bgrx, Rgbx };

    struct Pointer {
        bool news = false; // false: the buffer says nothing about the pointer
        int x = 0;
        int y = 0;
        int hotX = 0;
        int hotY = 0;
        int width = 0; // 0: hidden
        int height = 0;
        uint32_t rgba = 0; // one colour, premultiplied, red in the first byte
    };

    TestScreenStream(int width, int height, Pixels pixels = Pixels::Bgrx);
    ~TestScreenStream();
    // Connects and waits (bounded) until the node exists; false with *why on failure.
    bool start(QString* why);
    uint32_t node() const;
    // Sends `pixels` (in the stream's byte order, width x height, packed) as the next buffer, the
    // picture being `picture` of it; `damage` empty: no damage description. False when no buffer is
    // free (not yet streaming, or the consumer holds them all).
    bool send(const std::vector<uint8_t>& pixels, const QRect& picture,
              const std::vector<QRect>& damage, const Pointer& pointer);
    // Ends the stream as a desktop does when the user stops the sharing.
    void stop();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
