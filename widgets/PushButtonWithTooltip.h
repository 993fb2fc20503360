#pragma once

#include <QPushButton>
#include <QString>

// Image button of the capture panels and the history rows. It shows its text next to the
// pointer at once, on every pointer move over it: the toolkit's tooltip delay would hide the
// meaning of a picture-only button just when the user looks for it.
class PushButtonWithTooltip : public QPushButton {
    Q_OBJECT
public:
    explicit PushButtonWithTooltip(QWidget* parent = nullptr);

    // Shown at the pointer; its owner assigns it.
    QString tooltipText;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};
