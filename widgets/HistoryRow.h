#pragma once

#include <QDateTime>
#include <QWidget>

class PushButtonWithTooltip;

// What every row of the history window shares: an inner widget named "MainWidget" that fills
// the row without margins and carries its background, picture buttons that show their
// meaning at the pointer, and texts renewed on each language change. GUI thread only.
class HistoryRow : public QWidget {
    Q_OBJECT
public:
    // The background of the row, as a style declaration such as "background-color: #fff;".
    void setMainStyle(const QString& style);

    // How every row writes a moment: date, then time, as the default locale (the interface
    // language's, see Languages) writes them briefly.
    static QString whenText(const QDateTime& when);

protected:
    explicit HistoryRow(QWidget* parent);

    // The widget the row's contents go into.
    QWidget* rowWidget() const { return rowWidget_; }

    // A button of the row's button size in `parent`, showing the picture
    // ":/Resources/Buttons/<image>". Its owner gives it its tooltip text.
    static PushButtonWithTooltip* makeButton(QWidget* parent, const char* objectName,
                                             const char* image);

    // Sets the texts in the current interface language. Each row calls it once it is built
    // too: a row made after the catalogue was installed gets no language-change event.
    virtual void retranslate() = 0;
    void changeEvent(QEvent* event) override;

private:
    QWidget* rowWidget_;
};
