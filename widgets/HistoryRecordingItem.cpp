#include "widgets/HistoryRecordingItem.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

const char* const kDateStyle = "QLabel { color: rgb(159, 157, 158); }";
const char* const kStatusStyle = "QLabel { color: rgb(96, 96, 96); }";
// A failed upload stands out: the user has something to do about it.
const char* const kFailedStyle = "QLabel { color: rgb(176, 42, 32); }";

// A one-line label that cuts its text with an ellipsis to the width it gets instead of
// widening the row: the window is narrow and a failure reason can be a paragraph. It draws
// the text as plain characters whatever they hold; the full text is in its tooltip.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent)
        : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

// A tooltip is shown as rich text when it looks like markup, so outside text goes in escaped
// and explicitly marked as rich text: it then shows exactly the characters it holds.
QString plainTooltip(const QString& text) {
    return QStringLiteral("<qt>%1</qt>")
        .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")));
}

} // namespace

HistoryRecordingItem::HistoryRecordingItem(QWidget* parent)
    : HistoryRow(parent) {
    auto* rowLayout = new QHBoxLayout(rowWidget());
    rowLayout->setContentsMargins(8, 2, 10, 2);
    rowLayout->setSpacing(6);

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    dateLabel_ = new QLabel(rowWidget());
    dateLabel_->setObjectName("DateLabel");
    dateLabel_->setTextFormat(Qt::PlainText);
    dateLabel_->setStyleSheet(kDateStyle);
    statusLabel_ = new ElidedLabel(rowWidget());
    statusLabel_->setObjectName("StatusLabel");
    statusLabel_->setStyleSheet(kStatusStyle);
    texts->addWidget(dateLabel_);
    texts->addWidget(statusLabel_);
    rowLayout->addLayout(texts, 1);

    // Each button only tells which recording it belongs to.
    auto makeSignalling = [this](QWidget* holder, const char* name, const char* image,
                                 void (HistoryRecordingItem::*signal)(const QString&)) {
        auto* button = makeButton(holder, name, image);
        connect(button, &QPushButton::clicked, this,
                [this, signal] { emit(this->*signal)(entry_.filePath); });
        return button;
    };
    auto* slot = new QWidget(rowWidget());
    slot->setObjectName("UploadSlot");
    uploadSlot_ = new QStackedLayout(slot);
    uploadButton_ = makeSignalling(slot, "UploadAgainButton", "row_upload.png",
                                   &HistoryRecordingItem::uploadAgainRequested);
    retryButton_ = makeSignalling(slot, "RetryNowButton", "row_retry.png",
                                  &HistoryRecordingItem::retryNowRequested);
    // While it uploads there is nothing to ask for: an empty place, not an empty button.
    noUploadButton_ = new QWidget(slot);
    uploadSlot_->addWidget(uploadButton_);
    uploadSlot_->addWidget(retryButton_);
    uploadSlot_->addWidget(noUploadButton_);
    slot->setFixedSize(uploadButton_->size());
    rowLayout->addWidget(slot);
    saveButton_ = makeSignalling(rowWidget(), "SaveButton", "row_save.png",
                                 &HistoryRecordingItem::saveRequested);
    deleteButton_ = makeSignalling(rowWidget(), "DeleteButton", "recycle.png",
                                   &HistoryRecordingItem::deleteRequested);
    rowLayout->addWidget(saveButton_);
    rowLayout->addWidget(deleteButton_);

    // Whole seconds are all the status line shows.
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &HistoryRecordingItem::showStatus);

    retranslate();
}

void HistoryRecordingItem::setEntry(const RecordingEntry& entry) {
    entry_ = entry;
    showEntry();
}

bool HistoryRecordingItem::waitsForRetry(const RecordingEntry& entry) {
    return entry.state == RecordingState::Queued && !entry.uploading && entry.retryAt.isValid();
}

QString HistoryRecordingItem::statusText(const RecordingEntry& entry, const QDateTime& now) {
    switch (entry.state) {
    case RecordingState::NotUploaded:
        return tr("not uploaded");
    case RecordingState::UploadFailed:
        return tr("upload failed: %1").arg(entry.reason);
    case RecordingState::Queued:
        if (entry.uploading)
            return tr("uploading");
        if (waitsForRetry(entry)) {
            // Rounded up: "in 0 s" would claim a try that has not started.
            const qint64 seconds = (now.msecsTo(entry.retryAt) + 999) / 1000;
            if (seconds > 0) {
                const QString in = seconds < 60
                                       ? tr("%1 s").arg(seconds)
                                       : tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
                return tr("waiting to retry (next try in %1)").arg(in);
            }
        }
        // Due, waiting for a free place in the queue.
        return tr("waiting to upload");
    case RecordingState::Uploaded: // shown only until its link is in the history
        return tr("uploading");
    case RecordingState::Recovered:
        return tr("recovered");
    case RecordingState::Recording:
        return tr("recording");
    }
    return {};
}

void HistoryRecordingItem::showEntry() {
    dateLabel_->setText(whenText(entry_.created));
    statusLabel_->setStyleSheet(entry_.state == RecordingState::UploadFailed ? kFailedStyle
                                                                             : kStatusStyle);
    // One upload of a recording at a time: the one under way answers first.
    QWidget* shown = uploadButton_;
    if (waitsForRetry(entry_))
        shown = retryButton_;
    else if (entry_.state == RecordingState::Queued || entry_.state == RecordingState::Uploaded)
        shown = noUploadButton_;
    uploadSlot_->setCurrentWidget(shown);
    // A button out of sight cannot be pressed either.
    uploadButton_->setEnabled(shown == uploadButton_);
    retryButton_->setEnabled(shown == retryButton_);
    showStatus();
    followCountdown();
}

void HistoryRecordingItem::showStatus() {
    QString status = statusText(entry_);
    statusLabel_->setText(status);
    // Why the last try failed, for a recording that is still being tried.
    if (entry_.state == RecordingState::Queued && !entry_.reason.isEmpty())
        status += QLatin1Char('\n') + tr("The last try failed: %1").arg(entry_.reason);
    statusLabel_->setToolTip(plainTooltip(status));
}

void HistoryRecordingItem::followCountdown() {
    if (isVisible() && waitsForRetry(entry_))
        countdown_.start();
    else
        countdown_.stop();
}

void HistoryRecordingItem::showEvent(QShowEvent* event) {
    HistoryRow::showEvent(event);
    // The time went on while the window was closed.
    showStatus();
    followCountdown();
}

void HistoryRecordingItem::hideEvent(QHideEvent* event) {
    HistoryRow::hideEvent(event);
    countdown_.stop();
}

void HistoryRecordingItem::retranslate() {
    uploadButton_->tooltipText = tr("Upload again");
    retryButton_->tooltipText = tr("Retry now");
    saveButton_->tooltipText = tr("Save");
    deleteButton_->tooltipText = tr("Delete");
    showEntry();
}
