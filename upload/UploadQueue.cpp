#include "upload/UploadQueue.h"

#include "core/Translate.h"
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>

namespace {
// The unacceptable-answer text is the one the user already knows from the upload box.
constexpr TranslationContext kTr{"UploadQueue"};
// A store bigger than this is not one of ours; reading on would only waste memory.
constexpr qint64 kMaxStoreBytes = 4 * 1024 * 1024;
} // namespace

struct UploadQueue::Entry {
    UploadJob job;
    // The next (or running) attempt is one the user asked for.
    bool userStarted = false;
    // Waiting for its turn rather than for the retry timer.
    bool due = true;
    std::unique_ptr<HttpUploader> uploader;
    // The recording, mapped rather than read: no copy of a large file in memory, and nothing
    // to wait for on the GUI thread.
    std::unique_ptr<QFile> file;
    QTimer retryTimer;
};

UploadQueue::UploadQueue(const QString& storePath, QObject* parent)
    : QObject(parent)
    , storePath_(storePath) {}

UploadQueue::~UploadQueue() {
    // Abandon running requests silently; the store keeps them for the next start.
    for (auto& e : entries_)
        e->uploader.reset();
}

UploadQueue::Entry* UploadQueue::find(const QString& filePath) const {
    for (const auto& e : entries_) {
        if (e->job.filePath == filePath)
            return e.get();
    }
    return nullptr;
}

bool UploadQueue::contains(const QString& filePath) const {
    return find(filePath) != nullptr;
}

bool UploadQueue::isUploading(const QString& filePath) const {
    const Entry* e = find(filePath);
    return e && e->uploader;
}

QList<UploadJob> UploadQueue::jobs() const {
    QList<UploadJob> result;
    for (const auto& e : entries_)
        result.append(e->job);
    return result;
}

QString UploadQueue::load() {
    QFile file(storePath_);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return kTr.tr("The pending uploads could not be read from %1: %2")
            .arg(storePath_, file.errorString());
    const QJsonArray array =
        QJsonDocument::fromJson(file.read(kMaxStoreBytes)).object().value("uploads").toArray();
    bool dropped = false;
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        UploadJob job;
        job.filePath = o.value("file").toString();
        job.url = QUrl(o.value("url").toString(), QUrl::StrictMode);
        job.shareTarget = o.value("share").toInt(-1);
        job.failedAttempts = std::max(0, o.value("failed").toInt(0));
        job.lastError = o.value("error").toString();
        if (job.filePath.isEmpty() || !QFile::exists(job.filePath) || !job.url.isValid() ||
            find(job.filePath)) {
            dropped = true;
            continue;
        }
        append(job);
    }
    if (dropped)
        save();
    pump();
    return {};
}

UploadQueue::Entry* UploadQueue::append(const UploadJob& job) {
    auto entry = std::make_unique<Entry>();
    entry->job = job;
    Entry* raw = entry.get();
    entry->retryTimer.setSingleShot(true);
    connect(&entry->retryTimer, &QTimer::timeout, this, [this, raw] {
        raw->due = true;
        pump();
    });
    entries_.push_back(std::move(entry));
    return raw;
}

void UploadQueue::add(const QString& filePath, const QUrl& url, int shareTarget) {
    if (Entry* e = find(filePath)) {
        e->job.url = url;
        e->job.shareTarget = shareTarget;
        e->job.failedAttempts = 0;
        e->userStarted = true;
        if (!e->uploader) {
            e->retryTimer.stop();
            e->due = true;
        }
        save();
        pump();
        return;
    }
    UploadJob job;
    job.filePath = filePath;
    job.url = url;
    job.shareTarget = shareTarget;
    append(job)->userStarted = true;
    save();
    pump();
}

void UploadQueue::remove(const QString& filePath) {
    if (Entry* e = find(filePath)) {
        erase(e);
        save();
        pump();
    }
}

void UploadQueue::pump() {
    int running = int(std::count_if(entries_.cbegin(), entries_.cend(),
                                    [](const auto& e) { return e->uploader != nullptr; }));
    // The user's own attempts go first: the user is watching the progress window.
    for (const bool users : {true, false}) {
        for (const auto& e : entries_) {
            if (running >= kMaxRunning)
                return;
            if (e->uploader || !e->due || e->userStarted != users)
                continue;
            ++running;
            startAttempt(e.get());
        }
    }
}

