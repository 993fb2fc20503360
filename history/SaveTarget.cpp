#include "history/SaveTarget.h"

#include "core/Translate.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace SaveTarget {

namespace {

// The saver's context: these sentences end the same saves its other messages tell of.
constexpr TranslationContext kTr{"RecordingSaver"};

QString withExtension(const QString& path) {
    const QString dotted = QLatin1Char('.') + QLatin1String(kExtension);
    return path.endsWith(dotted, Qt::CaseInsensitive) ? path : path + dotted;
}

} // namespace

QString proposedFolder() {
    // Qt reads the XDG user directories and answers ~/Videos when none is set, whether or
    // not it exists; a dialog pointed at a missing folder silently opens somewhere else.
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (!videos.isEmpty() && QDir().mkpath(videos) && QFileInfo(videos).isWritable())
        return QDir::cleanPath(videos);
    return QDir::homePath();
}

QString folderFor(const QVariant& stored) {
    // A folder on a disk that is not mounted now, or a value written by hand, must not send the
    // dialog somewhere it cannot open: the default stands in until the folder is back.
    const QString folder = stored.toString().trimmed();
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir())
        return QDir::cleanPath(folder);
    return proposedFolder();
}

QString proposedPath(const QString& folder, const QDateTime& recorded) {
    const QString name =
        QStringLiteral("record-%1").arg(recorded.toString(QStringLiteral("hh.mm.ss[dd.MM.yyyy]")));
    return QDir(folder).filePath(withExtension(name));
}

QString resolve(const QString& chosen, const QString& folder) {
    if (chosen.isEmpty())
        return QString();
    QString path = chosen;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (QDir::isRelativePath(path))
        path = QDir(folder).filePath(path);
    // A name ending in a slash is a folder: left alone, the save says that it is one.
    const bool folderName = path.endsWith(QLatin1Char('/'));
    path = QDir::cleanPath(path);
    return folderName ? path : withExtension(path);
}

bool replacesUnasked(const QString& chosen, const QString& resolved) {
    if (QDir::cleanPath(chosen) == resolved)
        return false;
    const QFileInfo info(resolved);
    return info.exists() || info.isSymLink();
}

QString cannotWrite(const QString& target, int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return kTr.tr("Can not save the recording as %1: there is no such folder.").arg(target);
    case EACCES:
    case EPERM:
        return kTr.tr("Can not save the recording as %1: you may not write to that folder.")
            .arg(target);
    case EROFS:
        return kTr.tr("Can not save the recording as %1: that disk can only be read.").arg(target);
    case ENOSPC:
    case EDQUOT:
        return kTr.tr("Can not save the recording as %1: the disk is full.").arg(target);
    case EISDIR:
        return kTr.tr("Can not save the recording as %1: that is a folder.").arg(target);
    case ENAMETOOLONG:
        return kTr.tr("Can not save the recording as %1: the name is too long.").arg(target);
    default:
        return kTr.tr("Can not save the recording as %1.").arg(target);
    }
}

QString systemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace SaveTarget
