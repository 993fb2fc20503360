#include "capture/RecordingPath.h"
#include "media/Translate.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr TranslationContext kTr{"CropCtrl"};

RecordingPath failure(const QString& message) {
    return RecordingPath{QString(), message};
}

} // namespace

RecordingPath prepareRecordingPath(const QString& runtimeDir, const QString& tempDir) {
    const QString folder = !runtimeDir.isEmpty()
                               ? runtimeDir + QStringLiteral("/clipnest")
                               : QStringLiteral("%1/clipnest-%2").arg(tempDir).arg(getuid());
    const QByteArray folderBytes = QFile::encodeName(folder);

    if (::mkdir(folderBytes.constData(), 0700) != 0 && errno != EEXIST) {
        return failure(kTr.tr("Can not create the folder for the recording %1: %2")
                           .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat st {};
    if (::lstat(folderBytes.constData(), &st) != 0) {
        return failure(kTr.tr("Can not use the folder for the recording %1: %2")
                           .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
        return failure(kTr.tr("The folder for the recording %1 is not a private folder of yours. "
                              "Remove it and try again.")
                           .arg(folder));
    }

    const QString file = folder + QLatin1Char('/') + QLatin1String(kRecordingFileName);
    const QByteArray fileBytes = QFile::encodeName(file);
    if (::lstat(fileBytes.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // Only this user can enter the folder, so once this is gone nothing can replace it.
        if (S_ISDIR(st.st_mode) ? ::rmdir(fileBytes.constData()) != 0
                                : ::unlink(fileBytes.constData()) != 0) {
            return failure(kTr.tr("Can not remove %1, which is in the way of the recording: %2")
                               .arg(file, QString::fromLocal8Bit(std::strerror(errno))));
        }
    }
    return RecordingPath{file, QString()};
}

RecordingPath prepareRecordingPath() {
    return prepareRecordingPath(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

bool saveRecordingCopy(const QString& source, const QString& target) {
    // Large enough that a long recording copies in few reads, small enough not to hold the
    // whole video in memory.
    constexpr qint64 kChunkBytes = 1 << 20;
    QFile in(source);
    if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunkBytes);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    return in.error() == QFileDevice::NoError && out.commit();
}
