#include "history/RecordingStore.h"

#include "core/SystemError.h"
#include "core/Translate.h"
#include "history/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr TranslationContext kTr{"RecordingStore"};

const char* const kIndexFileName = "recordings.json";
const char* const kOldUploadsFileName = "uploads.json";
const char* const kRecordingSuffix = ".mp4";
// Names repeat only when two recordings start within the same second; past this many the
// clock or the folder is broken and trying on would not help.
constexpr int kMaxNameAttempts = 1000;

struct StateName {
    RecordingState state;
    const char* name;
};
constexpr StateName kStateNames[] = {
    {RecordingState::Recording, "recording"}, {RecordingState::NotUploaded, "not-uploaded"},
    {RecordingState::Queued, "queued"},       {RecordingState::UploadFailed, "upload-failed"},
    {RecordingState::Uploaded, "uploaded"},   {RecordingState::Recovered, "recovered"}};

bool isRegularFile(const QString& path, struct stat* st) {
    return ::lstat(QFile::encodeName(path).constData(), st) == 0 && S_ISREG(st->st_mode);
}

} // namespace

void RecordingStore::clearUpload(RecordingEntry& e) {
    e.url = QUrl();
    e.failedAttempts = 0;
    e.retryAt = QDateTime();
    e.uploading = false;
    e.link.clear();
    e.uploadedAt = QDateTime();
    e.linkTold = false;
    e.resumeAt = QUrl();
    e.resumeLink.clear();
    e.deleteUrl = QUrl();
    e.expires = QDateTime();
}

QString RecordingStore::defaultFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative values are invalid by the base-directory rules and must be ignored.
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/clipnest/recordings");
}

RecordingStore::RecordingStore(const QString& folder, QObject* parent)
    : QObject(parent)
    , folder_(QDir::cleanPath(folder)) {}

RecordingStore::~RecordingStore() = default;

QString RecordingStore::indexPath() const {
    return pathOf(QLatin1String(kIndexFileName));
}

QString RecordingStore::oldUploadsPath() const {
    return pathOf(QLatin1String(kOldUploadsFileName));
}

QString RecordingStore::pathOf(const QString& fileName) const {
    return folder_ + QLatin1Char('/') + fileName;
}

QString RecordingStore::nameOf(const QString& filePath) const {
    const QFileInfo info(filePath);
    if (QDir::cleanPath(info.absolutePath()) != folder_)
        return {};
    return info.fileName();
}

bool RecordingStore::isKept(const QString& filePath) const {
    return !nameOf(filePath).isEmpty();
}

QString RecordingStore::stateName(RecordingState state) {
    for (const StateName& s : kStateNames) {
        if (s.state == state)
            return QString::fromLatin1(s.name);
    }
    return {};
}

std::optional<RecordingState> RecordingStore::stateFromName(const QString& name) {
    for (const StateName& s : kStateNames) {
        if (name == QLatin1String(s.name))
            return s.state;
    }
    return std::nullopt;
}

QString RecordingStore::open() {
    open_ = false;
    const QString error = PrivateFolder::ensure(folder_);
    if (!error.isEmpty())
        return error;
    readIndex();
    scanFolder();
    // The old list goes only once what it said is in the index on the disk.
    if (takeOldUploads() && writeIndex())
        QFile::remove(oldUploadsPath());
    leftovers_.clear();
    for (const RecordingEntry& e : std::as_const(entries_)) {
        if (e.state == RecordingState::Recording)
            leftovers_.append(e.filePath);
    }
    open_ = true;
    return {};
}

void RecordingStore::refresh() {
    if (!open_)
        return;
    scanFolder();
    emit changed();
}

void RecordingStore::scanFolder() {
    QList<RecordingEntry> result;
    const QStringList names =
        QDir(folder_).entryList({QStringLiteral("*") + QLatin1String(kRecordingSuffix)},
                                QDir::Files | QDir::System, QDir::Name);
    QStringList present;
    for (const QString& name : names) {
        struct stat st {};
        if (name.startsWith(QLatin1Char('.')) || !isRegularFile(pathOf(name), &st))
            continue;
        present.append(name);
        RecordingEntry* e = find(pathOf(name));
        if (!e) {
            RecordingEntry adopted;
            adopted.filePath = pathOf(name);
            adopted.created = QDateTime::fromSecsSinceEpoch(st.st_mtime);
            entries_.append(adopted);
            e = &entries_.last();
        }
        if (!e->created.isValid())
            e->created = QDateTime::fromSecsSinceEpoch(st.st_mtime);
        e->size = st.st_size;
    }
    // A vanished recording is gone for good, unless it went up and its link is still to be
    // told (the index is its only record then); a file of the user's own stays as long as it
    // is there.
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const RecordingEntry& e) {
                                      const QString name = nameOf(e.filePath);
                                      if (name.isEmpty())
                                          return !QFileInfo::exists(e.filePath);
                                      const bool linkPending =
                                          e.state == RecordingState::Uploaded && !e.linkTold;
                                      return !linkPending && !present.contains(name);
                                  }),
                   entries_.end());
}

RecordingEntry* RecordingStore::find(const QString& filePath) {
    const QString path = QDir::cleanPath(filePath);
    for (RecordingEntry& e : entries_) {
        if (e.filePath == path)
            return &e;
    }
    return nullptr;
}

