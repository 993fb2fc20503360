// The upload steps of a recording: each is one write of the store's index.
#include "history/RecordingStore.h"

#include <QDir>
#include <QFileInfo>

bool RecordingStore::queueUploadInMemory(const QString& filePath, const QUrl& url,
                                         int shareTarget) {
    RecordingEntry* e = findOrAdopt(filePath);
    if (!e) {
        if (isKept(filePath) || !QFileInfo(filePath).isFile())
            return false;
        RecordingEntry outside;
        outside.filePath = QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
        outside.created = QDateTime::currentDateTime();
        entries_.append(outside);
        e = &entries_.last();
    }
    // Asked again for the same service, a pending upload goes on where it got to.
    const bool resumable = e->state == RecordingState::Queued && e->url == url;
    const RecordingEntry kept = *e;
    clearUpload(*e);
    if (resumable) {
        e->resumeAt = kept.resumeAt;
        e->resumeLink = kept.resumeLink;
        e->deleteUrl = kept.deleteUrl;
        e->expires = kept.expires;
    }
    e->state = RecordingState::Queued;
    e->reason.clear();
    e->url = url;
    e->shareTarget = shareTarget;
    return true;
}

bool RecordingStore::queueUpload(const QString& filePath, const QUrl& url, int shareTarget) {
    if (!queueUploadInMemory(filePath, url, shareTarget))
        return false;
    commit();
    return true;
}

void RecordingStore::startAttempt(const QString& filePath) {
    RecordingEntry* e = find(filePath);
    if (!e || e->state != RecordingState::Queued || e->uploading)
        return;
    e->uploading = true;
    e->retryAt = QDateTime();
    commit();
}

void RecordingStore::retryLater(const QString& filePath, const QString& reason, int failedAttempts,
                                const QDateTime& retryAt) {
    RecordingEntry* e = find(filePath);
    if (!e || e->state != RecordingState::Queued)
        return;
    e->uploading = false;
    e->reason = reason;
    e->failedAttempts = failedAttempts;
    e->retryAt = retryAt;
    commit();
}

void RecordingStore::failUpload(const QString& filePath, const QString& reason) {
    RecordingEntry* e = findOrAdopt(filePath);
    if (!e)
        return;
    if (!isKept(filePath)) {
        // Not ours to list: the entry was only there for the upload.
        forget(filePath);
        return;
    }
    clearUpload(*e);
    e->state = RecordingState::UploadFailed;
    e->reason = reason;
    e->shareTarget = -1;
    commit();
}

void RecordingStore::setResumable(const QString& filePath, const QUrl& location,
                                  const QString& link, const QUrl& deleteUrl,
                                  const QDateTime& expires) {
    RecordingEntry* e = find(filePath);
    if (!e || e->state != RecordingState::Queued)
        return;
    e->resumeAt = location;
    e->resumeLink = link;
    e->deleteUrl = deleteUrl;
    e->expires = expires;
    commit();
}

void RecordingStore::markUploaded(const QString& filePath, const QString& link,
                                  const QDateTime& when, const QUrl& deleteUrl,
                                  const QDateTime& expires) {
    RecordingEntry* e = find(filePath);
    if (!e)
        return;
    clearUpload(*e);
    e->state = RecordingState::Uploaded;
    e->reason.clear();
    e->link = link;
    e->uploadedAt = when;
    e->deleteUrl = deleteUrl;
    e->expires = expires;
    commit();
}

void RecordingStore::cancelUpload(const QString& filePath) {
    RecordingEntry* e = find(filePath);
    if (!e || e->state != RecordingState::Queued)
        return;
    if (!isKept(filePath)) {
        forget(filePath);
        return;
    }
    clearUpload(*e);
    e->state = RecordingState::NotUploaded;
    e->reason.clear();
    e->shareTarget = -1;
    commit();
}

void RecordingStore::markLinkTold(const QString& filePath) {
    RecordingEntry* e = find(filePath);
    if (!e || e->state != RecordingState::Uploaded)
        return;
    if (!isKept(filePath)) {
        forget(filePath);
        return;
    }
    e->linkTold = true;
    commit();
}

void RecordingStore::markSaved(const QString& filePath) {
    RecordingEntry* e = find(filePath);
    if (!e || !isKept(filePath) || e->saved)
        return;
    e->saved = true;
    commit();
}

QList<RecordingEntry> RecordingStore::pendingUploads() const {
    QList<RecordingEntry> result;
    for (const RecordingEntry& e : entries_) {
        if (e.state == RecordingState::Queued)
            result.append(e);
    }
    return result;
}

QList<RecordingEntry> RecordingStore::uploaded() const {
    QList<RecordingEntry> result;
    for (const RecordingEntry& e : entries_) {
        if (e.state == RecordingState::Uploaded && !e.linkTold)
            result.append(e);
    }
    return result;
}
