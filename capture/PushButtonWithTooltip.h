#pragma once

#include <QPushButton>
#include <QString>

// Push button of the capture panels that shows its text next to the pointer at once, on
// every pointer move over it, without the toolkit's tooltip delay.
class PushButtonWithTooltip : public QPushButton {
    Q_OBJECT
public:
    explicit PushButtonWithTooltip(QWidget* parent = nullptr);

    // Shown at the pointer; its owner assigns it.
    QString tooltipText;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};
