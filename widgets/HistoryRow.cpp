#include "widgets/HistoryRow.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLocale>

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

QString HistoryRow::whenText(const QDateTime& when) {
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::ShortFormat);
}

PushButtonWithTooltip* HistoryRow::makeButton(QWidget* parent, const char* objectName,
                                              const char* image) {
    auto* button = new PushButtonWithTooltip(parent);
    button->setObjectName(objectName);
    button->setStyleSheet(QString("QPushButton { border-image: url(:/Resources/Buttons/%1); }")
                              .arg(QLatin1String(image)));
    button->setFixedSize(kButtonSize);
    return button;
}

void HistoryRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
