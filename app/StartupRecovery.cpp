#include "app/StartupRecovery.h"

#include "history/RecordingSaver.h"
#include "history/RecordingStore.h"
#include "media/RecordingRecovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The one file name under which earlier versions kept the recording in progress.
const char* const kOldRecordingFileName = "readyOrNot.mp4";

// A real directory (not a link) of this user that nobody else may enter: what the earlier
// versions made. A file elsewhere may have been put there by someone else.
bool isPrivateFolderOfOurs(const QString& folder) {
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

bool isRegularFile(const QString& path, struct stat* st) {
    return ::lstat(QFile::encodeName(path).constData(), st) == 0 && S_ISREG(st->st_mode);
}

} // namespace

StartupRecovery::StartupRecovery(RecordingStore* store, QObject* parent)
    : QObject(parent)
    , store_(store)
    , oldPaths_(oldRecordingPaths()) {}

StartupRecovery::~StartupRecovery() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

QStringList StartupRecovery::oldRecordingPaths(const QString& runtimeDir, const QString& tempDir) {
    QStringList paths;
    if (!runtimeDir.isEmpty())
        paths << runtimeDir + QStringLiteral("/clipnest/") + QLatin1String(kOldRecordingFileName);
    if (!tempDir.isEmpty()) {
        paths << QStringLiteral("%1/clipnest-%2/").arg(tempDir).arg(::getuid()) +
                     QLatin1String(kOldRecordingFileName);
    }
    return paths;
}

QStringList StartupRecovery::oldRecordingPaths() {
    return oldRecordingPaths(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

QStringList StartupRecovery::removeStaleTemporaries(const QString& folder) {
    // A finish or recovery writes ".<name>.finishing", a copy ".<name>.part-<8 hex digits>"
    // (see finishingPath() and the recording saver).
    static const QRegularExpression temporary(
        QStringLiteral("^\\..+\\.mp4\\.(finishing|part-[0-9a-f]{8})$"));
    QStringList removed;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat st {};
        if (!temporary.match(name).hasMatch() || !isRegularFile(path, &st))
            continue;
        if (::unlink(QFile::encodeName(path).constData()) == 0)
            removed << path;
    }
    return removed;
}

void StartupRecovery::start() {
    if (thread_)
        return;
    QList<Job> jobs;
    QStringList messages;
    if (store_->isOpen() || store_->open().isEmpty()) {
        removeStaleTemporaries(store_->folder());
        for (const QString& path : store_->leftovers())
            jobs.append(Job{QString(), path});

        for (const QString& oldPath : std::as_const(oldPaths_)) {
            struct stat st {};
            const QFileInfo info(oldPath);
            if (!isPrivateFolderOfOurs(info.absolutePath()))
                continue;
            // Killed while finishing: the recording itself is still there, untouched.
            const QString finishing = finishingPath(oldPath);
            if (isRegularFile(finishing, &st))
                ::unlink(QFile::encodeName(finishing).constData());
            // An empty file holds no recording: nothing to move.
            if (!isRegularFile(oldPath, &st) || st.st_uid != ::getuid() || st.st_size == 0)
                continue;
            // Named after when it was recorded, which is also the date its row shows.
            const RecordingStore::Reservation target =
                store_->reserve(QDateTime::fromSecsSinceEpoch(st.st_mtime));
            if (target.filePath.isEmpty()) {
                messages << tr("The recording %1 left by an earlier version of Clipnest could "
                               "not be moved to the recordings: %2")
                                .arg(oldPath, target.error);
                continue;
            }
            jobs.append(Job{oldPath, target.filePath});
        }
    }

    // Each file at most reads and rewrites itself once; one after another, so that the disk
    // is not asked for two at a time.
    thread_ = QThread::create([this, jobs, messages] {
        QList<Outcome> outcomes;
        for (const Job& job : jobs)
            outcomes.append(work(job));
        QMetaObject::invokeMethod(
            this,
            [this, outcomes, messages] {
                QList<Outcome> all = outcomes;
                for (const QString& message : messages)
                    all.append(Outcome{QString(), false, false, message});
                onWorkDone(all);
            },
            Qt::QueuedConnection);
    });
    thread_->start();
}

StartupRecovery::Outcome StartupRecovery::work(const Job& job) {
    Outcome outcome;
    outcome.filePath = job.filePath;
    if (!job.oldPath.isEmpty()) {
        // Replaces the empty file reserved for it; the old file goes only once the new one
        // is complete on the disk.
        const RecordingSave::Result moved = RecordingSave::moveRecording(job.oldPath, job.filePath);
        if (!moved.ok) {
            outcome.message =
                tr("The recording %1 left by an earlier version of Clipnest could "
                   "not be moved to the recordings: %2")
                    .arg(job.oldPath, moved.detail.isEmpty() ? moved.error
                                                             : QStringLiteral("%1 (%2)").arg(
                                                                   moved.error, moved.detail));
            return outcome;
        }
    }
    outcome.inPlace = true;
    const RecoveryReport report = recoverRecording(job.filePath);
    // A moved or rewritten file is a new file: the recordings are for this user's eyes only,
    // whatever the umask says.
    ::chmod(QFile::encodeName(job.filePath).constData(), 0600);
    switch (report.outcome) {
    case RecoveryReport::Finished:
    case RecoveryReport::AlreadyFinished:
        outcome.plays = true;
        break;
    case RecoveryReport::KeptAsItWas:
        outcome.plays = true;
        outcome.message = report.message;
        break;
    case RecoveryReport::Unplayable:
        outcome.message = tr("A recording cut short when Clipnest last ended could not be "
                             "recovered: %1 The file was kept; you can delete it in the history.")
                              .arg(report.message);
        break;
    }
    return outcome;
}

void StartupRecovery::onWorkDone(const QList<StartupRecovery::Outcome>& outcomes) {
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    int recovered = 0;
    QStringList messages;
    for (const Outcome& outcome : outcomes) {
        if (!outcome.filePath.isEmpty()) {
            if (outcome.inPlace) {
                store_->setState(outcome.filePath, RecordingState::Recovered);
                if (outcome.plays)
                    ++recovered;
            } else {
                // Only the empty file reserved for a move that failed: the old one is still
                // where it was.
                store_->remove(outcome.filePath);
            }
        }
        if (!outcome.message.isEmpty())
            messages << outcome.message;
    }
    emit finished(recovered, messages);
}
