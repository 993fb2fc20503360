#pragma once

#include <QMenu>
#include <QObject>

class QAction;
class SoundSourceMenu;

// The overlay's context menu: record without or with sound, clear the area, close, the whole
// screen, the last area again, and the choice of what "with sound" records.
class OverlayMenu : public QObject {
    Q_OBJECT
public:
    explicit OverlayMenu(QObject* parent = nullptr);

    void retranslate();
    // Runs the menu at a global position; "Record" and "Clear" need an area, "Use the last
    // area" one to offer.
    void exec(QPoint globalPos, bool hasArea, bool hasLastArea);

signals:
    void recordClicked();
    void recordWithSoundClicked();
    void clearClicked();
    void closeClicked();
    void wholeScreenClicked();
    void lastAreaClicked();

private:
    QMenu menu_;
    QAction* record_;
    QAction* recordWithSound_;
    QAction* clear_;
    QAction* close_;
    // After the entries of old, which keep their places.
    QAction* wholeScreen_;
    QAction* lastArea_;
    SoundSourceMenu* soundSources_;
};
