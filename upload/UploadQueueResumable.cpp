// The upload queue's resumable half: asking a service which protocol it speaks, and sending a
// recording in chunks to one that speaks the resumable one.
#include "core/Translate.h"
#include "history/RecordingStore.h"
#include "upload/TusAnswer.h"
#include "upload/UploadQueueEntry.h"

#include <QUrlQuery>

namespace {

constexpr TranslationContext kTr{"UploadQueue"};

std::unique_ptr<TusClient> makeClient(const QUrl& uploadUrl, const QString& token,
                                      const QString& settingsFile, int stallTimeoutMs) {
    auto client = std::make_unique<TusClient>();
    client->setService(uploadUrl);
    client->setServiceToken(token);
    client->setSettingsFile(settingsFile);
    if (stallTimeoutMs > 0)
        client->setStallTimeout(stallTimeoutMs);
    return client;
}

// What the multipart upload says in its address, said the resumable protocol's way.
QList<QPair<QByteArray, QByteArray>> metadataFor(const QUrl& uploadUrl) {
    QList<QPair<QByteArray, QByteArray>> pairs{{"filename", UploadQueue::kFileName}};
    const QUrlQuery query(uploadUrl);
    for (const char* key : {"width", "height"}) {
        const QString value = query.queryItemValue(QLatin1String(key));
        if (!value.isEmpty())
            pairs.append({key, value.toUtf8()});
    }
    return pairs;
}

} // namespace

void UploadQueue::probe(Entry* entry) {
    const QUrl url = jobOf(entry).url;
    entry->probe = makeClient(url, serviceToken_, settingsFile_, stallTimeoutMs_);
    TusClient* client = entry->probe.get();
    connect(client, &TusClient::discovered, this, [this, entry, url](bool speaksTus) {
        const QString key = TusAnswer::serviceKey(url);
        protocols_.remember(key, speaksTus ? ServiceProtocols::Protocol::Resumable
                                           : ServiceProtocols::Protocol::Multipart);
        entry->probe->disconnect(this);
        entry->probe.release()->deleteLater();
        if (speaksTus && !entry->resumableRefused)
            startResumable(entry);
        else
            startMultipart(entry);
    });
    connect(client, &TusClient::failed, this, [this, entry](const UploadFailure& failure) {
        onError(entry, failure.message,
                classifyUploadFailure(failure.networkError, failure.httpStatus));
    });
    client->discover();
}

void UploadQueue::startResumable(Entry* entry) {
    QString error;
    entry->source = FileUploadSource::openComplete(entry->filePath, &error);
    if (!entry->source || entry->source->durableBytes() == 0) {
        failUnreadable(entry, entry->source ? kTr.tr("the file is empty") : error);
        return;
    }
    const RecordingEntry stored = store_->entry(entry->filePath).value_or(RecordingEntry());
    const QUrl url = stored.url;
    entry->tus = std::make_unique<TusUpload>(
        entry->source.get(), makeClient(url, serviceToken_, settingsFile_, stallTimeoutMs_),
        metadataFor(url));
    TusUpload* tus = entry->tus.get();
    connect(tus, &TusUpload::created, this, [this, entry](const TusCreation& c) {
        // In the index before the first byte: a crash from here on resumes rather than restarts.
        store_->setResumable(entry->filePath, c.location, c.link, c.deleteUrl, c.expires);
    });
    connect(tus, &TusUpload::progress, this, [this, entry](qint64 bytes, qint64 total) {
        if (total > 0)
            reportProgress(entry, int(bytes * 100 / total));
    });
    connect(tus, &TusUpload::finished, this, [this, entry](const TusCreation& c) {
        onAnswer(entry, c.link, c.deleteUrl, c.expires);
    });
    connect(tus, &TusUpload::notSupported, this, [this, entry, url] {
        // The service stopped taking resumable uploads there: ask again, and meanwhile this
        // attempt goes the old way.
        protocols_.forget(TusAnswer::serviceKey(url));
        entry->tus->disconnect(this);
        entry->tus.release()->deleteLater();
        entry->source.release()->deleteLater();
        entry->resumableRefused = true;
        probe(entry);
    });
    connect(tus, &TusUpload::failed, this, [this, entry](const UploadFailure& failure) {
        onError(entry, failure.message,
                classifyUploadFailure(failure.networkError, failure.httpStatus));
    });
    TusCreation earlier;
    earlier.location = stored.resumeAt;
    earlier.link = stored.resumeLink;
    earlier.deleteUrl = stored.deleteUrl;
    earlier.expires = stored.expires;
    // Only an address on the service's own host is gone on with: the index may be hand-edited.
    if (!TusAnswer::sameOrigin(earlier.location, url))
        earlier = TusCreation();
    tus->start(earlier);
}

void UploadQueue::terminateRemote(const QUrl& uploadUrl, const QUrl& location) {
    auto* client = makeClient(uploadUrl, serviceToken_, settingsFile_, stallTimeoutMs_).release();
    client->setParent(this);
    // Best effort: a service that can not be reached drops the unfinished upload itself when
    // it expires.
    connect(client, &TusClient::terminated, client, &QObject::deleteLater);
    connect(client, &TusClient::failed, client, &QObject::deleteLater);
    client->terminate(location);
}
