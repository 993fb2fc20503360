#include "widgets/HistoryWidgetItem.h"

#include "widgets/LinkText.h"
#include "widgets/PushButtonWithTooltip.h"
#include "widgets/WebAddress.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const char* const kLabelStyle = "QLabel { color: rgb(159, 157, 158); }";

} // namespace

HistoryWidgetItem::HistoryWidgetItem(QWidget* parent)
    : HistoryRow(parent) {
    auto* rowLayout = new QHBoxLayout(rowWidget());
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);

    // Left: when it was recorded, the link below it.
    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(8, 2, 4, 2);
    texts->setSpacing(0);
    dateLabel_ = new QLabel(rowWidget());
    dateLabel_->setObjectName("DateLabel");
    dateLabel_->setTextFormat(Qt::PlainText);
    dateLabel_->setStyleSheet(kLabelStyle);
    linkText_ = new LinkText(rowWidget());
    linkText_->setObjectName("LinkText");
    texts->addWidget(dateLabel_);
    texts->addWidget(linkText_);

    rightWidget_ = new QWidget(rowWidget());
    rightWidget_->setObjectName("RightWidget");
    auto* rightLayout = new QHBoxLayout(rightWidget_);
    rightLayout->setContentsMargins(6, 0, 10, 0);
    rightLayout->setSpacing(8);
    copyButton_ = makeButton(rightWidget_, "CopyButton", "clipboard.png");
    openButton_ = makeButton(rightWidget_, "OpenButton", "web.png");
    deleteButton_ = makeButton(rightWidget_, "DeleteButton", "recycle.png");
    connect(copyButton_, &QPushButton::clicked, this, &HistoryWidgetItem::onCopyUrlToClipboard);
    connect(openButton_, &QPushButton::clicked, this, &HistoryWidgetItem::onOpenUrl);
    connect(deleteButton_, &QPushButton::clicked, this, &HistoryWidgetItem::onDelete);
    // Shown only while the uploaded recording is still kept on this computer.
    saveButton_ = makeButton(rightWidget_, "SaveRecordingButton", "row_save.png");
    folderButton_ = makeButton(rightWidget_, "OpenFolderButton", "row_save.png");
    // There is no folder picture of our own: the style's, drawn like the others.
    folderButton_->setStyleSheet(QStringLiteral("QPushButton { border: none; }"));
    folderButton_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    folderButton_->setIconSize(folderButton_->size());
    saveButton_->hide();
    folderButton_->hide();
    connect(saveButton_, &QPushButton::clicked, this,
            [this] { emit saveRecordingRequested(keptRecording_); });
    connect(folderButton_, &QPushButton::clicked, this,
            [this] { emit openFolderRequested(keptRecording_); });
    rightLayout->addWidget(copyButton_);
    rightLayout->addWidget(openButton_);
    rightLayout->addWidget(saveButton_);
    rightLayout->addWidget(folderButton_);
    rightLayout->addWidget(deleteButton_);

    rowLayout->addLayout(texts, 1);
    rowLayout->addWidget(rightWidget_);

    retranslate();
}

void HistoryWidgetItem::setRightStyle(const QString& style) {
    rightWidget_->setStyleSheet(QString("QWidget#RightWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRecord(const HistoryRecord& value) {
    record_ = value;
    linkText_->setLink(record_.url.toString());
    showRecord();
}

void HistoryWidgetItem::showRecord() {
    dateLabel_->setText(whenText(record_.shownTime()));
    // The upload's own moment, for who wonders when the link was made.
    dateLabel_->setToolTip(
        record_.recorded.isValid()
            ? tr("Recorded %1, uploaded %2").arg(whenText(record_.recorded), whenText(record_.date))
            : tr("Uploaded %1").arg(whenText(record_.date)));
}

void HistoryWidgetItem::setKeptRecording(const QString& filePath) {
    keptRecording_ = filePath;
    saveButton_->setVisible(!filePath.isEmpty());
    folderButton_->setVisible(!filePath.isEmpty());
}

void HistoryWidgetItem::onCopyUrlToClipboard() {
    emit copiedToClipboard();
    QApplication::clipboard()->setText(record_.url.toString(), QClipboard::Clipboard);
}

void HistoryWidgetItem::onOpenUrl() {
    openWebAddress(record_.url, window());
}

void HistoryWidgetItem::onDelete() {
    emit removed(record_);
}

void HistoryWidgetItem::retranslate() {
    copyButton_->tooltipText = tr("Copy to clipboard");
    openButton_->tooltipText = tr("Open link in browser");
    deleteButton_->tooltipText = tr("Remove from history (the video stays on the service)");
    // The language's locale writes the moments.
    showRecord();
    saveButton_->tooltipText = tr("Save the video");
    folderButton_->tooltipText = tr("Open the folder of the video");
}
