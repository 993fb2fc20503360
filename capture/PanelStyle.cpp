#include "capture/PanelStyle.h"

#include "widgets/PushButtonWithTooltip.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPixmap>

namespace PanelStyle {

QString dark() {
    return QStringLiteral("background-color: rgba(0, 0, 0, 127.5);\t\t"
                          "border-width: 1px;\t\tborder-style: solid;\t\t"
                          "border-color: white;\t\tborder-radius: 5px;");
}

QString light() {
    return QStringLiteral("background-color: rgba(255, 255, 255, 229.5);\t\t"
                          "border-width: 1px;\t\tborder-style: solid;\t\t"
                          "border-color: black;\t\tborder-radius: 5px;");
}

QFont panelFont() {
    return QFont(QStringLiteral("Arial Semibold"), 11);
}

QString imageButtonSheet(const QString& name, const QString& image, bool withHover) {
    QString style = QStringLiteral("QPushButton#%1 {\tborder-image: url(%2);\t}").arg(name, image);
    if (withHover) {
        QString hover = image;
        hover.replace(QStringLiteral(".png"), QStringLiteral("_hover.png"));
        style +=
            QStringLiteral("\tQPushButton#%1:hover {\tborder-image: url(%2);\t}").arg(name, hover);
    }
    return style;
}

PushButtonWithTooltip* imageButton(QWidget* panel, const QString& name, const QString& image,
                                   bool withHover, QSize size) {
    auto* button = new PushButtonWithTooltip(panel);
    button->setObjectName(name);
    button->setAttribute(Qt::WA_MouseTracking);
    button->setStyleSheet(imageButtonSheet(name, image, withHover));
    button->setFixedSize(size.isValid() ? size : QPixmap(image).size());
    panel->layout()->addWidget(button);
    return button;
}

QFrame* separator(QWidget* parent, const QString& style) {
    auto* line = new QFrame(parent);
    line->setStyleSheet(style);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedSize(3, 26);
    return line;
}

QWidget* makePanel(QWidget* parent, const QString& name, const QString& style) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setStyleSheet(QStringLiteral("QWidget#%1 { %2 }").arg(name, style));
    panel->setFixedHeight(kPanelHeight);
    auto* layout = new QHBoxLayout(panel);
    layout->setSpacing(5);
    layout->setContentsMargins(5, 5, 5, 5);
    return panel;
}

QWidget* setUpPanelWindow(QWidget* window, const QString& name, const QString& style) {
    // Bypassing the window manager keeps the panels exactly where they are placed, above
    // other windows, and keeps them from taking the focus from the program being recorded.
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    auto* windowLayout = new QHBoxLayout(window);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    QWidget* panel = makePanel(window, name, style);
    windowLayout->addWidget(panel);
    return panel;
}

} // namespace PanelStyle
