#pragma once

#include <QWidget>

class CropCtrl;

// A monitor's window of the capture overlay besides the control's own. Under a scale factor
// Qt gives each monitor a logical geometry of its own with gaps between them, so a single
// window cannot cover them all: each monitor gets its own window, which paints the control's
// picture of that monitor and hands the pointer and the keys to the control.
class OverlaySurface : public QWidget {
public:
    explicit OverlaySurface(CropCtrl* control);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CropCtrl* control_;
};
