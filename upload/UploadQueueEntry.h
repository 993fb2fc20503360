#pragma once

// The queue's own record of one job while this run holds it. Private to UploadQueue's files.
#include "upload/HttpUploader.h"
#include "upload/TusClient.h"
#include "upload/TusUpload.h"
#include "upload/UploadQueue.h"
#include "upload/UploadSource.h"

#include <QFile>
#include <QTimer>

#include <memory>

struct UploadQueue::Entry {
    QString filePath;
    // The next (or running) attempt is one the user asked for.
    bool userStarted = false;
    // Waiting for its turn rather than for the retry timer.
    bool due = true;
    // This attempt's resumable creation was answered "not here" (404/405): whatever the next
    // question says, the attempt goes on with multipart rather than ask round in a circle.
    bool resumableRefused = false;
    int lastPercent = -1;
    // At most one of these three runs: the protocol question, a multipart or a resumable upload.
    std::unique_ptr<TusClient> probe;
    std::unique_ptr<HttpUploader> uploader;
    std::unique_ptr<TusUpload> tus;
    // The recording, mapped rather than read: no copy of a large file in memory, and nothing
    // to wait for on the GUI thread.
    std::unique_ptr<QFile> file;
    // The resumable upload's bytes, read a chunk at a time.
    std::unique_ptr<FileUploadSource> source;
    QTimer retryTimer;

    bool running() const { return probe || uploader || tus; }
};
