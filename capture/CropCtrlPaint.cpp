// How the overlay looks: the frozen desktop, the dimming outside the selection, the dashed
// frame and the handles; the hint and size labels; the context menu.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

using namespace CaptureGeometry;

namespace {

const char* const kSizeIcon = ":/Resources/Buttons/imageSize.png";

QString sizeLabelHtml(const QString& sizeText) {
    return QStringLiteral(
               "<html><body'>"
               "<table border='0' width='100%' height='100%' cellspacing='0' cellpadding='4'>"
               "<tr>"
               "<td style='vertical-align:middle;'><p align='right'>"
               "<img src=':/Resources/Buttons/imageSize.png'/></p></td>"
               "<td style='vertical-align:middle;'><p><span><font color='white'>%1</font>"
               "</span></p></td>"
               "</tr></table></body></html>")
        .arg(sizeText);
}

QPen dashedFramePen(double width) {
    QPen pen(QBrush(QColor(255, 255, 255, 255)), width, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
    pen.setDashPattern({3, 4});
    return pen;
}

} // namespace

void CropCtrl::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (!screenshot.isNull())
        painter.drawPixmap(rect(), screenshot);

    if (mode == Idle) {
        painter.fillRect(rect(), QBrush(dimColor));
        return;
    }

    for (const QRectF& band : dimBands(selection, size(), frameWidth))
        painter.fillRect(band, QBrush(dimColor));

    const QRect s = normalizedSelection(selection);
    painter.setPen(QColor(0, 0, 0, 255));
    painter.drawRects(&s, 1);
    painter.setPen(dashedFramePen(frameWidth));
    painter.drawRects(&s, 1);

    painter.setPen(QColor(Qt::white));
    for (const QRect& handle : std::as_const(handles)) {
        painter.drawRects(&handle, 1);
        painter.fillRect(
            QRect(handle.topLeft() + QPoint(1, 1), handle.bottomRight() - QPoint(1, 1)), Qt::black);
    }
}

void CropCtrl::buildContextMenu() {
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CropCtrl::showContextMenu);

    recordAction = new QAction(&contextMenu);
    connect(recordAction, &QAction::triggered, this, &CropCtrl::recordWithoutSound);
    contextMenu.addAction(recordAction);
    recordWithSoundAction = new QAction(&contextMenu);
    connect(recordWithSoundAction, &QAction::triggered, this, &CropCtrl::recordWithSound);
    contextMenu.addAction(recordWithSoundAction);
    clearAction = new QAction(&contextMenu);
    connect(clearAction, &QAction::triggered, this, &CropCtrl::clearAndShowLabel);
    contextMenu.addAction(clearAction);
    closeAction = new QAction(&contextMenu);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    contextMenu.addAction(closeAction);
}

void CropCtrl::buildHintLabel() {
    hintLabel = new QLabel(this);
    hintLabel->setObjectName(QStringLiteral("HintLabel"));
    hintLabel->setStyleSheet(QStringLiteral(
        "background-color: white;\tcolor: black;\tborder-width: 1px;\tborder-style: solid;\t"
        "border-color: black;\tborder-radius: 3px;"));
    hintLabel->setFont(QFont(QStringLiteral("Arial Semibold"), 13));
    hintLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    hintLabel->setMinimumSize(130, 36);
    hintLabel->setMaximumSize(130, 36);
    hintLabel->hide();
}

void CropCtrl::buildSizeLabel() {
    sizeLabel = new QLabel(this);
    sizeLabel->setFont(QFont(QStringLiteral("Arial Semibold"), 16));
    sizeLabel->setTextFormat(Qt::RichText);
    sizeLabel->setObjectName(QStringLiteral("SizeLabel"));
    sizeLabel->setStyleSheet(
        QStringLiteral("QLabel#%1 { %2 }").arg(QStringLiteral("SizeLabel"), darkStyle));
    sizeLabel->setMinimumSize(sizeLabelSize);
    sizeLabel->setMaximumSize(sizeLabelSize);
    sizeLabel->hide();
}

void CropCtrl::updateSizeLabel(int width, int height) {
    const QString text = QStringLiteral("%1x%2").arg(width).arg(height);
    // Runs on every pointer move while selecting: measure the icon once, not per move.
    static const int iconWidth = QPixmap(QString::fromLatin1(kSizeIcon)).width();
    const int newWidth = QFontMetrics(sizeLabel->font()).horizontalAdvance(text) + iconWidth + 30;
    sizeLabel->setMinimumWidth(newWidth);
    sizeLabel->setMaximumWidth(newWidth);
    sizeLabel->setText(sizeLabelHtml(text));
}

void CropCtrl::showContextMenu(const QPoint& pos) {
    hintLabel->hide();
    update();
    const QRect s = normalizedSelection(selection);
    const bool notEmpty = s.width() > 0 && s.height() > 0;
    recordAction->setEnabled(notEmpty);
    clearAction->setEnabled(notEmpty);
    contextMenu.exec(mapToGlobal(pos));
    // The menu took the keyboard while it was open.
    if (isVisible())
        takeKeyboard(kKeyboardRetries);
}