RecordingEntry* RecordingStore::findOrAdopt(const QString& filePath) {
    const QString name = nameOf(filePath);
    if (name.isEmpty())
        return find(filePath);
    struct stat st {};
    const bool there = isRegularFile(pathOf(name), &st);
    RecordingEntry* e = find(pathOf(name));
    if (!e && there) {
        RecordingEntry adopted;
        adopted.filePath = pathOf(name);
        adopted.created = QDateTime::fromSecsSinceEpoch(st.st_mtime);
        entries_.append(adopted);
        e = &entries_.last();
    }
    // A state change is when a recording has grown: the size is read once then, not at
    // every lookup.
    if (e && there)
        e->size = st.st_size;
    return e;
}

void RecordingStore::commit() {
    writeIndex();
    emit changed();
}

RecordingStore::Reservation RecordingStore::reserve(const QDateTime& now) {
    if (!open_) {
        const QString error = open();
        if (!error.isEmpty())
            return {QString(), error};
    }
    // The folder may have been removed or replaced since it was opened.
    const QString folderError = PrivateFolder::ensure(folder_);
    if (!folderError.isEmpty())
        return {QString(), folderError};

    const QString stem =
        QStringLiteral("clipnest-") + now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    for (int n = 1; n <= kMaxNameAttempts; ++n) {
        const QString name =
            (n == 1 ? stem : stem + QStringLiteral("-%1").arg(n)) + QLatin1String(kRecordingSuffix);
        const QString path = pathOf(name);
        // O_EXCL: an existing file (or link) of that name is never opened, let alone emptied.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {QString(), kTr.tr("Can not create the recording file %1: %2")
                                   .arg(path, SystemError::describe(errno))};
        }
        ::close(fd);
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                      [&](const RecordingEntry& e) { return e.filePath == path; }),
                       entries_.end());
        RecordingEntry e;
        e.filePath = path;
        e.created = now;
        e.state = RecordingState::Recording;
        entries_.append(e);
        commit();
        return {path, QString()};
    }
    return {QString(), kTr.tr("Can not find a free name for a new recording in %1.").arg(folder_)};
}

QStringList RecordingStore::leftovers() const {
    QStringList result;
    for (const QString& path : leftovers_) {
        const auto e = entry(path);
        if (e && e->state == RecordingState::Recording)
            result.append(path);
    }
    return result;
}

void RecordingStore::setState(const QString& filePath, RecordingState state, const QString& reason,
                              int shareTarget) {
    if (!isKept(filePath))
        return;
    RecordingEntry* e = findOrAdopt(filePath);
    if (!e)
        return;
    e->state = state;
    e->reason = state == RecordingState::UploadFailed ? reason : QString();
    e->shareTarget = state == RecordingState::Queued ? shareTarget : -1;
    clearUpload(*e);
    commit();
}

QList<RecordingEntry> RecordingStore::list() const {
    QList<RecordingEntry> result;
    for (const RecordingEntry& e : entries_) {
        if (isKept(e.filePath) && e.state != RecordingState::Uploaded)
            result.append(e);
    }
    std::stable_sort(
        result.begin(), result.end(),
        [](const RecordingEntry& a, const RecordingEntry& b) { return a.created < b.created; });
    return result;
}

QList<RecordingEntry> RecordingStore::kept() const {
    QList<RecordingEntry> result;
    for (const RecordingEntry& e : entries_) {
        if (isKept(e.filePath) && e.state != RecordingState::Recording)
            result.append(e);
    }
    std::stable_sort(
        result.begin(), result.end(),
        [](const RecordingEntry& a, const RecordingEntry& b) { return a.created < b.created; });
    return result;
}

std::optional<RecordingEntry> RecordingStore::keptUpload(const QDateTime& uploadedAt,
                                                         const QUrl& link) const {
    for (const RecordingEntry& e : entries_) {
        if (e.state == RecordingState::Uploaded && isKept(e.filePath) &&
            e.uploadedAt == uploadedAt && QUrl(e.link) == link)
            return e;
    }
    return std::nullopt;
}

std::optional<RecordingEntry> RecordingStore::entry(const QString& filePath) const {
    const QString path = QDir::cleanPath(filePath);
    for (const RecordingEntry& e : entries_) {
        if (e.filePath == path)
            return e;
    }
    return std::nullopt;
}

bool RecordingStore::contains(const QString& filePath) const {
    return entry(filePath).has_value();
}

QString RecordingStore::remove(const QString& filePath) {
    const QString name = nameOf(filePath);
    if (name.isEmpty())
        return kTr.tr("%1 is not one of the recordings in %2.").arg(filePath, folder_);
    const QString path = pathOf(name);
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
        return kTr.tr("Can not delete the recording %1: %2")
            .arg(path, SystemError::describe(errno));
    }
    forget(path);
    return {};
}

void RecordingStore::forget(const QString& filePath) {
    const QString path = QDir::cleanPath(filePath);
    const auto before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const RecordingEntry& e) { return e.filePath == path; }),
                   entries_.end());
    if (entries_.size() != before)
        writeIndex();
    emit changed();
}
