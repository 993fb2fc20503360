#pragma once

// A folder nobody may create files in, holding the given files, for tests of failing saves.
// A mode of 0555 is enough for an ordinary user. Root writes through modes, so there the
// folder is made immutable (ext4, btrfs, xfs) or, where that is not supported, a small
// read-only tmpfs is mounted on it. isValid() is false when nothing worked.
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class UnwritableFolder {
public:
    UnwritableFolder(const QString& path, const QMap<QString, QByteArray>& files)
        : path_(path) {
        QDir().mkpath(path_);
        if (!writeFiles(files))
            return;
        ::chmod(encoded(), 0555);
        if (probe())
            return;
        if (setImmutable(true)) {
            immutable_ = true;
            if (probe())
                return;
        }
        ::chmod(encoded(), 0755);
        if (::mount("clipnest-test", encoded(), "tmpfs", 0, "size=1m,mode=0755") != 0)
            return;
        mounted_ = true;
        if (writeFiles(files) &&
            ::mount("clipnest-test", encoded(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0)
            probe();
    }
    ~UnwritableFolder() {
        if (mounted_)
            ::umount2(encoded(), MNT_DETACH);
        if (immutable_)
            setImmutable(false);
        ::chmod(encoded(), 0755);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool isValid() const { return valid_; }
    QString path() const { return path_; }

private:
    const char* encoded() {
        bytes_ = QFile::encodeName(path_);
        return bytes_.constData();
    }
    bool writeFiles(const QMap<QString, QByteArray>& files) {
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QFile f(path_ + QLatin1Char('/') + it.key());
            if (!f.open(QIODevice::WriteOnly) || f.write(it.value()) != it.value().size())
                return false;
        }
        return true;
    }
    // True when nobody can write here: creating a file fails.
    bool probe() {
        const QByteArray name = QFile::encodeName(path_ + QStringLiteral("/.probe"));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return valid_ = true;
        ::close(fd);
        ::unlink(name.constData());
        return valid_ = false;
    }
    bool setImmutable(bool on) {
        const int fd = ::open(encoded(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    QString path_;
    QByteArray bytes_;
    bool valid_ = false;
    bool immutable_ = false;
    bool mounted_ = false;
};
