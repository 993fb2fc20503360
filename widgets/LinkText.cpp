#include "widgets/LinkText.h"

#include <QFocusEvent>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// A tooltip is shown as rich text when it looks like markup, so outside text goes in escaped
// and explicitly marked as rich text: it then shows exactly the characters it holds.
QString plainTooltip(const QString& text) {
    return QStringLiteral("<qt>%1</qt>").arg(text.toHtmlEscaped());
}

} // namespace

LinkText::LinkText(QWidget* parent)
    : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(false);
    // The row's colours show through; the text keeps the row's grey.
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: rgb(96, 96, 96); "
                                 "selection-background-color: rgb(96, 140, 200); }"));
    // The row decides the width; the link takes what is left.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(0);
}

void LinkText::setLink(const QString& link) {
    link_ = link;
    setToolTip(plainTooltip(link));
    showLink();
}

void LinkText::showLink() {
    if (hasFocus()) {
        setText(link_);
        return;
    }
    // The room the line edit leaves for text: its frame, margins and cursor take the rest.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect textArea = style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                               .marginsRemoved(textMargins());
    // Two pixels of its own padding on each side, as QLineEdit draws.
    const int room = std::max(0, textArea.width() - 4);
    setText(fontMetrics().elidedText(link_, Qt::ElideMiddle, room));
    setCursorPosition(0);
}

void LinkText::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    showLink();
}

void LinkText::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    setText(link_);
    selectAll();
}

void LinkText::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu borrows the focus while the user copies: keep the whole link meanwhile.
    if (event->reason() != Qt::PopupFocusReason)
        showLink();
}
