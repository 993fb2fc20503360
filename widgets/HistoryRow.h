#pragma once

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

protected:
    explicit HistoryRow(QWidget* parent);

    // The widget the row's contents go into.
    QWidget* rowWidget() const { return rowWidget_; }

    // How a row button looks when it cannot be used.
    enum class WhenDisabled { KeepPicture, Blank };
    // A button of the row's button size in `parent`, showing the picture
    // ":/Resources/Buttons/<image>".
    static PushButtonWithTooltip* makeButton(QWidget* parent, const char* objectName,
                                             const char* image,
                                             WhenDisabled disabled = WhenDisabled::KeepPicture);

    // Sets the texts in the current interface language. Each row calls it once it is built
    // too: a row made after the catalogue was installed gets no language-change event.
    virtual void retranslate() = 0;
    void changeEvent(QEvent* event) override;

private:
    QWidget* rowWidget_;
};
