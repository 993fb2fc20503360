#pragma once

#include <QPen>
#include <QWidget>

// The dashed frame drawn just outside the area being recorded, in a frameless window of its
// own while the capture control is hidden. The window is shaped to the frame's ring: on a
// desktop without a compositing manager a "transparent" window hides what lies beneath it,
// and the inner area is exactly what is being recorded.
class RecordRect : public QWidget {
    Q_OBJECT
public:
    RecordRect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// The white dashes of the selection and recording frames, drawn over a solid black line so
// that the frame shows on light and dark desktops alike.
QPen dashedFramePen(double width);
