#include "upload/UploadQueue.h"

#include "core/SystemError.h"
#include "core/Translate.h"
#include "history/RecordingStore.h"
#include "upload/HttpUploader.h"
#include "upload/ServiceUrls.h"
#include "upload/TusAnswer.h"
#include "upload/UploadQueueEntry.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {
constexpr TranslationContext kTr{"UploadQueue"};
} // namespace

UploadQueue::UploadQueue(RecordingStore* store, QObject* parent)
    : QObject(parent)
    , store_(store)
    , protocols_(store->folder() + QStringLiteral("/services.json")) {}

UploadQueue::~UploadQueue() {
    // Abandon running requests silently; the store keeps them for the next start.
    for (auto& e : entries_) {
        e->probe.reset();
        e->tus.reset();
        e->uploader.reset();
    }
}

UploadQueue::Entry* UploadQueue::find(const QString& filePath) const {
    for (const auto& e : entries_) {
        if (e->filePath == filePath)
            return e.get();
    }
    return nullptr;
}

bool UploadQueue::contains(const QString& filePath) const {
    return find(filePath) != nullptr;
}

bool UploadQueue::isUploading(const QString& filePath) const {
    const Entry* e = find(filePath);
    return e && e->running();
}

UploadJob UploadQueue::jobOf(const Entry* entry) const {
    UploadJob job;
    job.filePath = entry->filePath;
    if (const auto e = store_->entry(entry->filePath)) {
        job.url = e->url;
        job.shareTarget = e->shareTarget;
        job.failedAttempts = e->failedAttempts;
        job.lastError = e->reason;
    }
    return job;
}

QList<UploadJob> UploadQueue::jobs() const {
    QList<UploadJob> result;
    for (const auto& e : entries_)
        result.append(jobOf(e.get()));
    return result;
}

void UploadQueue::load() {
    const QDateTime now = QDateTime::currentDateTime();
    for (const RecordingEntry& pending : store_->pendingUploads()) {
        if (find(pending.filePath))
            continue;
        Entry* entry = append(pending.filePath);
        // A retry keeps its time across a restart; one whose time has passed goes at once.
        const qint64 wait = pending.retryAt.isValid() ? now.msecsTo(pending.retryAt) : 0;
        if (wait > 0) {
            entry->due = false;
            entry->retryTimer.start(int(std::min<qint64>(wait, std::numeric_limits<int>::max())));
        }
    }
    pump();
}

UploadQueue::Entry* UploadQueue::append(const QString& filePath) {
    auto entry = std::make_unique<Entry>();
    entry->filePath = filePath;
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
    Entry* e = find(filePath);
    if (e && e->running()) {
        // The running attempt goes on; only where it leads changes.
        store_->queueUpload(filePath, url, shareTarget);
        store_->startAttempt(filePath);
        e->userStarted = true;
        return;
    }
    if (!store_->queueUpload(filePath, url, shareTarget)) {
        if (e)
            erase(e);
        // Opening it names the reason (missing, not allowed) in the system's words.
        QFile file(filePath);
        [[maybe_unused]] const bool opened = file.open(QIODevice::ReadOnly);
        emit failed(
            filePath,
            kTr.tr("Can not read the recording %1: %2").arg(filePath, SystemError::describe(file)),
            UploadFailureKind::Permanent, true, false);
        return;
    }
    if (!e)
        e = append(filePath);
    e->userStarted = true;
    e->retryTimer.stop();
    e->due = true;
    pump();
}

bool UploadQueue::retryNow(const QString& filePath) {
    Entry* e = find(filePath);
    if (!e || e->running())
        return false;
    e->retryTimer.stop();
    e->due = true;
    e->userStarted = true;
    pump();
    return true;
}

void UploadQueue::remove(const QString& filePath) {
    if (Entry* e = find(filePath)) {
        const auto stored = store_->entry(filePath);
        erase(e);
        // Nothing of a video the user called back stays on the service.
        if (stored && !stored->resumeAt.isEmpty())
            terminateRemote(stored->url, stored->resumeAt);
        store_->cancelUpload(filePath);
        pump();
    }
}

void UploadQueue::pump() {
    // One start at a time, looking afresh after each: a start may end its job at once (a file
    // gone) and so change the list under a loop over it.
    for (;;) {
        const int running = int(std::count_if(entries_.cbegin(), entries_.cend(),
                                              [](const auto& e) { return e->running(); }));
        if (running >= kMaxRunning)
            return;
        Entry* next = nullptr;
        // The user's own attempts go first: the user is watching the progress window.
        for (const bool users : {true, false}) {
            for (const auto& e : entries_) {
                if (!next && !e->running() && e->due && e->userStarted == users)
                    next = e.get();
            }
        }
        if (!next)
            return;
        startAttempt(next);
    }
}

void UploadQueue::startAttempt(Entry* entry) {
    entry->due = false;
    entry->resumableRefused = false;
    entry->lastPercent = -1;
    if (!QFileInfo(entry->filePath).isFile()) {
        failUnreadable(entry, kTr.tr("the file is missing"));
        return;
    }
    announce(entry);
    switch (protocols_.lookup(TusAnswer::serviceKey(jobOf(entry).url))) {
    case ServiceProtocols::Protocol::Unknown:
        probe(entry);
        return;
    case ServiceProtocols::Protocol::Resumable:
        startResumable(entry);
        return;
    case ServiceProtocols::Protocol::Multipart:
        startMultipart(entry);
        return;
    }
}

