#include "widgets/HistoryRow.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QEvent>
#include <QHBoxLayout>

namespace {

// The row buttons take the size of their pictures.
const QSize kButtonSize(16, 17);

} // namespace

HistoryRow::HistoryRow(QWidget* parent)
    : QWidget(parent)
    , rowWidget_(new QWidget(this)) {
    rowWidget_->setObjectName("MainWidget");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(rowWidget_);
}

void HistoryRow::setMainStyle(const QString& style) {
    rowWidget_->setStyleSheet(QString("QWidget#MainWidget { %1 }").arg(style));
}

PushButtonWithTooltip* HistoryRow::makeButton(QWidget* parent, const char* objectName,
                                              const char* image, WhenDisabled disabled) {
    auto* button = new PushButtonWithTooltip(parent);
    button->setObjectName(objectName);
    QString style = QString("QPushButton { border-image: url(:/Resources/Buttons/%1); }")
                        .arg(QLatin1String(image));
    if (disabled == WhenDisabled::Blank)
        style += QLatin1String("QPushButton:disabled { border-image: none; }");
    button->setStyleSheet(style);
    button->setFixedSize(kButtonSize);
    return button;
}

void HistoryRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
