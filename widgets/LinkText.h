#pragma once

#include <QLineEdit>

// A link shown in a narrow row: cut in the middle to the room it gets (both the host and the
// video's own part stay in view), the whole link in its tooltip. Clicked, it shows the whole
// link selected, to copy with the keyboard or the context menu; it cannot be edited. The text
// is shown as plain characters whatever it holds. GUI thread only.
class LinkText : public QLineEdit {
    Q_OBJECT
public:
    explicit LinkText(QWidget* parent = nullptr);

    void setLink(const QString& link);
    const QString& link() const { return link_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showLink();

    QString link_;
};
