#include "widgets/PopupNotify.h"

#include "widgets/DesktopTraits.h"

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {
// How long one show() lasts, fade in and out included.
constexpr int kShowDurationMs = 2000;
// Room around the text: the layout's margins plus the rounded border, with a little air so
// that the text never touches the border in any interface language.
constexpr int kTextPaddingX = 50;
constexpr int kTextPaddingY = 25;
// The see-through black as it looks over a mid-grey desktop, for desktops that cannot blend:
// the green text keeps its contrast and the window does not read as a hole.
const QColor kOpaqueBackground(48, 50, 52);

const char* const kPopupStyle = "QWidget#PopupNotify {"
                                " border-width: 1px;"
                                " border-style: solid;"
                                " border-color: black;"
                                " border-radius: 5px;"
                                " }";
} // namespace

PopupNotify::PopupNotify(QWidget* parent)
    : QWidget(parent)
    , label_(new QLabel(this))
    , layout_(new QHBoxLayout(this))
    , backgroundColor_(0, 0, 0, 127) {
    setObjectName(QStringLiteral("PopupNotify"));
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // A notification must not take the keyboard from whatever the user is typing into.
    setAttribute(Qt::WA_ShowWithoutActivating);

    // Messages may carry text from outside (a sound server's reason): never rich text.
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout_->addWidget(label_);
    label_->setStyleSheet(QStringLiteral("color: rgb(187, 217, 20);"));
    QFont font(QStringLiteral("Arial Semibold"));
    font.setPointSize(13);
    font.setItalic(false);
    label_->setFont(font);

    setStyleSheet(QString::fromLatin1(kPopupStyle));

    hideTimer_.setInterval(kShowDurationMs);
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);

    fadeAnimation_.setTargetObject(this);
    fadeAnimation_.setPropertyName("windowOpacity");
    fadeAnimation_.setDuration(kShowDurationMs);
    fadeAnimation_.setLoopCount(1);
    fadeAnimation_.setKeyValueAt(0.0, 0.0);
    fadeAnimation_.setKeyValueAt(0.2, 1.0);
    fadeAnimation_.setKeyValueAt(0.8, 1.0);
    fadeAnimation_.setKeyValueAt(1.0, 0.0);
}

void PopupNotify::setText(const QString& text) {
    label_->setText(text);
    fitSize();
}

void PopupNotify::setButtons(const QList<Button>& buttons) {
    qDeleteAll(buttons_);
    buttons_.clear();
    for (const Button& b : buttons) {
        auto* button = new QPushButton(b.text, this);
        button->setObjectName(QStringLiteral("PopupButton"));
        // A click must not take the keyboard either; the popup is gone right after.
        button->setFocusPolicy(Qt::NoFocus);
        const std::function<void()> deed = b.clicked;
        connect(button, &QPushButton::clicked, this, [this, deed] {
            hide();
            if (deed)
                deed();
        });
        layout_->addWidget(button);
        buttons_.append(button);
    }
    fitSize();
}

void PopupNotify::fitSize() {
    const QFontMetrics metrics(label_->font());
    int width = metrics.horizontalAdvance(label_->text()) + kTextPaddingX;
    int height = metrics.height() + kTextPaddingY;
    for (const QPushButton* button : std::as_const(buttons_)) {
        width += button->sizeHint().width() + layout_->spacing();
        height = std::max(height, button->sizeHint().height() + kTextPaddingY);
    }
    setFixedSize(width, height);
}

QString PopupNotify::text() const {
    return label_->text();
}

void PopupNotify::show() {
    showFor(kShowDurationMs);
}

void PopupNotify::showFor(int durationMs) {
    fadeAnimation_.stop();
    fadeAnimation_.setDuration(durationMs);
    hideTimer_.setInterval(durationMs);
    hideTimer_.start();
    fadeAnimation_.start();
    QWidget::show();
}

void PopupNotify::setVisible(bool visible) {
    if (visible)
        opaque_ = !DesktopTraits::blendsWindows();
    QWidget::setVisible(visible);
}

void PopupNotify::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (opaque_) {
        painter.fillRect(rect(), kOpaqueBackground);
        painter.setPen(Qt::white);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    painter.setBrush(backgroundColor_);
    const QRect r = rect();
    painter.drawRoundedRect(QRect(QPoint(r.left(), r.top()), QPoint(r.right() - 1, r.bottom() - 1)),
                            5, 5, Qt::AbsoluteSize);
}
