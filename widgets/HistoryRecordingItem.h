#pragma once

#include "history/RecordingStore.h"

#include <QWidget>

class PushButtonWithTooltip;
class QLabel;

// One row of the history window for a recording that is still only on this computer: not
// uploaded, its upload failed, being uploaded, or recovered after a crash. It shows when it
// was made and what became of it, and offers upload again, save and delete. It decides
// nothing itself: each button only signals with the recording's path. GUI thread only.
class HistoryRecordingItem : public QWidget {
    Q_OBJECT
public:
    explicit HistoryRecordingItem(QWidget* parent = nullptr);

    void setEntry(const RecordingEntry& entry);
    const RecordingEntry& entry() const { return entry_; }

    // The background of the row, as a style declaration such as "background-color: #fff;".
    void setMainStyle(const QString& style);

    // What the status line says of `entry`, in the current interface language, in full.
    static QString statusText(const RecordingEntry& entry);

signals:
    void uploadAgainRequested(const QString& filePath);
    void saveRequested(const QString& filePath);
    void deleteRequested(const QString& filePath);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showEntry();

    RecordingEntry entry_;
    QWidget* rowWidget_;
    QLabel* dateLabel_;
    QLabel* statusLabel_;
    PushButtonWithTooltip* uploadButton_;
    PushButtonWithTooltip* saveButton_;
    PushButtonWithTooltip* deleteButton_;
};
