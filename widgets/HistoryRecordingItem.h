#pragma once

#include "history/RecordingStore.h"
#include "widgets/HistoryRow.h"

#include <QTimer>

class PushButtonWithTooltip;
class QLabel;
class QStackedLayout;

// One row of the history window for a recording that is still only on this computer: not
// uploaded, its upload failed, being uploaded or waiting to retry, or recovered after a crash.
// It shows when it was made and what became of it, and offers upload again (or, while a retry
// waits, retry now), save and delete. It decides nothing itself: each button only signals with
// the recording's path. GUI thread only.
class HistoryRecordingItem : public HistoryRow {
    Q_OBJECT
public:
    explicit HistoryRecordingItem(QWidget* parent = nullptr);

    void setEntry(const RecordingEntry& entry);
    const RecordingEntry& entry() const { return entry_; }

    // What the status line says of `entry` at `now`, in the current interface language, in full.
    static QString statusText(const RecordingEntry& entry,
                              const QDateTime& now = QDateTime::currentDateTime());
    // Whether `entry` waits for the queue's next automatic try at a known moment.
    static bool waitsForRetry(const RecordingEntry& entry);

    // The status line counts down to the next try: only while the row is on screen.
    bool isCountingDown() const { return countdown_.isActive(); }

signals:
    void uploadAgainRequested(const QString& filePath);
    void retryNowRequested(const QString& filePath);
    void saveRequested(const QString& filePath);
    void deleteRequested(const QString& filePath);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void retranslate() override;
    void showEntry();
    void showStatus();
    void followCountdown();

    RecordingEntry entry_;
    QLabel* dateLabel_;
    QLabel* statusLabel_;
    // One place for the upload button: upload again, retry now, or nothing while uploading.
    QStackedLayout* uploadSlot_;
    PushButtonWithTooltip* uploadButton_;
    PushButtonWithTooltip* retryButton_;
    QWidget* noUploadButton_;
    PushButtonWithTooltip* saveButton_;
    PushButtonWithTooltip* deleteButton_;
    QTimer countdown_;
};
