#pragma once

#include <QWidget>

class ProgressBar;
class QLabel;

// The frameless window shown while a video is uploaded: a title, the progress bar and the
// percentage below it. It is always a top-level window; the caller sizes, centres and shows it.
class ProgressWidget : public QWidget {
    Q_OBJECT
public:
    // `parent` is ignored: the window never has one.
    explicit ProgressWidget(QWidget* parent = nullptr);

    ProgressBar* progressBar() const { return bar_; }
    QString percentText() const;
    QString titleText() const;

public slots:
    // Values outside 0..100 and the value already shown change nothing.
    void setValue(int value);

    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;

private slots:
    void progressChanged(int value);

private:
    // Rounded and see-through where the desktop blends windows, else opaque to the edges.
    void followBackdrop();

    QWidget* panel_;
    QMargins blendedMargins_;
    ProgressBar* bar_;
    QLabel* percentLabel_;
    QLabel* titleLabel_;
};
