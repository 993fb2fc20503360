#pragma once

#include <QWidget>

class PushButtonWithTooltip;
class QCheckBox;

// The bar beside a freshly selected area: record, with or without sound, or close. It lies
// on the overlay's window of the monitor that holds it.
class StartPanel : public QWidget {
    Q_OBJECT
public:
    explicit StartPanel(QWidget* parent = nullptr);

    bool withSound() const;
    void retranslate();

signals:
    void recordClicked(bool withSound);
    void closeClicked();

private:
    PushButtonWithTooltip* recordButton_;
    QCheckBox* soundCheckBox_;
    PushButtonWithTooltip* closeButton_;
};
