#pragma once

#include "history/HistoryRecord.h"
#include "history/RecordingStore.h"

#include <QList>
#include <QMargins>
#include <QPointer>
#include <QWidget>

#include <optional>

class HistoryManager;
class HistoryRecordingItem;
class HistoryWidgetItem;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The small frameless window listing the uploaded videos, newest at the top. It learns
// about records only through addRecord() and, once the user confirmed, reports removals to the
// history store. It hides itself as soon as it loses activation (not to its own question). The
// user moves it by dragging its title or its body; it stays on the screen. It is as wide as the
// longest moment its rows write needs. GUI thread only.
//
// Above the links it lists the recordings that are still only on this computer (not
// uploaded, failed, uploading, recovered), newest first, as setRecordings() last gave them.
// What their buttons ask for is only signalled; the window does none of it itself.
class HistoryWidget : public QWidget {
    Q_OBJECT
public:
    // Rounded in a see-through frame where the desktop blends windows, else opaque to the edge.
    // Done on showing; done before placing the window too, so that it is placed at the size it
    // will show at.
    void followBackdrop();

    // A window that reports deletions to HistoryManager::instance().
    explicit HistoryWidget(QWidget* parent = nullptr);
    // A window that reports deletions to `store` (tests give it a store of their own).
    explicit HistoryWidget(HistoryManager* store, QWidget* parent = nullptr);

    // The rows, index 0 being the top (newest) row.
    const QList<HistoryWidgetItem*>& rows() const { return items_; }
    // The rows of recordings, index 0 being the top (newest) one.
    const QList<HistoryRecordingItem*>& recordingRows() const { return recordingRows_; }
    // Neither links nor recordings to show.
    bool isEmpty() const { return rowCount_ == 0 && recordingRows_.isEmpty(); }

signals:
    void copiedToClipboard();
    void uploadAgainRequested(const QString& filePath);
    void retryNowRequested(const QString& filePath);
    void saveRequested(const QString& filePath);
    void deleteRequested(const QString& filePath);
    void openFolderRequested(const QString& filePath);

public slots:
    void addRecord(const HistoryRecord& record);
    // Shows these recordings (in any order) in place of the ones shown so far. Those still
    // being recorded are left out: there is nothing to do with them yet.
    void setRecordings(const QList<RecordingEntry>& recordings);
    // The uploaded recordings still kept (any others in the list are passed over): the link
    // rows they belong to offer Save and Open folder.
    void setKeptUploads(const QList<RecordingEntry>& recordings);

public:
    void setVisible(bool visible) override;

private slots:
    // Asks whether to remove the record; removes it and its row on the user's yes.
    void onItemClose(const HistoryRecord& record);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The parts of the panel, top to bottom: the title bar with its close button, the
    // scrolled rows (recordings above links) and the text shown instead when there are none.
    void buildHeader();
    void buildList();
    void buildEmptyText();
    void retranslate();
    void recolorRows();
    void colorRow(HistoryWidgetItem* row, bool firstColors);
    void showListOrEmptyText();
    void removeRow(HistoryWidgetItem* row, const HistoryRecord& record);
    // The panel's look where the desktop blends windows (rounded, in a see-through frame) and
    // where it does not (opaque to the edge).
    static constexpr const char* kPanelStyle =
        "QWidget#HistoryWidget { background-color: rgb(118, 121, 122); border-radius: 3px; }";
    static constexpr const char* kOpaquePanelStyle =
        "QWidget#HistoryWidget { background-color: rgb(118, 121, 122); }";
    // Wide enough for every row's texts in the current font and language.
    void fitWidth();
    // `topLeft` moved as little as needed for the window to lie on the free part of a screen.
    QPoint keptOnScreen(const QPoint& topLeft) const;
    bool dragEvent(QEvent* event);

    HistoryManager* store_;
    QWidget* panel_;
    int rowCount_ = 0;
    QList<HistoryWidgetItem*> items_;
    QVBoxLayout* panelLayout_;
    QWidget* headerWidget_;
    QHBoxLayout* headerLayout_;
    QLabel* titleLabel_;
    QScrollArea* scrollArea_;
    QWidget* scrollWidget_;
    QWidget* recordingsBox_;
    QList<HistoryRecordingItem*> recordingRows_;
    QList<RecordingEntry> keptUploads_;
    void showKeptRecording(HistoryWidgetItem* row) const;
    const QString rowColor1_ = "#e0e0e0";
    const QString rowColor2_ = "#ebebeb";
    const QString rowColor3_ = "#ebebeb";
    const QString rowColor4_ = "#f6f6f6";
    QWidget* noItemWidget_;
    QLabel* noItemLabel_;
    QMargins blendedMargins_;
    // Where the pointer holds the window while the user drags it; null while not dragging.
    std::optional<QPoint> dragOffset_;
    // The question of a removal, while it is open.
    QPointer<QWidget> question_;
    // The question is gone and the window asked for the activation back; until it has it,
    // losing the activation is the question's doing, not the user's.
    bool takingActivationBack_ = false;
};
