#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVariant>

namespace platform::wayland {

// One stream of a screen cast, as the portal describes it in its answer to Start.
struct CastStream {
    quint32 node = 0; // the PipeWire node to read
    // Where the monitor sits on the desktop and how big it is, when the portal says so.
    // Desktops give logical units; some (xdg-desktop-portal-wlr before 0.7.1) give 0,0 and
    // the size in pixels instead, so callers must not trust these alone.
    bool hasPosition = false;
    QPoint position;
    bool hasSize = false;
    QSize size;
    uint sourceType = 0; // 1 monitor, 2 window, 4 virtual, as the portal numbers them
    QString id;          // the portal's stable name for the stream, when it has one
};

// Reads the "streams" entry of a Start answer (D-Bus type a(ua{sv})). An entry that is not
// of that shape, or a stream without a usable node, is left out, and *problem says so;
// what the portal sent is never trusted further than its declared type.
QList<CastStream> readCastStreams(const QVariant& streams, QString* problem);

} // namespace platform::wayland
