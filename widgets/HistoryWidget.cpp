#include "widgets/HistoryWidget.h"

#include "history/HistoryManager.h"
#include "widgets/HistoryWidgetItem.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

// The panel's fixed size: tall enough for six rows under the header.
const QSize kPanelSize(230, 284);
const int kHeaderHeight = 41;
const int kRowHeight = 40;

} // namespace

HistoryWidget::HistoryWidget(QWidget* parent)
    : HistoryWidget(HistoryManager::instance(), parent) {}

HistoryWidget::HistoryWidget(HistoryManager* store, QWidget* parent)
    : QWidget(parent)
    , store_(store) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    installEventFilter(this);

    panel_ = new QWidget(this);
    panel_->setObjectName("HistoryWidget");
    panel_->setStyleSheet("QWidget#HistoryWidget { background-color: rgb(118, 121, 122); "
                          "border-radius: 3px; }");
    auto* outerLayout = new QVBoxLayout(this);

    headerWidget_ = new QWidget(panel_);
    headerWidget_->setObjectName("HeaderWidget");
    headerWidget_->setStyleSheet("QWidget#HeaderWidget { background-color: #808182; }");
    headerWidget_->setFixedHeight(kHeaderHeight);
    headerLayout_ = new QHBoxLayout(headerWidget_);
    headerLayout_->setContentsMargins(10, 10, 10, 10);
    headerLayout_->setSpacing(0);
    titleLabel_ = new QLabel(headerWidget_);
    titleLabel_->setObjectName("TitleLabel");
    titleLabel_->setStyleSheet("color: white");
    QFont titleFont("Arial Semibold");
    titleFont.setPointSize(13);
    titleLabel_->setFont(titleFont);
    titleLabel_->setAlignment(Qt::AlignVCenter);
    auto* closeButton = new QPushButton(headerWidget_);
    closeButton->setObjectName("CloseButton");
    closeButton->setStyleSheet("border-image: url(:/Resources/Buttons/history_close.png);");
    closeButton->setFixedSize(14, 14);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    headerLayout_->addWidget(titleLabel_);
    headerLayout_->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    headerLayout_->addWidget(closeButton);
    headerWidget_->adjustSize();

    scrollArea_ = new QScrollArea(panel_);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setLineWidth(0);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setWidgetResizable(true);
    scrollWidget_ = new QWidget();
    scrollWidget_->setObjectName("ScrollWidget");
    scrollWidget_->setStyleSheet("QWidget#ScrollWidget { background-color: rgb(236, 252, 255); }");
    auto* scrollLayout = new QVBoxLayout(scrollWidget_);
    scrollLayout->setAlignment(Qt::AlignTop);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    scrollLayout->setSpacing(0);
    scrollArea_->setWidget(scrollWidget_);
    scrollWidget_->show();
    scrollWidget_->adjustSize();
    scrollArea_->adjustSize();

    noItemWidget_ = new QWidget(panel_);
    noItemWidget_->setObjectName("NoItemWidget");
    noItemWidget_->setStyleSheet("QWidget#NoItemWidget { background-color: rgb(230, 230, 230); }");
    noItemLabel_ = new QLabel(noItemWidget_);
    noItemLabel_->setObjectName("NoItemLabel");
    noItemLabel_->setStyleSheet("color: rgb(159, 157, 158);");
    auto* noItemLayout = new QHBoxLayout(noItemWidget_);
    noItemLayout->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    noItemLayout->addWidget(noItemLabel_);
    noItemLayout->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    noItemWidget_->adjustSize();

    panelLayout_ = new QVBoxLayout(panel_);
    panelLayout_->setContentsMargins(1, 1, 1, 1);
    panelLayout_->setSpacing(0);
    panelLayout_->addWidget(headerWidget_);
    panelLayout_->addWidget(scrollArea_);
    panelLayout_->addWidget(noItemWidget_);

    panel_->setMinimumSize(kPanelSize);
    panel_->setMaximumSize(kPanelSize);

    scrollArea_->hide();
    noItemWidget_->show();

    outerLayout->addWidget(panel_);
    panel_->adjustSize();
    adjustSize();

    // The texts come with the language-change event of the catalogue installed at
    // start-up; until then (and in a program without catalogues) show the source texts.
    retranslate();
}

void HistoryWidget::addRecord(const HistoryRecord& record) {
    ++rowCount_;
    auto* row = new HistoryWidgetItem();
    colorRow(row, rowCount_ % 2 == 1);
    row->setMinimumHeight(kRowHeight);
    row->setMaximumHeight(kRowHeight);
    row->setRecord(record);
    connect(row, &HistoryWidgetItem::removed, this, &HistoryWidget::onItemClose);
    connect(row, &HistoryWidgetItem::copiedToClipboard, this, &HistoryWidget::copiedToClipboard);
    items_.prepend(row);
    static_cast<QVBoxLayout*>(scrollWidget_->layout())->insertWidget(0, row);

    noItemWidget_->hide();
    scrollArea_->show();
    scrollWidget_->update();
    scrollArea_->update();
    update();
}

void HistoryWidget::onItemClose(const HistoryRecord& record) {
    auto* row = qobject_cast<HistoryWidgetItem*>(sender());
    store_->remove(record);
    // Only a row of this window changes the count: a stray signal must not leave the
    // window claiming rows it does not have.
    if (row && items_.removeOne(row)) {
        rowCount_ = items_.size();
        // Destroyed later: this runs inside the row's own signal.
        row->hide();
        row->deleteLater();
    }
    if (rowCount_ == 0) {
        scrollArea_->hide();
        noItemWidget_->show();
    }
    recolorRows();
}

void HistoryWidget::recolorRows() {
    for (int i = 0; i < items_.size(); ++i)
        colorRow(items_.at(i), i % 2 == 0);
}

void HistoryWidget::colorRow(HistoryWidgetItem* row, bool firstColors) {
    const QString style("background-color: %1;");
    row->setMainStyle(style.arg(firstColors ? rowColor1_ : rowColor2_));
    row->setRightStyle(style.arg(firstColors ? rowColor3_ : rowColor4_));
}

bool HistoryWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        close();
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void HistoryWidget::retranslate() {
    titleLabel_->setText(tr("History"));
    noItemLabel_->setText(tr("There are no items"));
}
