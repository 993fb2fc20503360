#pragma once

#include <QPainterPath>
#include <QWidget>

// The large number counted down over the area about to be recorded. The window is shaped to
// the number's outline: on a desktop without a compositing manager a "transparent" window
// would hide the whole square beneath it. It holds the keyboard while shown, so that Escape
// reaches it whichever window has the focus. GUI thread only.
class CountdownWindow : public QWidget {
    Q_OBJECT
public:
    CountdownWindow();

    // Shows `number` centred on `area` (screen coordinates), sized to the area.
    void showNumber(int number, const QRect& area);
    int number() const { return number_; }

signals:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void takeKeyboard(int attemptsLeft);

    QPainterPath glyph_;
    qreal outlineWidth_ = 1;
    int number_ = 0;
};
