#pragma once

#include <QSize>
#include <QString>

// The picture size of the first video stream of the file at `path`, read from its header;
// an empty size when the file cannot be read or holds no video. For recordings whose size
// is not known any more (kept from an earlier run): the upload service is told it.
//
// Threads: any thread. Reads only the header of an MP4 with its index in front; a file whose
// index is at its end (a recording being written) is read further, so keep it off the GUI
// thread for those.
QSize probeVideoSize(const QString& path);