void UploadQueue::startAttempt(Entry* entry) {
    entry->due = false;
    auto file = std::make_unique<QFile>(entry->job.filePath);
    uchar* data = nullptr;
    if (file->open(QIODevice::ReadOnly) && file->size() > 0)
        data = file->map(0, file->size());
    if (!data) {
        const QString message =
            kTr.tr("Can not read the recording %1: %2")
                .arg(entry->job.filePath, file->size() == 0 && file->error() == QFile::NoError
                                              ? kTr.tr("the file is empty")
                                              : file->errorString());
        // Not worth retrying: the file will not come back by itself.
        const bool user = entry->userStarted;
        const QString path = entry->job.filePath;
        erase(entry);
        save();
        emit failed(path, message, UploadFailureKind::Permanent, user, false);
        return;
    }
    entry->file = std::move(file);
    entry->uploader = std::make_unique<HttpUploader>();
    if (stallTimeoutMs_ > 0)
        entry->uploader->setStallTimeout(stallTimeoutMs_);
    entry->uploader->setServiceToken(serviceToken_);
    entry->uploader->setSettingsFile(settingsFile_);
    HttpUploader* uploader = entry->uploader.get();
    connect(uploader, &HttpUploader::progressChanged, this, [this, entry](double progress) {
        emit progressChanged(entry->job.filePath, int(progress), entry->userStarted);
    });
    connect(uploader, &HttpUploader::finished, this,
            [this, entry](const QString& answer) { onAnswer(entry, answer); });
    connect(uploader, &HttpUploader::error, this, [this, entry, uploader](const QString& message) {
        onError(entry, message,
                classifyUploadFailure(uploader->lastNetworkError(), uploader->lastHttpStatus()));
    });
    emit attemptStarted(entry->job.filePath, entry->userStarted);
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                    qsizetype(entry->file->size()));
    uploader->upload(entry->job.url, body, QString::fromLatin1(kFieldName),
                     QString::fromLatin1(kFileName), QString::fromLatin1(kContentType),
                     QString::fromLatin1(kBoundary));
}

void UploadQueue::endAttempt(Entry* entry) {
    // Called from the uploader's own signal: it and the mapping it reads go once control is
    // back in the event loop, the uploader first.
    if (entry->uploader) {
        entry->uploader->disconnect(this);
        entry->uploader.release()->deleteLater();
    }
    if (entry->file)
        entry->file.release()->deleteLater();
}

void UploadQueue::erase(Entry* entry) {
    endAttempt(entry);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [entry](const auto& e) { return e.get() == entry; }),
                   entries_.end());
}

void UploadQueue::onAnswer(Entry* entry, const QString& answer) {
    if (!ServiceUrls::isAcceptedAnswer(answer)) {
        onError(entry, kTr.tr("Service temporarily not working. Please try again later"),
                UploadFailureKind::Permanent);
        return;
    }
    const QString path = entry->job.filePath;
    const int share = entry->job.shareTarget;
    const bool user = entry->userStarted;
    erase(entry);
    save();
    emit accepted(path, answer.trimmed(), share, user);
    pump();
}

void UploadQueue::onError(Entry* entry, const QString& message, UploadFailureKind kind) {
    endAttempt(entry);
    const QString path = entry->job.filePath;
    const bool user = entry->userStarted;
    entry->job.failedAttempts += 1;
    entry->job.lastError = message;
    const bool retry = kind == UploadFailureKind::Transient &&
                       entry->job.failedAttempts <= int(retryDelays_.size());
    if (retry) {
        entry->userStarted = false;
        entry->retryTimer.start(retryDelays_[size_t(entry->job.failedAttempts - 1)]);
    } else {
        erase(entry);
    }
    save();
    emit failed(path, message, kind, user, retry);
    pump();
}

void UploadQueue::save() {
    QJsonArray array;
    for (const auto& e : entries_) {
        QJsonObject o;
        o.insert("file", e->job.filePath);
        o.insert("url", e->job.url.toString(QUrl::FullyEncoded));
        if (e->job.shareTarget >= 0)
            o.insert("share", e->job.shareTarget);
        o.insert("failed", e->job.failedAttempts);
        if (!e->job.lastError.isEmpty())
            o.insert("error", e->job.lastError);
        array.append(o);
    }
    QJsonObject root;
    root.insert("uploads", array);
    QSaveFile file(storePath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 ||
        !file.commit()) {
        emit storeFailed(kTr.tr("The pending uploads could not be written to %1: %2")
                             .arg(storePath_, file.errorString()));
    }
}
