#include "history/JsonFile.h"

#include "core/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace JsonFile {

ReadResult read(const QString& path) {
    ReadResult result;
    QFile file(path);
    result.exists = file.exists();
    if (!result.exists)
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = SystemError::describe(file);
        return result;
    }
    result.object = QJsonDocument::fromJson(file.read(kMaxBytes)).object();
    return result;
}

QString write(const QString& path, const QJsonObject& object) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return SystemError::describe(file);
    if (file.write(QJsonDocument(object).toJson()) < 0 || !file.flush())
        return SystemError::describe(file);
    // The data must be on the disk before the rename makes it the file: otherwise a crash
    // right after could leave an empty file under the old name.
    if (::fsync(file.handle()) != 0)
        return SystemError::describe(errno);
    if (!file.commit())
        return SystemError::describe(file);
    // And the rename itself reaches the disk only with the folder.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace JsonFile
