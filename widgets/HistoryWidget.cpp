#include "widgets/HistoryWidget.h"

#include "history/HistoryManager.h"
#include "widgets/DesktopTraits.h"
#include "widgets/HistoryRecordingItem.h"
#include "widgets/HistoryWidgetItem.h"
#include "widgets/PlainMessageBox.h"

#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {

// The panel's size: tall enough for six rows under the header, and at least this wide (wider
// where a language or a font needs it for the rows' texts).
const QSize kPanelSize(230, 284);
const int kHeaderHeight = 41;
const int kRowHeight = 40;
// Recordings still to be dealt with: a warm tint sets them apart from the grey link rows.
const char* const kRecordingRowColor1 = "#f6efe0";
const char* const kRecordingRowColor2 = "#fbf7ee";

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
    panel_->setStyleSheet(kPanelStyle);
    auto* outerLayout = new QVBoxLayout(this);
    blendedMargins_ = outerLayout->contentsMargins();

    buildHeader();
    buildList();
    buildEmptyText();

    panelLayout_ = new QVBoxLayout(panel_);
    panelLayout_->setContentsMargins(1, 1, 1, 1);
    panelLayout_->setSpacing(0);
    panelLayout_->addWidget(headerWidget_);
    panelLayout_->addWidget(scrollArea_);
    panelLayout_->addWidget(noItemWidget_);

    panel_->setFixedSize(kPanelSize);

    scrollArea_->hide();
    noItemWidget_->show();

    outerLayout->addWidget(panel_);
    panel_->adjustSize();
    adjustSize();

    // The title and the empty list hold the window where the user grabs it.
    headerWidget_->installEventFilter(this);
    noItemWidget_->installEventFilter(this);
    scrollWidget_->installEventFilter(this);

    // The texts come with the language-change event of the catalogue installed at
    // start-up; until then (and in a program without catalogues) show the source texts.
    retranslate();
}

void HistoryWidget::buildHeader() {
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
}

void HistoryWidget::buildList() {
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
    // The recordings come first, above every link row.
    recordingsBox_ = new QWidget(scrollWidget_);
    recordingsBox_->setObjectName("RecordingsBox");
    auto* recordingsLayout = new QVBoxLayout(recordingsBox_);
    recordingsLayout->setContentsMargins(0, 0, 0, 0);
    recordingsLayout->setSpacing(0);
    scrollLayout->addWidget(recordingsBox_);
    recordingsBox_->hide();
    scrollArea_->setWidget(scrollWidget_);
    scrollWidget_->show();
    scrollWidget_->adjustSize();
    scrollArea_->adjustSize();
}

void HistoryWidget::buildEmptyText() {
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
    connect(row, &HistoryWidgetItem::saveRecordingRequested, this, &HistoryWidget::saveRequested);
    connect(row, &HistoryWidgetItem::openFolderRequested, this,
            &HistoryWidget::openFolderRequested);
    showKeptRecording(row);
    items_.prepend(row);
    // Right below the recordings, which stay on top.
    static_cast<QVBoxLayout*>(scrollWidget_->layout())->insertWidget(1, row);

    showListOrEmptyText();
    fitWidth();
}

