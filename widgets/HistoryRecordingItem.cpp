#include "widgets/HistoryRecordingItem.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
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
    return QStringLiteral("<qt>%1</qt>").arg(text.toHtmlEscaped());
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
    auto addButton = [this, rowLayout](const char* name, const char* image,
                                       void (HistoryRecordingItem::*signal)(const QString&)) {
        auto* button = makeButton(rowWidget(), name, image, WhenDisabled::Blank);
        connect(button, &QPushButton::clicked, this,
                [this, signal] { emit(this->*signal)(entry_.filePath); });
        rowLayout->addWidget(button);
        return button;
    };
    uploadButton_ = addButton("UploadAgainButton", "row_upload.png",
                              &HistoryRecordingItem::uploadAgainRequested);
    saveButton_ = addButton("SaveButton", "row_save.png", &HistoryRecordingItem::saveRequested);
    deleteButton_ =
        addButton("DeleteButton", "recycle.png", &HistoryRecordingItem::deleteRequested);

    retranslate();
}

void HistoryRecordingItem::setEntry(const RecordingEntry& entry) {
    entry_ = entry;
    showEntry();
}

QString HistoryRecordingItem::statusText(const RecordingEntry& entry) {
    switch (entry.state) {
    case RecordingState::NotUploaded:
        return tr("not uploaded");
    case RecordingState::UploadFailed:
        return tr("upload failed: %1").arg(entry.reason);
    case RecordingState::Queued:
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
    dateLabel_->setText(entry_.created.toString("dd/MM/yyyy hh:mm:ss"));
    const QString status = statusText(entry_);
    statusLabel_->setText(status);
    statusLabel_->setToolTip(plainTooltip(status));
    statusLabel_->setStyleSheet(entry_.state == RecordingState::UploadFailed ? kFailedStyle
                                                                             : kStatusStyle);
    // One upload of a recording at a time: the one under way answers first.
    uploadButton_->setEnabled(entry_.state != RecordingState::Queued);
}

void HistoryRecordingItem::retranslate() {
    uploadButton_->tooltipText = tr("Upload again");
    saveButton_->tooltipText = tr("Save");
    deleteButton_->tooltipText = tr("Delete");
    showEntry();
}
