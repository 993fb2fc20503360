#pragma once

#include <QProgressBar>

// The upload progress bar: a rounded grey frame filled from the left with an orange gradient in
// proportion to value / maximum. Draws nothing of the style's own bar or text.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    // Width in pixels of the filled part for the current value within a bar `barWidth` wide.
    int filledWidth(int barWidth) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
