#pragma once

#include "history/HistoryRecord.h"

#include <QPushButton>
#include <QWidget>

class PushButtonWithTooltip;
class QLabel;

// One row of the history window: the time and date of one upload and three buttons that
// copy the link, open it in the browser and delete the record. The row never talks to the
// history store; it only signals. GUI thread only.
class HistoryWidgetItem : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWidgetItem(QWidget* parent = nullptr);

    // The background of the whole row and of its right part, as style declarations such
    // as "background-color: #e0e0e0;".
    void setMainStyle(const QString& style);
    void setRightStyle(const QString& style);

    void setRecord(const HistoryRecord& record);
    const HistoryRecord& getRecord() const { return record_; }

signals:
    void removed(const HistoryRecord& record);
    void copiedToClipboard();

private slots:
    void onCopyUrlToClipboard();
    void onOpenUrl();
    void onDelete();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    HistoryRecord record_;
    QWidget* rowWidget_;
    QLabel* timeLabel_;
    QWidget* rightWidget_;
    QLabel* dateLabel_;
    PushButtonWithTooltip* copyButton_;
    PushButtonWithTooltip* openButton_;
    PushButtonWithTooltip* deleteButton_;
};
