#pragma once

#include "media/MediaTypes.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

struct spa_buffer;
struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_registry;
struct pw_stream;

namespace engine {

struct PictureBytes;

// The desktop has already asked the user, so a stream only has to reach the compositor and
// back to agree on a format; a few seconds leave room for a busy machine without leaving the
// user waiting long for an error.
constexpr int kFormatWaitSeconds = 5;

// The message for a stream that agreed on no format within kFormatWaitSeconds.
QString noFormatText();

// Why a stream stopped, as the user is told.
struct StreamFailure {
    GrabberErrors::Error code;
    QString text;
};

// What a video stream reports, all on PipeWire's thread.
class StreamReceiver {
public:
    // The producer and this program agreed on a format (a SPA video format) and a size; also
    // when they agree anew while streaming.
    virtual void formatChosen(uint32_t spaFormat, QSize size) = 0;
    // The stream is linked and running: buffers flow from now on.
    virtual void streamStarted() = 0;
    // A buffer with a picture (`picture`, its bytes null when there is none) and/or pointer
    // news; read both before returning. Buffers the producer marks as broken do not come.
    virtual void bufferArrived(const spa_buffer& buffer, const PictureBytes& picture) = 0;
    // The stream broke or went away; nothing more will come.
    virtual void streamFailed(GrabberErrors::Error code, const QString& text) = 0;

protected:
    ~StreamReceiver() = default;
};

// A PipeWire connection on a remote's file descriptor with one video stream from a node,
// asking for 32-bit pictures in shared memory (or, from producers that have nothing else, in
// linear GPU buffers) with crop, damage and pointer descriptions.
// open() and close() on one thread (not PipeWire's); the receiver is called on PipeWire's
// own thread until close() returns.
class PipeWireConnection {
public:
    PipeWireConnection();
    ~PipeWireConnection();
    PipeWireConnection(const PipeWireConnection&) = delete;
    PipeWireConnection& operator=(const PipeWireConnection&) = delete;

    // Takes ownership of `fd`. `preferred` is the size to suggest to the producer; an empty
    // one leaves the size to it.
    bool open(int fd, uint32_t node, QSize preferred, StreamReceiver* receiver,
              GrabberErrors::Error* code, QString* errorText);
    // Stops PipeWire's thread and disconnects; the receiver is called no more.
    void close();

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace engine
