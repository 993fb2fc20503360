// The store's index on the disk: the one file that says what became of each recording,
// and the taking in of the pending-uploads file that earlier versions kept beside it.
#include "core/Translate.h"
#include "history/JsonFile.h"
#include "history/RecordingStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace {

constexpr TranslationContext kTr{"RecordingStore"};

QString timeText(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime timeFrom(const QJsonValue& v) {
    const QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    return t.isValid() ? t.toLocalTime() : QDateTime();
}

QJsonObject toJson(const RecordingEntry& e, const QString& name) {
    QJsonObject o;
    o.insert("file", name);
    o.insert("state", RecordingStore::stateName(e.state));
    o.insert("created", e.created.toString(Qt::ISODateWithMs));
    if (!e.reason.isEmpty())
        o.insert("reason", e.reason);
    if (e.shareTarget >= 0)
        o.insert("share", e.shareTarget);
    if (e.state == RecordingState::Queued) {
        o.insert("url", e.url.toString(QUrl::FullyEncoded));
        o.insert("failed", e.failedAttempts);
        if (e.retryAt.isValid())
            o.insert("retry-at", timeText(e.retryAt));
        if (e.uploading)
            o.insert("uploading", true);
        if (!e.resumeAt.isEmpty()) {
            o.insert("resume-at", e.resumeAt.toString(QUrl::FullyEncoded));
            o.insert("resume-link", e.resumeLink);
        }
    }
    if (e.state == RecordingState::Uploaded) {
        o.insert("link", e.link);
        o.insert("uploaded-at", timeText(e.uploadedAt));
        if (e.linkTold)
            o.insert("link-told", true);
    }
    if (e.saved)
        o.insert("saved", true);
    if (e.state == RecordingState::Queued || e.state == RecordingState::Uploaded) {
        if (!e.deleteUrl.isEmpty())
            o.insert("delete-url", e.deleteUrl.toString(QUrl::FullyEncoded));
        if (e.expires.isValid())
            o.insert("expires", timeText(e.expires));
    }
    return o;
}

RecordingEntry fromJson(const QJsonObject& o) {
    RecordingEntry e;
    e.state = RecordingStore::stateFromName(o.value("state").toString())
                  .value_or(RecordingState::NotUploaded);
    e.created = QDateTime::fromString(o.value("created").toString(), Qt::ISODateWithMs);
    e.reason = o.value("reason").toString();
    e.shareTarget = o.value("share").toInt(-1);
    e.url = QUrl(o.value("url").toString(), QUrl::StrictMode);
    e.failedAttempts = std::max(0, o.value("failed").toInt(0));
    e.retryAt = timeFrom(o.value("retry-at"));
    e.uploading = o.value("uploading").toBool(false);
    e.link = o.value("link").toString();
    e.uploadedAt = timeFrom(o.value("uploaded-at"));
    e.linkTold = o.value("link-told").toBool(false);
    e.saved = o.value("saved").toBool(false);
    e.resumeAt = QUrl(o.value("resume-at").toString(), QUrl::StrictMode);
    e.resumeLink = o.value("resume-link").toString();
    e.deleteUrl = QUrl(o.value("delete-url").toString(), QUrl::StrictMode);
    e.expires = timeFrom(o.value("expires"));
    // A resumable upload is only gone on with at an absolute address and with its link.
    if (!e.resumeAt.isValid() || e.resumeAt.isRelative() || e.resumeLink.isEmpty()) {
        e.resumeAt = QUrl();
        e.resumeLink.clear();
    }
    // A pending upload without a usable address can not go on; an upload without its link
    // has nothing left to tell.
    if (e.state == RecordingState::Queued && (!e.url.isValid() || e.url.isEmpty()))
        e.state = RecordingState::NotUploaded;
    if (e.state == RecordingState::Uploaded && (e.link.isEmpty() || !e.uploadedAt.isValid()))
        e.state = RecordingState::NotUploaded;
    e.linkTold = e.linkTold && e.state == RecordingState::Uploaded;
    return e;
}

} // namespace

void RecordingStore::readIndex() {
    entries_.clear();
    const JsonFile::ReadResult read = JsonFile::read(indexPath());
    const QJsonArray array = read.object.value("recordings").toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        const QString file = o.value("file").toString();
        RecordingEntry e = fromJson(o);
        if (file.startsWith(QLatin1Char('/'))) {
            // The user's own file, outside the folder: only ever read, for an upload.
            if (e.state != RecordingState::Queued)
                continue;
            e.filePath = QDir::cleanPath(file);
        } else {
            // Only plain names inside the folder: a hand-edited index must not reach elsewhere.
            if (file.isEmpty() || file.contains(QLatin1Char('/')) ||
                file.startsWith(QLatin1Char('.')))
                continue;
            e.filePath = pathOf(file);
        }
        if (!find(e.filePath))
            entries_.append(e);
    }
}

bool RecordingStore::takeOldUploads() {
    const JsonFile::ReadResult old = JsonFile::read(oldUploadsPath());
    if (!old.exists)
        return false;
    const QJsonArray array = old.object.value("uploads").toArray();
    for (const QJsonValue& value : array) {
        const QJsonObject o = value.toObject();
        const QString path = QDir::cleanPath(o.value("file").toString());
        const QUrl url(o.value("url").toString(), QUrl::StrictMode);
        if (path.isEmpty() || !url.isValid() || url.isEmpty() || !QFile::exists(path))
            continue;
        if (!queueUploadInMemory(path, url, o.value("share").toInt(-1)))
            continue;
        RecordingEntry* e = find(path);
        e->failedAttempts = std::max(0, o.value("failed").toInt(0));
        e->reason = o.value("error").toString();
    }
    return true;
}

bool RecordingStore::writeIndex() {
    QJsonArray array;
    for (const RecordingEntry& e : std::as_const(entries_)) {
        const QString name = nameOf(e.filePath);
        array.append(toJson(e, name.isEmpty() ? e.filePath : name));
    }
    QJsonObject root;
    root.insert("version", 2);
    root.insert("recordings", array);
    const QString error = JsonFile::write(indexPath(), root);
    if (error.isEmpty())
        return true;
    emit storeFailed(kTr.tr("What became of each recording could not be written to %1: %2")
                         .arg(indexPath(), error));
    return false;
}