void HistoryWidget::setRecordings(const QList<RecordingEntry>& recordings) {
    QList<RecordingEntry> shown;
    for (const RecordingEntry& entry : recordings) {
        if (entry.state != RecordingState::Recording)
            shown.append(entry);
    }
    std::stable_sort(
        shown.begin(), shown.end(),
        [](const RecordingEntry& a, const RecordingEntry& b) { return a.created > b.created; });

    auto* layout = static_cast<QVBoxLayout*>(recordingsBox_->layout());
    QList<HistoryRecordingItem*> rows;
    for (const RecordingEntry& entry : std::as_const(shown)) {
        // A row that is already there is kept: the pointer may be over one of its buttons.
        const auto found = std::find_if(recordingRows_.cbegin(), recordingRows_.cend(),
                                        [&](const HistoryRecordingItem* row) {
                                            return row->entry().filePath == entry.filePath;
                                        });
        HistoryRecordingItem* row = nullptr;
        if (found != recordingRows_.cend()) {
            row = *found;
            recordingRows_.removeOne(row);
        } else {
            row = new HistoryRecordingItem();
            row->setMinimumHeight(kRowHeight);
            row->setMaximumHeight(kRowHeight);
            connect(row, &HistoryRecordingItem::uploadAgainRequested, this,
                    &HistoryWidget::uploadAgainRequested);
            connect(row, &HistoryRecordingItem::retryNowRequested, this,
                    &HistoryWidget::retryNowRequested);
            connect(row, &HistoryRecordingItem::saveRequested, this, &HistoryWidget::saveRequested);
            connect(row, &HistoryRecordingItem::deleteRequested, this,
                    &HistoryWidget::deleteRequested);
        }
        row->setEntry(entry);
        rows.append(row);
    }
    // What is left has gone from the list. Destroyed later: this may run inside one of the
    // row's own signals (a deletion that the store announced at once).
    for (HistoryRecordingItem* gone : std::as_const(recordingRows_)) {
        layout->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    recordingRows_ = rows;
    for (int i = 0; i < recordingRows_.size(); ++i) {
        HistoryRecordingItem* row = recordingRows_.at(i);
        layout->removeWidget(row);
        layout->insertWidget(i, row);
        row->setMainStyle(
            QString("background-color: %1;")
                .arg(QLatin1String(i % 2 == 0 ? kRecordingRowColor1 : kRecordingRowColor2)));
    }
    recordingsBox_->setVisible(!recordingRows_.isEmpty());
    showListOrEmptyText();
    fitWidth();
}

void HistoryWidget::setKeptUploads(const QList<RecordingEntry>& recordings) {
    keptUploads_.clear();
    for (const RecordingEntry& e : recordings) {
        if (e.state == RecordingState::Uploaded)
            keptUploads_.append(e);
    }
    for (HistoryWidgetItem* row : std::as_const(items_))
        showKeptRecording(row);
}

void HistoryWidget::showKeptRecording(HistoryWidgetItem* row) const {
    // A link and its recording belong together when the upload's moment and link match.
    const HistoryRecord& record = row->getRecord();
    QString path;
    for (const RecordingEntry& e : keptUploads_) {
        if (e.uploadedAt == record.date && QUrl(e.link) == record.url)
            path = e.filePath;
    }
    row->setKeptRecording(path);
}

void HistoryWidget::showListOrEmptyText() {
    const bool empty = isEmpty();
    noItemWidget_->setVisible(empty);
    scrollArea_->setVisible(!empty);
    scrollWidget_->update();
    scrollArea_->update();
    update();
}

void HistoryWidget::onItemClose(const HistoryRecord& record) {
    auto* row = qobject_cast<HistoryWidgetItem*>(sender());
    if (question_)
        return; // one question at a time
    // Removing the row hides the link from this window only: the video stays public at it.
    auto* box = new PlacedMessageBox(
        QMessageBox::Question, tr("Remove from history"),
        tr("Remove this link from the history? The video stays on the service: anyone who has "
           "the link can still watch it."),
        QMessageBox::Cancel, this);
    box->setObjectName("RemoveQuestion");
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* remove = box->addButton(tr("Remove"), QMessageBox::AcceptRole);
    box->setDefaultButton(QMessageBox::Cancel);
    QPointer<HistoryWidgetItem> asked = row;
    connect(box, &QMessageBox::finished, this, [this, box, remove, asked, record] {
        if (box->clickedButton() == remove)
            removeRow(asked, record);
    });
    // The question counts as open until it is gone, activation changes of its closing included;
    // then the window takes the activation back, so that a click elsewhere closes it again.
    connect(box, &QObject::destroyed, this, [this] {
        if (!isVisible())
            return;
        takingActivationBack_ = true;
        activateWindow();
    });
    question_ = box;
    box->open();
}

void HistoryWidget::removeRow(HistoryWidgetItem* row, const HistoryRecord& record) {
    store_->remove(record);
    // Only a row of this window changes the count: a stray signal must not leave the
    // window claiming rows it does not have.
    if (row && items_.removeOne(row)) {
        rowCount_ = items_.size();
        // Destroyed later: this may run inside the row's own signal.
        row->hide();
        row->deleteLater();
    }
    showListOrEmptyText();
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
        // The window's own question takes the activation for a moment, and may hand it on to
        // nothing as it goes: the window takes it back then (see onItemClose()).
        if (!question_ && !takingActivationBack_)
            close();
        return false;
    }
    if (watched == this && event->type() == QEvent::WindowActivate)
        takingActivationBack_ = false;
    if (watched != this && dragEvent(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void HistoryWidget::fitWidth() {
    // Only the recording rows' state lines and the links give way to a narrow window.
    const int rows = scrollWidget_->minimumSizeHint().width();
    const int needed = rows + scrollArea_->verticalScrollBar()->sizeHint().width() +
                       panelLayout_->contentsMargins().left() +
                       panelLayout_->contentsMargins().right();
    const QSize size(std::max(kPanelSize.width(), needed), kPanelSize.height());
    if (panel_->size() == size && panel_->minimumSize() == size)
        return;
    panel_->setFixedSize(size);
    adjustSize();
    if (isVisible())
        move(keptOnScreen(pos()));
}

void HistoryWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    // Another font writes the rows' moments wider or narrower; they hear of it after the window.
    if (event->type() == QEvent::FontChange)
        QMetaObject::invokeMethod(this, &HistoryWidget::fitWidth, Qt::QueuedConnection);
    QWidget::changeEvent(event);
}

void HistoryWidget::retranslate() {
    titleLabel_->setText(tr("History"));
    noItemLabel_->setText(tr("There are no items"));
    // The rows rewrite their texts after the window hears of the language.
    QMetaObject::invokeMethod(this, &HistoryWidget::fitWidth, Qt::QueuedConnection);
}
