#include "history/RecordingStore.h"

#include "core/Translate.h"
#include "history/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr TranslationContext kTr{"RecordingStore"};

const char* const kIndexFileName = "recordings.json";
const char* const kRecordingSuffix = ".mp4";
// Names repeat only when two recordings start within the same second; past this many the
// clock or the folder is broken and trying on would not help.
constexpr int kMaxNameAttempts = 1000;

struct StateName {
    RecordingState state;
    const char* name;
};
constexpr StateName kStateNames[] = {{RecordingState::Recording, "recording"},
                                     {RecordingState::NotUploaded, "not-uploaded"},
                                     {RecordingState::Queued, "queued"},
                                     {RecordingState::UploadFailed, "upload-failed"},
                                     {RecordingState::Recovered, "recovered"}};

bool isRegularFile(const QString& path, struct stat* st) {
    return ::lstat(QFile::encodeName(path).constData(), st) == 0 && S_ISREG(st->st_mode);
}

} // namespace

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

QString RecordingStore::pathOf(const QString& fileName) const {
    return folder_ + QLatin1Char('/') + fileName;
}

QString RecordingStore::nameOf(const QString& filePath) const {
    const QFileInfo info(filePath);
    if (QDir::cleanPath(info.absolutePath()) != folder_)
        return {};
    return info.fileName();
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
    leftovers_.clear();
    for (const Stored& s : std::as_const(entries_)) {
        if (s.state == RecordingState::Recording)
            leftovers_.append(pathOf(s.fileName));
    }
    open_ = true;
    return {};
}

void RecordingStore::readIndex() {
    entries_.clear();
    QFile file(indexPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonArray array =
        QJsonDocument::fromJson(file.read(16 * 1024 * 1024)).object().value("recordings").toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        Stored s;
        s.fileName = o.value("file").toString();
        // Only plain names inside the folder: a hand-edited index must not reach elsewhere.
        if (s.fileName.isEmpty() || s.fileName.contains(QLatin1Char('/')) ||
            s.fileName.startsWith(QLatin1Char('.')))
            continue;
        const auto state = stateFromName(o.value("state").toString());
        s.state = state.value_or(RecordingState::NotUploaded);
        s.created = QDateTime::fromString(o.value("created").toString(), Qt::ISODateWithMs);
        s.reason = o.value("reason").toString();
        s.shareTarget = o.value("share").toInt(-1);
        const bool duplicate =
            std::any_of(entries_.cbegin(), entries_.cend(),
                        [&](const Stored& e) { return e.fileName == s.fileName; });
        if (!duplicate)
            entries_.append(s);
    }
}

void RecordingStore::writeIndex() {
    QJsonArray array;
    for (const Stored& s : std::as_const(entries_)) {
        QJsonObject o;
        o.insert("file", s.fileName);
        o.insert("state", stateName(s.state));
        o.insert("created", s.created.toString(Qt::ISODateWithMs));
        if (!s.reason.isEmpty())
            o.insert("reason", s.reason);
        if (s.shareTarget >= 0)
            o.insert("share", s.shareTarget);
        array.append(o);
    }
    QJsonObject root;
    root.insert("recordings", array);
    QSaveFile file(indexPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 ||
        !file.commit()) {
        emit storeFailed(kTr.tr("What became of each recording could not be written to %1: %2")
                             .arg(indexPath(), file.errorString()));
    }
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
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
        }
        ::close(fd);
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                      [&](const Stored& s) { return s.fileName == name; }),
                       entries_.end());
        Stored s;
        s.fileName = name;
        s.created = now;
        s.state = RecordingState::Recording;
        entries_.append(s);
        writeIndex();
        emit changed();
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
    const QString name = nameOf(filePath);
    if (name.isEmpty())
        return;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Stored& s) { return s.fileName == name; });
    if (it == entries_.end()) {
        struct stat st {};
        if (!isRegularFile(filePath, &st))
            return;
        Stored s;
        s.fileName = name;
        s.created = QDateTime::fromSecsSinceEpoch(st.st_mtime);
        entries_.append(s);
        it = entries_.end() - 1;
    }
    it->state = state;
    it->reason = state == RecordingState::UploadFailed ? reason : QString();
    it->shareTarget = state == RecordingState::Queued ? shareTarget : -1;
    writeIndex();
    emit changed();
}

QList<RecordingEntry> RecordingStore::list() const {
    QList<RecordingEntry> result;
    const QStringList names =
        QDir(folder_).entryList({QStringLiteral("*") + QLatin1String(kRecordingSuffix)},
                                QDir::Files | QDir::System, QDir::Name);
    for (const QString& name : names) {
        struct stat st {};
        if (name.startsWith(QLatin1Char('.')) || !isRegularFile(pathOf(name), &st))
            continue;
        RecordingEntry e;
        e.filePath = pathOf(name);
        e.size = st.st_size;
        e.created = QDateTime::fromSecsSinceEpoch(st.st_mtime);
        const auto it = std::find_if(entries_.cbegin(), entries_.cend(),
                                     [&](const Stored& s) { return s.fileName == name; });
        if (it != entries_.cend()) {
            if (it->created.isValid())
                e.created = it->created;
            e.state = it->state;
            e.reason = it->reason;
            e.shareTarget = it->shareTarget;
        }
        result.append(e);
    }
    std::stable_sort(
        result.begin(), result.end(),
        [](const RecordingEntry& a, const RecordingEntry& b) { return a.created < b.created; });
    return result;
}

std::optional<RecordingEntry> RecordingStore::entry(const QString& filePath) const {
    const QString name = nameOf(filePath);
    if (name.isEmpty())
        return std::nullopt;
    for (const RecordingEntry& e : list()) {
        if (e.filePath == pathOf(name))
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
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    forget(path);
    return {};
}

void RecordingStore::forget(const QString& filePath) {
    const QString name = nameOf(filePath);
    const auto before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Stored& s) { return s.fileName == name; }),
                   entries_.end());
    if (entries_.size() != before)
        writeIndex();
    emit changed();
}
