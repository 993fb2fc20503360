#pragma once

#include "upload/SocialNetwork.h"

#include <QWidget>

class QLabel;
class QPushButton;

// Everything the finished panels offer, in one ordinary window that the desktop places, for
// desktops where the program cannot put its panels beside the recorded area. Every action
// is a labelled button, reached by mouse and by keyboard; closing the window is Close.
// GUI thread only.
class FinishedWindow : public QWidget {
    Q_OBJECT
public:
    FinishedWindow();

    // While the file is still being finished it says so, and Save waits.
    void setFinishing(bool finishing);
    void retranslate();

signals:
    void saveClicked();
    void uploadClicked();
    void shareClicked(SocialNetwork network);
    void closeClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* saveButton_;
    QPushButton* uploadButton_;
    QPushButton* facebookButton_;
    QPushButton* twitterButton_;
    QPushButton* redditButton_;
    QPushButton* closeButton_;
    QLabel* finishingLabel_;
    // Save had the focus when it had to wait for the file, and lent it to Upload.
    bool saveLentFocus_ = false;
};
