#pragma once

#include <QObject>
#include <QString>

class PopupNotify;

// The program's own messages to the user that need no answer (a shortcut that cannot be
// had, a recording already under way, no tray): one popup in the middle of the screen our
// windows go to, shown long enough to read two sentences. GUI thread only.
class Notices : public QObject {
    Q_OBJECT
public:
    // `windowTitle` names the popup window for the window manager's lists.
    explicit Notices(const QString& windowTitle, QObject* parent = nullptr);
    ~Notices() override;

public slots:
    // Shows `text` as plain text, in place of a notice still showing.
    void show(const QString& text);

private:
    // Parentless: it is a window of its own.
    PopupNotify* popup_;
};
