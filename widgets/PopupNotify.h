#pragma once

#include <QColor>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

// A small translucent message window that fades in, stays a moment and fades out by itself, two
// seconds in all. It does not place itself: the caller moves it before show().
class PopupNotify : public QWidget {
public:
    explicit PopupNotify(QWidget* parent = nullptr);

    // Sets the message and fits the window to it, on one line.
    void setText(const QString& text);
    QString text() const;

    // Buttons after the text, in place of the ones shown so far (none by default). A click
    // runs the button's deed, then hides the popup.
    struct Button {
        QString text;
        std::function<void()> clicked;
    };
    void setButtons(const QList<Button>& buttons);
    QList<QPushButton*> buttons() const { return buttons_; }

    // Shows the popup and (re)starts the fade and the two seconds after which it hides.
    virtual void show();
    // The same for another time span: a longer text needs longer to be read.
    void showFor(int durationMs);
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitSize();

    QLabel* label_;
    QList<QPushButton*> buttons_;
    QHBoxLayout* layout_;
    QTimer hideTimer_;
    QPropertyAnimation fadeAnimation_;
    QColor backgroundColor_;
    // Drawn to every edge, without see-through pixels: no compositor blends the window.
    bool opaque_ = false;
};
