#pragma once

#include <QActionGroup>
#include <QObject>

class QAction;
class QMenu;

// The choice of what "Record with sound" records, as three exclusive entries at the end of a
// menu: "Microphone", "Computer sound" and "Both". The choice lives in the settings, so every
// menu that offers it shows the same; each menu reads it again when it opens. GUI thread
// only.
class SoundSourceMenu : public QObject {
    Q_OBJECT
public:
    // Adds a separator and the entries to `menu`, which outlives this object.
    SoundSourceMenu(QMenu* menu, QObject* parent);

    // Sets the entries' texts in the current language.
    void retranslate();

private:
    void refresh();

    QActionGroup group_;
    QAction* microphone_;
    QAction* computer_;
    QAction* both_;
};
