#include "widgets/HistoryWidgetItem.h"

#include "widgets/PushButtonWithTooltip.h"
#include "widgets/WebAddress.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QStyle>

namespace {

const char* const kLabelStyle = "QLabel { color: rgb(159, 157, 158); }";

} // namespace

HistoryWidgetItem::HistoryWidgetItem(QWidget* parent)
    : HistoryRow(parent) {
    auto* rowLayout = new QHBoxLayout(rowWidget());
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);

    timeLabel_ = new QLabel(rowWidget());
    timeLabel_->setObjectName("TimeLabel");
    timeLabel_->setStyleSheet(kLabelStyle);
    timeLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    rightWidget_ = new QWidget(rowWidget());
    rightWidget_->setObjectName("RightWidget");
    auto* rightLayout = new QHBoxLayout(rightWidget_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(10);

    dateLabel_ = new QLabel(rightWidget_);
    dateLabel_->setObjectName("DateLabel");
    dateLabel_->setStyleSheet(kLabelStyle);

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

    rightLayout->addItem(new QSpacerItem(5, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    rightLayout->addWidget(dateLabel_);
    rightLayout->addWidget(copyButton_);
    rightLayout->addWidget(openButton_);
    rightLayout->addWidget(saveButton_);
    rightLayout->addWidget(folderButton_);
    rightLayout->addWidget(deleteButton_);
    rightLayout->addItem(new QSpacerItem(10, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));

    rowLayout->addWidget(timeLabel_);
    rowLayout->addWidget(rightWidget_);

    retranslate();
}

void HistoryWidgetItem::setRightStyle(const QString& style) {
    rightWidget_->setStyleSheet(QString("QWidget#RightWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRecord(const HistoryRecord& value) {
    record_ = value;
    timeLabel_->setText(record_.date.toString("hh:mm:ss"));
    dateLabel_->setText(record_.date.toString("dd/MM/yyyy"));
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
    deleteButton_->tooltipText = tr("Remove record");
    saveButton_->tooltipText = tr("Save the video");
    folderButton_->tooltipText = tr("Open the folder of the video");
}
