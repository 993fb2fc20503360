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

const char* const labelStyle = "QLabel { color: rgb(159, 157, 158); }";
// The row buttons take the size of their pictures.
const QSize buttonSize(16, 17);

} // namespace

HistoryWidgetItem::HistoryWidgetItem(QWidget* parent)
    : QWidget(parent) {
    rowWidget = new QWidget(this);
    rowWidget->setObjectName("MainWidget");
    auto* rowLayout = new QHBoxLayout(rowWidget);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);

    timeLabel = new QLabel(rowWidget);
    timeLabel->setObjectName("TimeLabel");
    timeLabel->setStyleSheet(labelStyle);
    timeLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    rightWidget = new QWidget(rowWidget);
    rightWidget->setObjectName("RightWidget");
    auto* rightLayout = new QHBoxLayout(rightWidget);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(10);

    dateLabel = new QLabel(rightWidget);
    dateLabel->setObjectName("DateLabel");
    dateLabel->setStyleSheet(labelStyle);

    auto makeButton = [this](const char* name, const char* image,
                             void (HistoryWidgetItem::*slot)()) {
        auto* button = new PushButtonWithTooltip(rightWidget);
        button->setObjectName(name);
        button->setStyleSheet(QString("QPushButton { border-image: url(:/Resources/Buttons/%1); }")
                                  .arg(QLatin1String(image)));
        button->setMinimumSize(buttonSize);
        button->setMaximumSize(buttonSize);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    copyButton =
        makeButton("CopyButton", "clipboard.png", &HistoryWidgetItem::onCopyUrlToClipboard);
    openButton = makeButton("OpenButton", "web.png", &HistoryWidgetItem::onOpenUrl);
    deleteButton = makeButton("DeleteButton", "recycle.png", &HistoryWidgetItem::onDelete);

    rightLayout->addItem(new QSpacerItem(5, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    rightLayout->addWidget(dateLabel);
    rightLayout->addWidget(copyButton);
    rightLayout->addWidget(openButton);
    rightLayout->addWidget(deleteButton);
    rightLayout->addItem(new QSpacerItem(10, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));

    rowLayout->addWidget(timeLabel);
    rowLayout->addWidget(rightWidget);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(rowWidget);

    // Rows made after the interface language was installed would otherwise show no
    // tooltips until the next language change.
    retranslate();
}

void HistoryWidgetItem::setMainStyle(const QString& style) {
    rowWidget->setStyleSheet(QString("QWidget#MainWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRightStyle(const QString& style) {
    rightWidget->setStyleSheet(QString("QWidget#RightWidget { %1 }").arg(style));
}

void HistoryWidgetItem::setRecord(const HistoryRecord& value) {
    record = value;
    timeLabel->setText(record.date.toString("hh:mm:ss"));
    dateLabel->setText(record.date.toString("dd/MM/yyyy"));
}

void HistoryWidgetItem::onCopyUrlToClipboard() {
    emit copiedToClipboard();
    QApplication::clipboard()->setText(record.url.toString(), QClipboard::Clipboard);
}

void HistoryWidgetItem::onOpenUrl() {
    QDesktopServices::openUrl(record.url);
}

void HistoryWidgetItem::onDelete() {
    emit removed(record);
}

void HistoryWidgetItem::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void HistoryWidgetItem::retranslate() {
    copyButton->tooltipText = tr("Copy to clipboard");
    openButton->tooltipText = tr("Open link in browser");
    deleteButton->tooltipText = tr("Remove record");
}
