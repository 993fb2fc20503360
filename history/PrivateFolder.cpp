#include "history/PrivateFolder.h"

#include "core/SystemError.h"
#include "core/Translate.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFolder {

namespace {

constexpr TranslationContext kTr{"RecordingStore"};

QString systemError() {
    return SystemError::describe(errno);
}

// mkdir -p with mode 0700 for every folder it makes.
bool makePath(const QString& folder) {
    const QByteArray bytes = QFile::encodeName(folder);
    if (::mkdir(bytes.constData(), 0700) == 0 || errno == EEXIST)
        return true;
    if (errno != ENOENT)
        return false;
    const QString parent = QFileInfo(folder).path();
    if (parent == folder || !makePath(parent))
        return false;
    return ::mkdir(bytes.constData(), 0700) == 0 || errno == EEXIST;
}

} // namespace

QString ensure(const QString& folder) {
    if (!makePath(folder)) {
        return kTr.tr("Can not create the folder for recordings %1: %2").arg(folder, systemError());
    }
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
        return kTr.tr("Can not use the folder for recordings %1: %2").arg(folder, systemError());
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
        return kTr
            .tr("The folder for recordings %1 is not a private folder of yours. Remove it "
                "and try again.")
            .arg(folder);
    }
    return {};
}

QString clearNonFile(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(bytes.constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode) ? ::rmdir(bytes.constData()) != 0 : ::unlink(bytes.constData()) != 0) {
        return kTr.tr("Can not remove %1, which is in the way of the recording: %2")
            .arg(path, systemError());
    }
    return {};
}

} // namespace PrivateFolder
