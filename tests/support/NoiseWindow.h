#pragma once

#include <QRasterWindow>
#include <QTimer>

// A frameless window on top of everything, of coloured blocks that change every frame:
// content that keeps a recording at its full picture rate and costs the encoder bytes.
class NoiseWindow : public QRasterWindow {
public:
    NoiseWindow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
};
