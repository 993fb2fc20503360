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
const QSize panelSize(230, 284);
const int headerHeight = 41;
const int rowHeight = 40;

} // namespace

HistoryWidget::HistoryWidget(QWidget* parent)
    : HistoryWidget(HistoryManager::instance(), parent) {}

HistoryWidget::HistoryWidget(HistoryManager* store, QWidget* parent)
    : QWidget(parent)
    , store(store) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    installEventFilter(this);

    panel = new QWidget(this);
    panel->setObjectName("HistoryWidget");
    panel->setStyleSheet("QWidget#HistoryWidget { background-color: rgb(118, 121, 122); "
                         "border-radius: 3px; }");
    auto* outerLayout = new QVBoxLayout(this);

    headerWidget = new QWidget(panel);
    headerWidget->setObjectName("HeaderWidget");
    headerWidget->setStyleSheet("QWidget#HeaderWidget { background-color: #808182; }");
    headerWidget->setFixedHeight(headerHeight);
    headerLayout = new QHBoxLayout(headerWidget);
    headerLayout->setContentsMargins(10, 10, 10, 10);
    headerLayout->setSpacing(0);
    titleLabel = new QLabel(headerWidget);
    titleLabel->setObjectName("TitleLabel");
    titleLabel->setStyleSheet("color: white");
    QFont titleFont("Arial Semibold");
    titleFont.setPointSize(13);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignVCenter);
    auto* closeButton = new QPushButton(headerWidget);
    closeButton->setObjectName("CloseButton");
    closeButton->setStyleSheet("border-image: url(:/Resources/Buttons/history_close.png);");
    closeButton->setFixedSize(14, 14);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    headerLayout->addWidget(titleLabel);
    headerLayout->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    headerLayout->addWidget(closeButton);
    headerWidget->adjustSize();

    scrollArea = new QScrollArea(panel);
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setLineWidth(0);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    scrollWidget = new QWidget();
    scrollWidget->setObjectName("ScrollWidget");
    scrollWidget->setStyleSheet("QWidget#ScrollWidget { background-color: rgb(236, 252, 255); }");
    auto* scrollLayout = new QVBoxLayout(scrollWidget);
    scrollLayout->setAlignment(Qt::AlignTop);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    scrollLayout->setSpacing(0);
    scrollArea->setWidget(scrollWidget);
    scrollWidget->show();
    scrollWidget->adjustSize();
    scrollArea->adjustSize();

    noItemWidget = new QWidget(panel);
    noItemWidget->setObjectName("NoItemWidget");
    noItemWidget->setStyleSheet("QWidget#NoItemWidget { background-color: rgb(230, 230, 230); }");
    noItemLabel = new QLabel(noItemWidget);
    noItemLabel->setObjectName("NoItemLabel");
    noItemLabel->setStyleSheet("color: rgb(159, 157, 158);");
    auto* noItemLayout = new QHBoxLayout(noItemWidget);
    noItemLayout->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    noItemLayout->addWidget(noItemLabel);
    noItemLayout->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    noItemWidget->adjustSize();

    panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(headerWidget);
    panelLayout->addWidget(scrollArea);
    panelLayout->addWidget(noItemWidget);

    panel->setMinimumSize(panelSize);
    panel->setMaximumSize(panelSize);

    scrollArea->hide();
    noItemWidget->show();

    outerLayout->addWidget(panel);
    panel->adjustSize();
    adjustSize();

    // The texts come with the language-change event of the catalogue installed at
    // start-up; until then (and in a program without catalogues) show the source texts.
    retranslate();
}

void HistoryWidget::addRecord(const HistoryRecord& record) {
    ++rowCount;
    auto* row = new HistoryWidgetItem();
    colorRow(row, rowCount % 2 == 1);
    row->setMinimumHeight(rowHeight);
    row->setMaximumHeight(rowHeight);
    row->setRecord(record);
    connect(row, &HistoryWidgetItem::removed, this, &HistoryWidget::onItemClose);
    connect(row, &HistoryWidgetItem::copiedToClipboard, this, &HistoryWidget::copiedToClipboard);
    items.prepend(row);
    static_cast<QVBoxLayout*>(scrollWidget->layout())->insertWidget(0, row);

    noItemWidget->hide();
    scrollArea->show();
    scrollWidget->update();
    scrollArea->update();
    update();
}

void HistoryWidget::onItemClose(const HistoryRecord& record) {
    auto* row = qobject_cast<HistoryWidgetItem*>(sender());
    store->remove(record);
    // Only a row of this window changes the count: a stray signal must not leave the
    // window claiming rows it does not have.
    if (row && items.removeOne(row)) {
        rowCount = items.size();
        // Destroyed later: this runs inside the row's own signal.
        row->hide();
        row->deleteLater();
    }
    if (rowCount == 0) {
        scrollArea->hide();
        noItemWidget->show();
    }
    recolorRows();
}

void HistoryWidget::recolorRows() {
    for (int i = 0; i < items.size(); ++i)
        colorRow(items.at(i), i % 2 == 0);
}

void HistoryWidget::colorRow(HistoryWidgetItem* row, bool firstColors) {
    const QString style("background-color: %1;");
    row->setMainStyle(style.arg(firstColors ? rowColor1 : rowColor2));
    row->setRightStyle(style.arg(firstColors ? rowColor3 : rowColor4));
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
    titleLabel->setText(tr("History"));
    noItemLabel->setText(tr("There are no items"));
}