void UploadQueue::announce(Entry* entry) {
    store_->startAttempt(entry->filePath);
    emit attemptStarted(entry->filePath, entry->userStarted);
    // Shown at once, also while the service is first asked which way it takes uploads: a
    // service slow to answer that question must not leave the user without a progress window.
    entry->lastPercent = 0;
    emit progressChanged(entry->filePath, 0, entry->userStarted);
}

void UploadQueue::failUnreadable(Entry* entry, const QString& reason) {
    const QString message =
        kTr.tr("Can not read the recording %1: %2").arg(entry->filePath, reason);
    // Not worth retrying: the file will not come back by itself.
    const bool user = entry->userStarted;
    const QString path = entry->filePath;
    erase(entry);
    // A recording that vanished is no longer listed; one that can not be read keeps the reason.
    if (QFileInfo::exists(path))
        store_->failUpload(path, message);
    else
        store_->forget(path);
    emit failed(path, message, UploadFailureKind::Permanent, user, false);
    pump();
}

void UploadQueue::reportProgress(Entry* entry, int percent) {
    percent = std::clamp(percent, 0, 100);
    // Chunks report every few kilobytes; the percentage changes far less often.
    if (percent == entry->lastPercent)
        return;
    entry->lastPercent = percent;
    emit progressChanged(entry->filePath, percent, entry->userStarted);
}

void UploadQueue::startMultipart(Entry* entry) {
    auto file = std::make_unique<QFile>(entry->filePath);
    uchar* data = nullptr;
    if (file->open(QIODevice::ReadOnly) && file->size() > 0)
        data = file->map(0, file->size());
    if (!data) {
        failUnreadable(entry, file->size() == 0 && file->error() == QFile::NoError
                                  ? kTr.tr("the file is empty")
                                  : SystemError::describe(*file));
        return;
    }
    const UploadJob job = jobOf(entry);
    entry->file = std::move(file);
    entry->uploader = std::make_unique<HttpUploader>();
    if (stallTimeoutMs_ > 0)
        entry->uploader->setStallTimeout(stallTimeoutMs_);
    entry->uploader->setServiceToken(serviceToken_);
    entry->uploader->setSettingsFile(settingsFile_);
    HttpUploader* uploader = entry->uploader.get();
    connect(uploader, &HttpUploader::progressChanged, this,
            [this, entry](double progress) { reportProgress(entry, int(progress)); });
    connect(uploader, &HttpUploader::finished, this,
            [this, entry, uploader](const QString& answer) {
                onAnswer(entry, answer, uploader->lastDeleteUrl(), uploader->lastExpires());
            });
    connect(uploader, &HttpUploader::error, this, [this, entry, uploader](const QString& message) {
        onError(entry, message,
                classifyUploadFailure(uploader->lastNetworkError(), uploader->lastHttpStatus()));
    });
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                    qsizetype(entry->file->size()));
    uploader->upload(job.url, body, QString::fromLatin1(kFieldName), QString::fromLatin1(kFileName),
                     QString::fromLatin1(kContentType), QString::fromLatin1(kBoundary));
}

void UploadQueue::endAttempt(Entry* entry) {
    // Called from the uploader's own signal: it and the mapping it reads go once control is
    // back in the event loop, the uploader first.
    if (entry->uploader) {
        entry->uploader->disconnect(this);
        entry->uploader.release()->deleteLater();
    }
    if (entry->probe) {
        entry->probe->disconnect(this);
        entry->probe->abort();
        entry->probe.release()->deleteLater();
    }
    if (entry->tus) {
        entry->tus->disconnect(this);
        entry->tus->abort();
        entry->tus.release()->deleteLater();
    }
    if (entry->source)
        entry->source.release()->deleteLater();
    if (entry->file)
        entry->file.release()->deleteLater();
}

void UploadQueue::erase(Entry* entry) {
    endAttempt(entry);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [entry](const auto& e) { return e.get() == entry; }),
                   entries_.end());
}

void UploadQueue::onAnswer(Entry* entry, const QString& answer, const QUrl& deleteUrl,
                           const QDateTime& expires) {
    if (!ServiceUrls::isAcceptedAnswer(answer)) {
        onError(entry, kTr.tr("Service temporarily not working. Please try again later"),
                UploadFailureKind::Permanent);
        return;
    }
    const QString path = entry->filePath;
    const int share = jobOf(entry).shareTarget;
    const bool user = entry->userStarted;
    erase(entry);
    // Kept with the recording before anyone is told, so a crash from here on loses no link.
    store_->markUploaded(path, answer.trimmed(), QDateTime::currentDateTime(), deleteUrl, expires);
    emit linkDetails(path, deleteUrl, expires);
    emit accepted(path, answer.trimmed(), share, user);
    pump();
}

void UploadQueue::onError(Entry* entry, const QString& message, UploadFailureKind kind) {
    endAttempt(entry);
    const QString path = entry->filePath;
    const bool user = entry->userStarted;
    const int failedAttempts = jobOf(entry).failedAttempts + 1;
    const bool retry =
        kind == UploadFailureKind::Transient && failedAttempts <= int(retryDelays_.size());
    if (retry) {
        const int delay = retryDelays_[size_t(failedAttempts - 1)];
        entry->userStarted = false;
        entry->retryTimer.start(delay);
        store_->retryLater(path, message, failedAttempts,
                           QDateTime::currentDateTime().addMSecs(delay));
    } else {
        erase(entry);
        store_->failUpload(path, message);
    }
    emit failed(path, message, kind, user, retry);
    pump();
}
