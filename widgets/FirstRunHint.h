#pragma once

#include <QKeySequence>
#include <QWidget>

class QLabel;
class QPushButton;

// Shown once, at the program's first start: where the program lives (the tray, or without one
// the record button) and how a recording starts. GUI thread only.
class FirstRunHint : public QWidget {
    Q_OBJECT
public:
    // `tray`: whether a tray icon is there; `capture`: the key combination that opens the
    // capture, empty when none is in force.
    FirstRunHint(bool tray, const QKeySequence& capture, QWidget* parent = nullptr);

    QString text() const;

signals:
    void settingsWanted();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    const bool tray_;
    const QKeySequence capture_;
    QLabel* label_;
    QPushButton* settingsButton_;
    QPushButton* okButton_;
};
