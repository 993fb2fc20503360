#pragma once

#include <QMenu>

class QActionGroup;
class QSettings;

// The tray's choice of a countdown before each recording: off or a few seconds. The checked
// entry is the stored setting, which a choice writes at once. GUI thread only.
class CountdownMenu : public QMenu {
    Q_OBJECT
public:
    CountdownMenu(QSettings& settings, QWidget* parent);

    // The lengths offered, in seconds (0: off); a stored length outside the usual ones is
    // offered too, so that the menu shows what is in force.
    static QList<int> choices(int stored);

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void retranslate();

    QSettings& settings_;
    QActionGroup* group_;
};
