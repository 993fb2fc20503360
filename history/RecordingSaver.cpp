#include "history/RecordingSaver.h"

#include "core/Translate.h"
#include "history/SaveTarget.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace RecordingSave {

namespace {

constexpr TranslationContext kTr{"RecordingSaver"};

// Large enough that a gigabyte takes a few hundred system calls, small enough that progress
// moves smoothly and a cancel is noticed within a few milliseconds.
constexpr size_t kCopyBlockBytes = 4 * 1024 * 1024;

Result failure(const QString& message, const QString& detail = QString()) {
    return Result{false, message, detail, false};
}

// The system's words (English, or the system's language) stay apart from ours, as a detail.
Result cannotSave(const QString& target, int code) {
    return failure(SaveTarget::cannotWrite(target, code), SaveTarget::systemText(code));
}

Result cannotRead(const QString& source, int code) {
    return failure(kTr.tr("Can not read the recording %1.").arg(source),
                   SaveTarget::systemText(code));
}

// The mode a new file gets here: what the umask lets through of rw for everyone. Read from
// /proc, because umask() can only be read by changing it, which would race with other threads.
mode_t newFileMode() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return 0666 & ~mode_t(mask);
            }
        }
    }
    return 0644;
}

struct FdCloser {
    void operator()(const int* fd) const {
        if (*fd >= 0)
            ::close(*fd);
        delete fd;
    }
};
using Fd = std::unique_ptr<int, FdCloser>;
Fd makeFd(int fd) {
    return Fd(new int(fd));
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Copies `source` into a new file beside `target` and renames it over the target. The
// temporary file is removed again on any failure.
Result copyOver(const QString& source, const QString& target, mode_t mode, qint64 total,
                const Progress& progress, const std::atomic<bool>* cancel) {
    Fd in = makeFd(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (*in < 0)
        return cannotRead(source, errno);

    const QFileInfo info(target);
    QString temp;
    Fd out = makeFd(-1);
    for (int attempt = 0; attempt < 100 && *out < 0; ++attempt) {
        temp = info.absolutePath() +
               QStringLiteral("/.%1.part-%2")
                   .arg(info.fileName())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        *out = ::open(QFile::encodeName(temp).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (*out < 0 && errno != EEXIST)
            return cannotSave(target, errno);
    }
    if (*out < 0)
        return cannotSave(target, EEXIST);

    const QByteArray tempBytes = QFile::encodeName(temp);
    const auto abandon = [&](const Result& result) {
        ::unlink(tempBytes.constData());
        return result;
    };

    std::vector<char> buffer(kCopyBlockBytes);
    qint64 done = 0;
    for (;;) {
        if (cancel && cancel->load())
            return abandon(failure(kTr.tr("Saving to %1 was cancelled.").arg(target)));
        const ssize_t n = ::read(*in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(cannotRead(source, errno));
        }
        if (n == 0)
            break;
        if (!writeAll(*out, buffer.data(), size_t(n)))
            return abandon(cannotSave(target, errno));
        done += n;
        if (progress)
            progress(done, std::max(total, done));
    }
    // The data must be on disk before the name points at it, or a crash could leave an
    // empty file where the old target was.
    if (::fchmod(*out, mode) != 0 || ::fsync(*out) != 0)
        return abandon(cannotSave(target, errno));
    const int closeResult = ::close(*out);
    *out = -1;
    if (closeResult != 0)
        return abandon(cannotSave(target, errno));
    if (::rename(tempBytes.constData(), QFile::encodeName(target).constData()) != 0)
        return abandon(cannotSave(target, errno));

    Result result{true, QString(), QString(), false};
    if (::unlink(QFile::encodeName(source).constData()) != 0)
        result.sourceKept = true;
    return result;
}

} // namespace

Result moveRecording(const QString& source, const QString& target, const Progress& progress,
                     const std::atomic<bool>* cancel) {
    const QByteArray sourceBytes = QFile::encodeName(source);
    const QByteArray targetBytes = QFile::encodeName(target);
    struct stat src {};
    if (::lstat(sourceBytes.constData(), &src) != 0 || !S_ISREG(src.st_mode))
        return failure(kTr.tr("The recording %1 is not there any more.").arg(source));
    if (target.isEmpty())
        return cannotSave(target, ENOENT);

    mode_t mode = newFileMode();
    struct stat old {};
    if (::stat(targetBytes.constData(), &old) == 0) {
        if (old.st_dev == src.st_dev && old.st_ino == src.st_ino)
            return failure(kTr.tr("%1 is the recording itself.").arg(target));
        if (S_ISDIR(old.st_mode))
            return cannotSave(target, EISDIR);
        // A replaced file keeps the access the user gave it.
        if (S_ISREG(old.st_mode))
            mode = old.st_mode & 07777;
    }

    // Same file system: one rename moves the recording and replaces any old target at once.
    if (::rename(sourceBytes.constData(), targetBytes.constData()) == 0) {
        ::chmod(targetBytes.constData(), mode);
        if (progress)
            progress(src.st_size, src.st_size);
        return Result{true, QString(), QString(), false};
    }
    if (errno != EXDEV)
        return cannotSave(target, errno);
    return copyOver(source, target, mode, src.st_size, progress, cancel);
}

} // namespace RecordingSave

RecordingSaver::RecordingSaver(QObject* parent)
    : QObject(parent) {}

RecordingSaver::~RecordingSaver() {
    if (thread_) {
        cancel_->store(true);
        thread_->wait();
        delete thread_;
    }
}

bool RecordingSaver::start(const QString& source, const QString& target) {
    if (thread_)
        return false;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    auto flag = cancel_;
    // The worker reaches this object only through queued calls, which Qt drops once the
    // object is gone; the destructor waits for the thread anyway.
    thread_ = QThread::create([this, source, target, flag] {
        int lastPercent = -1;
        const auto progress = [this, &lastPercent](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(done * 100 / total) : 100;
            if (percent == lastPercent)
                return;
            lastPercent = percent;
            QMetaObject::invokeMethod(
                this, [this, percent] { emit progressChanged(percent); }, Qt::QueuedConnection);
        };
        const RecordingSave::Result result =
            RecordingSave::moveRecording(source, target, progress, flag.get());
        QMetaObject::invokeMethod(
            this, [this, source, target, result] { onThreadDone(source, target, result); },
            Qt::QueuedConnection);
    });
    thread_->start();
    return true;
}

void RecordingSaver::onThreadDone(const QString& source, const QString& target,
                                  const RecordingSave::Result& result) {
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    if (result.ok)
        emit finished(source, target, result.sourceKept);
    else
        emit failed(source, target, result.error, result.detail);
}
