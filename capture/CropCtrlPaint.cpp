// How the overlay looks: the frozen desktop, the dimming outside the selection, the dashed
// frame and the handles; the hint and size labels; the context menu.
#include "capture/CropCtrl.h"

#include "capture/RecordRect.h"
#include "capture/SelectionGeometry.h"
#include "widgets/SoundSourceMenu.h"

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

} // namespace

void CropCtrl::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    paintPart(painter, partOf(this));
}

void CropCtrl::paintPart(QPainter& painter, int index) {
    if (index < 0)
        return;
    // The painter works in overlay coordinates; the window shows its monitor's part of them.
    const ScreenPart& part = parts_[size_t(index)];
    painter.scale(1.0 / part.toOverlay, 1.0 / part.toOverlay);
    painter.translate(-part.area.topLeft());
    if (!part.picture.isNull())
        painter.drawPixmap(part.area, part.picture);

    if (mode_ == Idle) {
        painter.fillRect(part.area, QBrush(dimColor_));
        return;
    }

    for (const QRectF& band : dimBands(selection_, overlaySize_, frameWidth_))
        painter.fillRect(band, QBrush(dimColor_));

    const QRect s = normalizedSelection(selection_);
    painter.setPen(QColor(0, 0, 0, 255));
    painter.drawRects(&s, 1);
    painter.setPen(dashedFramePen(frameWidth_));
    painter.drawRects(&s, 1);

    painter.setPen(QColor(Qt::white));
    for (const QRect& handle : std::as_const(handles_)) {
        painter.drawRects(&handle, 1);
        painter.fillRect(
            QRect(handle.topLeft() + QPoint(1, 1), handle.bottomRight() - QPoint(1, 1)), Qt::black);
    }
}

void CropCtrl::buildContextMenu() {
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CropCtrl::showContextMenu);

    recordAction_ = new QAction(&contextMenu_);
    connect(recordAction_, &QAction::triggered, this, &CropCtrl::recordWithoutSound);
    contextMenu_.addAction(recordAction_);
    recordWithSoundAction_ = new QAction(&contextMenu_);
    connect(recordWithSoundAction_, &QAction::triggered, this, &CropCtrl::recordWithSound);
    contextMenu_.addAction(recordWithSoundAction_);
    clearAction_ = new QAction(&contextMenu_);
    connect(clearAction_, &QAction::triggered, this, &CropCtrl::clearAndShowLabel);
    contextMenu_.addAction(clearAction_);
    closeAction_ = new QAction(&contextMenu_);
    connect(closeAction_, &QAction::triggered, this, &QWidget::close);
    contextMenu_.addAction(closeAction_);
    soundSources_ = new SoundSourceMenu(&contextMenu_, this);
}

void CropCtrl::buildHintLabel() {
    hintLabel_ = new QLabel(this);
    hintLabel_->setObjectName(QStringLiteral("HintLabel"));
    hintLabel_->setStyleSheet(QStringLiteral(
        "background-color: white;\tcolor: black;\tborder-width: 1px;\tborder-style: solid;\t"
        "border-color: black;\tborder-radius: 3px;"));
    hintLabel_->setFont(QFont(QStringLiteral("Arial Semibold"), 13));
    hintLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    hintLabel_->setMinimumSize(130, 36);
    hintLabel_->setMaximumSize(130, 36);
    hintLabel_->hide();
}

void CropCtrl::buildSizeLabel() {
    sizeLabel_ = new QLabel(this);
    sizeLabel_->setFont(QFont(QStringLiteral("Arial Semibold"), 16));
    sizeLabel_->setTextFormat(Qt::RichText);
    sizeLabel_->setObjectName(QStringLiteral("SizeLabel"));
    sizeLabel_->setStyleSheet(
        QStringLiteral("QLabel#%1 { %2 }").arg(QStringLiteral("SizeLabel"), darkStyle_));
    sizeLabel_->setMinimumSize(sizeLabelSize_);
    sizeLabel_->setMaximumSize(sizeLabelSize_);
    sizeLabel_->hide();
}

void CropCtrl::updateSizeLabel(int width, int height) {
    const QString text = QStringLiteral("%1x%2").arg(width).arg(height);
    // Runs on every pointer move while selecting: measure the icon once, not per move.
    static const int kIconWidth = QPixmap(QString::fromLatin1(kSizeIcon)).width();
    const int newWidth = QFontMetrics(sizeLabel_->font()).horizontalAdvance(text) + kIconWidth + 30;
    sizeLabel_->setMinimumWidth(newWidth);
    sizeLabel_->setMaximumWidth(newWidth);
    sizeLabel_->setText(sizeLabelHtml(text));
}

void CropCtrl::showContextMenu(const QPoint& pos) {
    showContextMenuAt(mapToGlobal(pos));
}

void CropCtrl::showContextMenuAt(QPoint globalPos) {
    hintLabel_->hide();
    updateScreens();
    const QRect s = normalizedSelection(selection_);
    const bool notEmpty = s.width() > 0 && s.height() > 0;
    recordAction_->setEnabled(notEmpty);
    clearAction_->setEnabled(notEmpty);
    contextMenu_.exec(globalPos);
    // The menu took the keyboard while it was open.
    if (isVisible())
        takeKeyboard(kKeyboardRetries);
}
