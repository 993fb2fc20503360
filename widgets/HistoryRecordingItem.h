#pragma once

#include "history/RecordingStore.h"
#include "widgets/HistoryRow.h"

class PushButtonWithTooltip;
class QLabel;

// One row of the history window for a recording that is still only on this computer: not
// uploaded, its upload failed, being uploaded, or recovered after a crash. It shows when it
// was made and what became of it, and offers upload again, save and delete. It decides
// nothing itself: each button only signals with the recording's path. GUI thread only.
class HistoryRecordingItem : public HistoryRow {
    Q_OBJECT
public:
    explicit HistoryRecordingItem(QWidget* parent = nullptr);

    void setEntry(const RecordingEntry& entry);
    const RecordingEntry& entry() const { return entry_; }

    // What the status line says of `entry`, in the current interface language, in full.
    static QString statusText(const RecordingEntry& entry);

signals:
    void uploadAgainRequested(const QString& filePath);
    void saveRequested(const QString& filePath);
    void deleteRequested(const QString& filePath);

private:
    void retranslate() override;
    void showEntry();

    RecordingEntry entry_;
    QLabel* dateLabel_;
    QLabel* statusLabel_;
    PushButtonWithTooltip* uploadButton_;
    PushButtonWithTooltip* saveButton_;
    PushButtonWithTooltip* deleteButton_;
};
