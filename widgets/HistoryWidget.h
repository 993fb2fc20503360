#pragma once

#include "history/HistoryRecord.h"

#include <QList>
#include <QWidget>

class HistoryManager;
class HistoryWidgetItem;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The small frameless window listing the uploaded videos, newest at the top. It learns
// about records only through addRecord() and reports deletions to the history store. It
// hides itself as soon as it loses activation. GUI thread only.
class HistoryWidget : public QWidget {
    Q_OBJECT
public:
    // A window that reports deletions to HistoryManager::instance().
    explicit HistoryWidget(QWidget* parent = nullptr);
    // A window that reports deletions to `store` (tests give it a store of their own).
    explicit HistoryWidget(HistoryManager* store, QWidget* parent = nullptr);

    // The rows, index 0 being the top (newest) row.
    const QList<HistoryWidgetItem*>& rows() const { return items_; }

signals:
    void copiedToClipboard();

public slots:
    void addRecord(const HistoryRecord& record);

private slots:
    void onItemClose(const HistoryRecord& record);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void recolorRows();
    void colorRow(HistoryWidgetItem* row, bool firstColors);

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
    const QString rowColor1_ = "#e0e0e0";
    const QString rowColor2_ = "#ebebeb";
    const QString rowColor3_ = "#ebebeb";
    const QString rowColor4_ = "#f6f6f6";
    QWidget* noItemWidget_;
    QLabel* noItemLabel_;
};
