#include "app/InstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The segment is never read or written; only its existence counts.
constexpr int kSegmentSize = 512;

QString sanitisedFileName(const QString& key) {
    QString name;
    for (const QChar c : key)
        name += (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
                    ? c
                    : QLatin1Char('_');
    return name;
}

} // namespace

void InstanceGuard::FdCloser::operator()(int* fd) const {
    if (fd) {
        // Closing the descriptor drops the flock.
        ::close(*fd);
        delete fd;
    }
}

InstanceGuard::InstanceGuard(const QString& guardKey, const QString& lockDirectory)
    : key_(guardKey) {
    QString dir = lockDirectory;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    lockPath_ = QDir(dir).filePath(sanitisedFileName(key_) + QStringLiteral(".lock"));
}

InstanceGuard::~InstanceGuard() {
    release();
}

bool InstanceGuard::acquire() {
    if (isHeld())
        return true;
    error_.clear();

    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a usable runtime folder fall back to the token alone: it still
        // keeps a second instance out, it just cannot tell a dead holder from a live one.
        qDebug() << "Cannot open the lock file" << lockPath_ << std::strerror(errno);
        auto memory = std::make_unique<QSharedMemory>(key_);
        if (!memory->create(kSegmentSize, QSharedMemory::ReadWrite)) {
            error_ = memory->error() == QSharedMemory::AlreadyExists
                         ? QStringLiteral("Another instance is running")
                         : QStringLiteral("Cannot set up the single-instance guard: %1")
                               .arg(memory->errorString());
            return false;
        }
        segment_ = std::move(memory);
        return true;
    }
    std::unique_ptr<int, FdCloser> fdOwner(new int(fd));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            error_ = QStringLiteral("Another instance is running");
        else
            error_ = QStringLiteral("Cannot lock %1: %2")
                         .arg(lockPath_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

    // We are alone now. A segment that still exists was left by an instance that
    // died without cleaning up: attaching and detaching it again removes it once
    // nobody is attached any more.
    lockFd_ = std::move(fdOwner);
    auto memory = std::make_unique<QSharedMemory>(key_);
    if (!memory->create(kSegmentSize, QSharedMemory::ReadWrite) &&
        memory->error() == QSharedMemory::AlreadyExists) {
        qDebug() << "Clearing a shared-memory segment left by an earlier run";
        if (memory->attach(QSharedMemory::ReadOnly))
            memory->detach();
        memory = std::make_unique<QSharedMemory>(key_);
        memory->create(kSegmentSize, QSharedMemory::ReadWrite);
    }
    if (memory->isAttached()) {
        segment_ = std::move(memory);
    } else {
        // The lock alone already proves we are the only instance of this user;
        // a segment we cannot make (another user's, for one) must not lock us out.
        qDebug() << "Running without the shared-memory token:" << memory->errorString();
    }
    return true;
}

bool InstanceGuard::ownsSegment() const {
    return segment_ != nullptr;
}

bool InstanceGuard::isHeld() const {
    return lockFd_ != nullptr || segment_ != nullptr;
}

QString InstanceGuard::errorString() const {
    return error_;
}

void InstanceGuard::release() {
    // Segment first: while the lock is still ours nobody can be creating one.
    segment_.reset();
    lockFd_.reset();
}
