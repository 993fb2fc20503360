#include "core/SystemError.h"

#include "core/Translate.h"

#include <QCoreApplication>
#include <QFileDevice>

#include <cerrno>
#include <cstring>

namespace SystemError {

namespace {

constexpr TranslationContext kTr{"SystemError"};

// The values phrase() has words of its own for; the others get the general phrase.
constexpr int kKnownCodes[] = {ENOENT, ENOTDIR,   EACCES,       EPERM,        ENOSPC,    EDQUOT,
                               EROFS,  EISDIR,    EEXIST,       ENAMETOOLONG, EMFILE,    ENFILE,
                               ENOMEM, EIO,       EBUSY,        EXDEV,        ENOTEMPTY, EFBIG,
                               ELOOP,  ETIMEDOUT, ECONNREFUSED, EAGAIN,       EINVAL};

// The errno value whose words Qt put in `text`, or 0. Qt writes strerror's words, except for
// a few it translates through its own catalogue in the context "QIODevice".
int codeOfText(const QString& text) {
    if (text.isEmpty())
        return 0;
    for (int code : kKnownCodes) {
        const QString system = systemText(code);
        if (text == system ||
            text == QCoreApplication::translate("QIODevice", system.toUtf8().constData()))
            return code;
    }
    return 0;
}

QString phraseOfKind(QFileDevice::FileError kind) {
    switch (kind) {
    case QFileDevice::ReadError:
        return kTr.tr("the file could not be read");
    case QFileDevice::WriteError:
        return kTr.tr("the file could not be written");
    case QFileDevice::ResourceError:
        return kTr.tr("the system ran out of room (disk space, memory or open files)");
    case QFileDevice::PermissionsError:
        return kTr.tr("permission denied");
    case QFileDevice::RemoveError:
        return kTr.tr("the file could not be removed");
    case QFileDevice::RenameError:
        return kTr.tr("the file could not be renamed");
    case QFileDevice::AbortError:
        return kTr.tr("the operation was cancelled");
    case QFileDevice::TimeOutError:
        return kTr.tr("it took too long");
    case QFileDevice::OpenError:
    default:
        return kTr.tr("the file could not be opened");
    }
}

} // namespace

QString phrase(int code) {
    switch (code) {
    case ENOENT:
        return kTr.tr("the file or folder does not exist");
    case ENOTDIR:
        return kTr.tr("a part of the path is not a folder");
    case EACCES:
    case EPERM:
        return kTr.tr("permission denied");
    case ENOSPC:
    case EDQUOT:
        return kTr.tr("the disk is full");
    case EROFS:
        return kTr.tr("the disk can only be read");
    case EISDIR:
        return kTr.tr("that is a folder");
    case EEXIST:
        return kTr.tr("it already exists");
    case ENAMETOOLONG:
        return kTr.tr("the name is too long");
    case EMFILE:
    case ENFILE:
        return kTr.tr("too many files are open");
    case ENOMEM:
        return kTr.tr("out of memory");
    case EIO:
        return kTr.tr("the disk could not be read or written");
    case EBUSY:
        return kTr.tr("it is in use");
    case EXDEV:
        return kTr.tr("it is on another disk");
    case ENOTEMPTY:
        return kTr.tr("the folder is not empty");
    case EFBIG:
        return kTr.tr("the file is too large");
    case ELOOP:
        return kTr.tr("the path goes round in a circle of links");
    case ETIMEDOUT:
        return kTr.tr("it took too long");
    case ECONNREFUSED:
        return kTr.tr("the connection was refused");
    case EAGAIN:
        return kTr.tr("it is busy for now");
    case EINVAL:
        return kTr.tr("a value was not accepted");
    default:
        return kTr.tr("the system refused (error %1)").arg(code);
    }
}

QString systemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QString withDetail(const QString& ours, const QString& detail) {
    if (detail.isEmpty() || detail == ours)
        return ours;
    return kTr.tr("%1 (details: %2)").arg(ours, detail);
}

QString describe(int code) {
    return withDetail(phrase(code), systemText(code));
}

QString phrase(const QFileDevice& file) {
    if (const int code = codeOfText(file.errorString()))
        return phrase(code);
    return phraseOfKind(file.error());
}

QString describe(const QFileDevice& file) {
    return withDetail(phrase(file), file.errorString());
}

} // namespace SystemError
