#include "upload/TusUpload.h"

#include "core/Translate.h"
#include "upload/UploadSource.h"

#include <QDebug>

namespace {
constexpr TranslationContext kTr{"TusUpload"};
} // namespace

TusUpload::TusUpload(UploadSource* source, std::unique_ptr<TusClient> client,
                     const QList<QPair<QByteArray, QByteArray>>& metadata, QObject* parent)
    : QObject(parent)
    , source_(source)
    , client_(std::move(client))
    , metadata_(metadata) {
    connect(client_.get(), &TusClient::created, this, [this](const TusCreation& creation) {
        creation_ = creation;
        offset_ = 0;
        lengthKnown_ = source_->isComplete();
        emit created(creation_);
        sendNext();
    });
    connect(client_.get(), &TusClient::offsetKnown, this, &TusUpload::onOffset);
    connect(client_.get(), &TusClient::patched, this, &TusUpload::onPatched);
    connect(client_.get(), &TusClient::patchProgress, this,
            [this](qint64 sent) { emit progress(offset_ + sent, source_->durableBytes()); });
    connect(client_.get(), &TusClient::failed, this, &TusUpload::onFailed);
    connect(source_, &UploadSource::advanced, this, [this] {
        if (step_ == Step::Waiting)
            sendNext();
    });
}

TusUpload::~TusUpload() = default;

void TusUpload::abort() {
    client_->abort();
    step_ = Step::Idle;
}

void TusUpload::start(const TusCreation& earlier) {
    madeAnew_ = false;
    conflicts_ = 0;
    creation_ = earlier;
    if (creation_.location.isEmpty()) {
        createNew();
        return;
    }
    step_ = Step::Asking;
    client_->head(creation_.location, source_->durableBytes());
}

void TusUpload::createNew() {
    madeAnew_ = true;
    step_ = Step::Creating;
    client_->create(source_->isComplete() ? source_->durableBytes() : -1, metadata_);
}

void TusUpload::onOffset(qint64 offset, qint64 length) {
    // An upload of another length is of another file (the recording was replaced): its bytes
    // are no part of this one.
    if ((length >= 0 && source_->isComplete() && length != source_->durableBytes()) ||
        (length >= 0 && length < source_->durableBytes())) {
        qDebug() << "The earlier upload has another length; starting anew";
        createNew();
        return;
    }
    offset_ = offset;
    lengthKnown_ = length >= 0;
    emit progress(offset_, source_->durableBytes());
    sendNext();
}

void TusUpload::sendNext() {
    const qint64 durable = source_->durableBytes();
    const bool complete = source_->isComplete();
    if (complete && lengthKnown_ && offset_ >= durable) {
        step_ = Step::Done;
        emit finished(creation_);
        return;
    }
    const qint64 size = std::min(kChunkBytes, durable - offset_);
    if (size <= 0 && !complete) {
        step_ = Step::Waiting;
        return;
    }
    QString error;
    const QByteArray data = source_->read(offset_, size, &error);
    if (data.size() != size) {
        step_ = Step::Idle;
        UploadFailure failure;
        failure.kind = UploadFailure::Kind::NoData;
        failure.message = kTr.tr("Can not read the recording: %1").arg(error);
        emit failed(failure);
        return;
    }
    // The deferred length goes with the chunk that ends the video (an empty one when the video
    // ended after its last bytes were sent).
    declaring_ = complete && !lengthKnown_ && offset_ + size == durable;
    chunkSize_ = size;
    step_ = Step::Sending;
    client_->patch(creation_.location, offset_, data, declaring_ ? durable : -1);
}

void TusUpload::onPatched(qint64 offset) {
    conflicts_ = 0;
    if (declaring_ && offset == offset_ + chunkSize_)
        lengthKnown_ = true;
    offset_ = offset;
    emit progress(offset_, source_->durableBytes());
    sendNext();
}

void TusUpload::onFailed(const UploadFailure& failure) {
    const int status = failure.httpStatus;
    if (step_ == Step::Sending && status == 409 && ++conflicts_ <= kMaxConflicts) {
        // Our idea of the offset is not the service's: ask, and go on from its answer.
        step_ = Step::Asking;
        client_->head(creation_.location, source_->durableBytes());
        return;
    }
    if ((step_ == Step::Asking || step_ == Step::Sending) && (status == 404 || status == 410) &&
        !madeAnew_) {
        // The service dropped the upload (expired, or terminated): the video goes again whole.
        createNew();
        return;
    }
    if (step_ == Step::Creating && (status == 404 || status == 405)) {
        step_ = Step::Idle;
        emit notSupported();
        return;
    }
    step_ = Step::Idle;
    emit failed(failure);
}
