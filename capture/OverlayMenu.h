#pragma once

#include <QMenu>
#include <QObject>

class QAction;
class SoundSourceMenu;

// The overlay's context menu: record without or with sound, clear the area, close, and the
// choice of what "with sound" records.
class OverlayMenu : public QObject {
    Q_OBJECT
public:
    explicit OverlayMenu(QObject* parent = nullptr);

    void retranslate();
    // Runs the menu at a global position; "Record" and "Clear" need an area.
    void exec(QPoint globalPos, bool hasArea);

signals:
    void recordClicked();
    void recordWithSoundClicked();
    void clearClicked();
    void closeClicked();

private:
    QMenu menu_;
    QAction* record_;
    QAction* recordWithSound_;
    QAction* clear_;
    QAction* close_;
    SoundSourceMenu* soundSources_;
};
