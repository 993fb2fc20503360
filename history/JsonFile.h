#pragma once

#include <QJsonObject>
#include <QString>

// Reading and replacing the program's small JSON files. A file is replaced whole: the new
// text goes to a temporary file beside it, reaches the disk, and is renamed over the old
// one, so a crash or a full disk leaves either the old file or the new one, never a mix.
namespace JsonFile {

// A file bigger than this is not one of ours; reading on would only waste memory.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

struct ReadResult {
    QJsonObject object; // empty when the file is missing, unreadable or not a JSON object
    bool exists = false;
    QString error; // readable message when the file exists but could not be read
};
ReadResult read(const QString& path);

// Replaces `path` with `object`. Returns an empty string on success, else the reason (the
// old file is then unchanged).
QString write(const QString& path, const QJsonObject& object);

} // namespace JsonFile
