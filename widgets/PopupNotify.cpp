#include "widgets/PopupNotify.h"

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {
// How long one show() lasts, fade in and out included.
constexpr int ShowDurationMs = 2000;

const char* const popupStyle = "QWidget#PopupNotify {"
                               " border-width: 1px;"
                               " border-style: solid;"
                               " border-color: black;"
                               " border-radius: 5px;"
                               " }";
} // namespace

PopupNotify::PopupNotify(QWidget* parent)
    : QWidget(parent)
    , label(new QLabel(this))
    , layout(new QHBoxLayout(this))
    , backgroundColor(0, 0, 0, 127) {
    setObjectName(QStringLiteral("PopupNotify"));
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // A notification must not take the keyboard from whatever the user is typing into.
    setAttribute(Qt::WA_ShowWithoutActivating);

    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addWidget(label);
    label->setStyleSheet(QStringLiteral("color: rgb(187, 217, 20);"));
    QFont font(QStringLiteral("Arial Semibold"));
    font.setPointSize(13);
    font.setItalic(false);
    label->setFont(font);

    setStyleSheet(QString::fromLatin1(popupStyle));

    hideTimer.setInterval(ShowDurationMs);
    hideTimer.setSingleShot(true);
    connect(&hideTimer, &QTimer::timeout, this, &QWidget::hide);

    fadeAnimation.setTargetObject(this);
    fadeAnimation.setPropertyName("windowOpacity");
    fadeAnimation.setDuration(ShowDurationMs);
    fadeAnimation.setLoopCount(1);
    fadeAnimation.setKeyValueAt(0.0, 0.0);
    fadeAnimation.setKeyValueAt(0.2, 1.0);
    fadeAnimation.setKeyValueAt(0.8, 1.0);
    fadeAnimation.setKeyValueAt(1.0, 0.0);
}

void PopupNotify::setText(const QString& text) {
    label->setText(text);
    const QFontMetrics metrics(label->font());
    setFixedSize(metrics.horizontalAdvance(text) + 50, metrics.height() + 25);
}

QString PopupNotify::text() const {
    return label->text();
}

void PopupNotify::show() {
    fadeAnimation.stop();
    hideTimer.start();
    fadeAnimation.start();
    QWidget::show();
}

void PopupNotify::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    painter.setBrush(backgroundColor);
    const QRect r = rect();
    painter.drawRoundedRect(QRect(QPoint(r.left(), r.top()), QPoint(r.right() - 1, r.bottom() - 1)),
                            5, 5, Qt::AbsoluteSize);
}
