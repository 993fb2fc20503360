#pragma once

#include <QWidget>

class PushButtonWithTooltip;
class QLabel;

// The window beside a recording that stopped: save, upload, share or close. While the
// file is still being finished it says so, and Save waits. Escape is Close, as on the
// one-window variant.
class FinishedPanel : public QWidget {
    Q_OBJECT
public:
    FinishedPanel();

    void setFinishing(bool finishing);
    // The share button's place, which the share-target panel is centred on.
    QRect shareButtonGeometry() const;
    void retranslate();

signals:
    void saveClicked();
    void uploadClicked();
    // The share button: the share targets beside it come or go.
    void shareClicked();
    void closeClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* panel_;
    PushButtonWithTooltip* saveButton_;
    PushButtonWithTooltip* uploadButton_;
    PushButtonWithTooltip* shareButton_;
    PushButtonWithTooltip* closeButton_;
    QLabel* finishingLabel_;
};
