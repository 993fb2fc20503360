#pragma once

#include "upload/SocialNetwork.h"

#include <QWidget>

class PushButtonWithTooltip;

// The window of share targets beside the finished panel's share button. Escape closes the
// finished panels, as on the finished panel itself.
class SharePanel : public QWidget {
    Q_OBJECT
public:
    SharePanel();
    void retranslate();

signals:
    void shareClicked(SocialNetwork network);
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* panel_;
    PushButtonWithTooltip* facebookButton_;
    PushButtonWithTooltip* twitterButton_;
    PushButtonWithTooltip* redditButton_;
};
