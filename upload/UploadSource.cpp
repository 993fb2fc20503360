#include "upload/UploadSource.h"

#include <algorithm>

FileUploadSource::FileUploadSource(const QString& path)
    : file_(path) {}

std::unique_ptr<FileUploadSource> FileUploadSource::openComplete(const QString& path,
                                                                 QString* error) {
    std::unique_ptr<FileUploadSource> source(new FileUploadSource(path));
    if (!source->file_.open(QIODevice::ReadOnly)) {
        *error = source->file_.errorString();
        return nullptr;
    }
    source->durable_ = source->file_.size();
    source->complete_ = true;
    return source;
}

std::unique_ptr<FileUploadSource> FileUploadSource::openGrowing(const QString& path,
                                                                QString* error) {
    std::unique_ptr<FileUploadSource> source(new FileUploadSource(path));
    if (!source->file_.open(QIODevice::ReadOnly)) {
        *error = source->file_.errorString();
        return nullptr;
    }
    return source;
}

QByteArray FileUploadSource::read(qint64 offset, qint64 maxBytes, QString* error) {
    const qint64 wanted = std::clamp<qint64>(durable_ - offset, 0, maxBytes);
    if (offset < 0 || wanted == 0)
        return {};
    QByteArray data(qsizetype(wanted), Qt::Uninitialized);
    if (!file_.seek(offset) || file_.read(data.data(), wanted) != wanted) {
        // A file cut short behind the program's back reads less than it said it held.
        *error =
            file_.error() == QFile::NoError ? tr("the file became shorter") : file_.errorString();
        return {};
    }
    return data;
}

void FileUploadSource::setDurableBytes(qint64 bytes) {
    if (complete_ || bytes <= durable_)
        return;
    durable_ = bytes;
    emit advanced();
}

void FileUploadSource::finish(qint64 bytes) {
    if (complete_)
        return;
    durable_ = std::max(durable_, bytes);
    complete_ = true;
    emit advanced();
}
