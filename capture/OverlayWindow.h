#pragma once

#include <QPixmap>
#include <QWidget>

class QPainter;
class QScreen;
class ScreenLayout;
class SelectionModel;

// The overlay on one monitor: its frozen picture, dimmed outside the selection, with the
// selection's frame and handles. Every monitor has one, all alike; what the pointer and the
// keyboard do on it goes out in overlay units. GUI thread only.
class OverlayWindow : public QWidget {
    Q_OBJECT
public:
    // `model` and `layout` are read when painting; they must outlive the window.
    OverlayWindow(const SelectionModel& model, const ScreenLayout& layout);

    // The monitor this window covers: its index in the layout and its screen.
    void setPart(int index, QScreen* screen);
    int part() const { return part_; }
    QScreen* monitor() const { return screen_; }
    // The monitor as it looked when the overlay was opened.
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }

signals:
    void pressed(QPoint overlayPoint, Qt::MouseButton button);
    void moved(QPoint overlayPoint, Qt::MouseButtons buttons);
    void released(QPoint overlayPoint, Qt::MouseButton button);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void contextMenuRequested(QPoint globalPos);
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPoint toOverlay(QPointF local) const;
    // While nothing is selected: the outline of what a click takes and the last area.
    void paintOffers(QPainter& painter) const;

    const SelectionModel& model_;
    const ScreenLayout& layout_;
    int part_ = -1;
    QScreen* screen_ = nullptr;
    QPixmap picture_;
};
