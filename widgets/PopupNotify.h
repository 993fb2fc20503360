#pragma once

#include <QColor>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

class QHBoxLayout;
class QLabel;

// A small translucent message window that fades in, stays a moment and fades out by itself, two
// seconds in all. It does not place itself: the caller moves it before show().
class PopupNotify : public QWidget {
public:
    explicit PopupNotify(QWidget* parent = nullptr);

    // Sets the message and fits the window to it, on one line.
    void setText(const QString& text);
    QString text() const;

    // Shows the popup and (re)starts the fade and the two seconds after which it hides.
    virtual void show();
    // The same for another time span: a longer text needs longer to be read.
    void showFor(int durationMs);
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* label_;
    QHBoxLayout* layout_;
    QTimer hideTimer_;
    QPropertyAnimation fadeAnimation_;
    QColor backgroundColor_;
    // Drawn to every edge, without see-through pixels: no compositor blends the window.
    bool opaque_ = false;
};
