#include "widgets/HistoryWidgetItem.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>

namespace {

const char* const kLabelStyle = "QLabel { color: rgb(159, 157, 158); }";
// The row buttons take the size of their pictures.
const QSize kButtonSize(16, 17);

} // namespace

HistoryWidgetItem::HistoryWidgetItem(QWidget* parent)
    : QWidget(parent) {
    rowWidget_ = new QWidget(this);
    rowWidget_->setObjectName("MainWidget");
    auto* rowLayout = new QHBoxLayout(rowWidget_);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);

    timeLabel_ = new QLabel(rowWidget_);
    timeLabel_->setObjectName("TimeLabel");
    timeLabel_->setStyleSheet(kLabelStyle);
    timeLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    rightWidget_ = new QWidget(rowWidget_);
    rightWidget_->setObjectName("RightWidget");
    auto* rightLayout = new QHBoxLayout(rightWidget_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(10);

    dateLabel_ = new QLabel(rightWidget_);
    dateLabel_->setObjectName("DateLabel");
    dateLabel_->setStyleSheet(kLabelStyle);

    auto makeButton = [this](const char* name, const char* image,
                             void (HistoryWidgetItem::*slot)()) {
        auto* button = new PushButtonWithTooltip(rightWidget_);
        button->setObjectName(name);
        button->setStyleSheet(QString("QPushButton { border-image: url(:/Resources/Buttons/%1); }")
                                  .arg(QLatin1String(image)));
        button->setMinimumSize(kButtonSize);
        button->setMaximumSize(kButtonSize);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    copyButton_ =
        makeButton("CopyButton", "clipboard.png", &HistoryWidgetItem::onCopyUrlToClipboard);
    openButton_ = makeButton("OpenButton", "web.png", &HistoryWidgetItem::onOpenUrl);
    deleteButton_ = makeButton("DeleteButton", "recycle.png", &HistoryWidgetItem::onDelete);

    rightLayout->addItem(new QSpacerItem(5, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    rightLayout->addWidget(dateLabel_);
    rightLayout->addWidget(copyButton_);
    rightLayout->addWidget(openButton_);
    rightLayout->addWidget(deleteButton_);
    rightLayout->addItem(new QSpacerItem(10, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));

    rowLayout->addWidget(timeLabel_);
    rowLayout->addWidget(rightWidget_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(rowWidget_);

    // Rows made after the interface language was installed would otherwise show no
    // tooltips until the next language change.
    retranslate();
}

void HistoryWidgetItem::setMainStyle(const QString& style) {
    rowWidget_->setStyleSheet(QString("QWidget#MainWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRightStyle(const QString& style) {
    rightWidget_->setStyleSheet(QString("QWidget#RightWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRecord(const HistoryRecord& value) {
    record_ = value;
    timeLabel_->setText(record_.date.toString("hh:mm:ss"));
    dateLabel_->setText(record_.date.toString("dd/MM/yyyy"));
}

void HistoryWidgetItem::onCopyUrlToClipboard() {
    emit copiedToClipboard();
    QApplication::clipboard()->setText(record_.url.toString(), QClipboard::Clipboard);
}

void HistoryWidgetItem::onOpenUrl() {
    QDesktopServices::openUrl(record_.url);
}

void HistoryWidgetItem::onDelete() {
    emit removed(record_);
}

void HistoryWidgetItem::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void HistoryWidgetItem::retranslate() {
    copyButton_->tooltipText = tr("Copy to clipboard");
    openButton_->tooltipText = tr("Open link in browser");
    deleteButton_->tooltipText = tr("Remove record");
}
