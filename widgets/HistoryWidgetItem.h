#pragma once

#include "history/HistoryRecord.h"
#include "widgets/HistoryRow.h"

class LinkText;
class PushButtonWithTooltip;
class QLabel;

// One row of the history window for an uploaded video: when it was recorded, its link, and
// three buttons that copy the link, open it in the browser and ask to remove it from the
// history. The row never talks to the history store; it only signals. GUI thread only.
class HistoryWidgetItem : public HistoryRow {
    Q_OBJECT
public:
    explicit HistoryWidgetItem(QWidget* parent = nullptr);

    // The background of the row's right part, as a style declaration such as
    // "background-color: #e0e0e0;" (setMainStyle() gives the whole row's).
    void setRightStyle(const QString& style);

    void setRecord(const HistoryRecord& record);
    const HistoryRecord& getRecord() const { return record_; }

    // The recording this link was uploaded from, while it is still kept (empty: none): the
    // row then offers to save it and to open its folder.
    void setKeptRecording(const QString& filePath);
    const QString& keptRecording() const { return keptRecording_; }

signals:
    // The user asked to remove the record from the history (not yet confirmed).
    void removed(const HistoryRecord& record);
    void copiedToClipboard();
    void saveRecordingRequested(const QString& filePath);
    void openFolderRequested(const QString& filePath);

private slots:
    void onCopyUrlToClipboard();
    void onOpenUrl();
    void onDelete();

private:
    void retranslate() override;
    void showRecord();

    HistoryRecord record_;
    QLabel* dateLabel_;
    LinkText* linkText_;
    QWidget* rightWidget_;
    PushButtonWithTooltip* copyButton_;
    PushButtonWithTooltip* openButton_;
    PushButtonWithTooltip* deleteButton_;
    QString keptRecording_;
    PushButtonWithTooltip* saveButton_;
    PushButtonWithTooltip* folderButton_;
};
