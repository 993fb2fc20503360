#pragma once

#include <QFile>
#include <QObject>
#include <QString>

#include <memory>

// The bytes a resumable upload sends, from the start of the video. A finished recording is all
// there at once; a recording still being written has a part that is safely on the disk
// (durableBytes()) and grows until it is complete. The upload only ever sends durable bytes,
// so what reaches the service is never a part the writer may still change.
//
// Threads: GUI thread only.
class UploadSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // How many bytes from the start may be sent now.
    virtual qint64 durableBytes() const = 0;
    // Whether durableBytes() is the video's final length.
    virtual bool isComplete() const = 0;
    // Up to `maxBytes` durable bytes from `offset`; empty with `error` set when they can not be
    // read.
    virtual QByteArray read(qint64 offset, qint64 maxBytes, QString* error) = 0;

signals:
    // More bytes became durable, or the video became complete.
    void advanced();
};

// A video file on the disk. Opened complete, its length is its size at opening; opened growing,
// the writer announces each durable length and the end.
class FileUploadSource : public UploadSource {
    Q_OBJECT
public:
    // Opens `path`; null with `error` set (in the system's words) when it can not be read.
    static std::unique_ptr<FileUploadSource> openComplete(const QString& path, QString* error);
    static std::unique_ptr<FileUploadSource> openGrowing(const QString& path, QString* error);

    qint64 durableBytes() const override { return durable_; }
    bool isComplete() const override { return complete_; }
    QByteArray read(qint64 offset, qint64 maxBytes, QString* error) override;

    // For a growing file: the bytes up to `bytes` are on the disk for good. Never shrinks.
    void setDurableBytes(qint64 bytes);
    // For a growing file: the video is whole at `bytes`.
    void finish(qint64 bytes);

private:
    explicit FileUploadSource(const QString& path);
    QFile file_;
    qint64 durable_ = 0;
    bool complete_ = false;
};
