// The labels on the overlay (the hint that follows the pointer, the size above the area)
// and its context menu.
#include "capture/CropCtrl.h"

#include "capture/OverlayWindow.h"
#include "capture/PanelStyle.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace {

const char* const kSizeIcon = ":/Resources/Buttons/imageSize.png";
// Room for the widest usual size text ("9999x9999") and the icon, one panel high.
const QSize kSizeLabelSize(145, PanelStyle::kPanelHeight);

QString sizeLabelHtml(const QString& sizeText) {
    return QStringLiteral(
               "<html><body>"
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

void CropCtrl::buildLabels() {
    QWidget* window = windows_.front().get();
    hintLabel_ = new QLabel(window);
    hintLabel_->setObjectName(QStringLiteral("HintLabel"));
    hintLabel_->setStyleSheet(QStringLiteral(
        "background-color: white;\tcolor: black;\tborder-width: 1px;\tborder-style: solid;\t"
        "border-color: black;\tborder-radius: 3px;"));
    hintLabel_->setFont(QFont(QStringLiteral("Arial Semibold"), 13));
    hintLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    hintLabel_->setMinimumSize(130, 36);
    hintLabel_->setMaximumSize(130, 36);
    hintLabel_->hide();

    sizeLabel_ = new QLabel(window);
    sizeLabel_->setFont(QFont(QStringLiteral("Arial Semibold"), 16));
    sizeLabel_->setTextFormat(Qt::RichText);
    sizeLabel_->setObjectName(QStringLiteral("SizeLabel"));
    sizeLabel_->setStyleSheet(
        QStringLiteral("QLabel#%1 { %2 }").arg(QStringLiteral("SizeLabel"), PanelStyle::dark()));
    sizeLabel_->setMinimumSize(kSizeLabelSize);
    sizeLabel_->setMaximumSize(kSizeLabelSize);
    sizeLabel_->setCursor(Qt::IBeamCursor);
    sizeLabel_->installEventFilter(this);
    sizeLabel_->hide();

    sizeEdit_ = new QLineEdit(window);
    sizeEdit_->setObjectName(QStringLiteral("SizeEdit"));
    sizeEdit_->setFont(sizeLabel_->font());
    sizeEdit_->setMinimumWidth(
        QFontMetrics(sizeEdit_->font())
            .horizontalAdvance(QStringLiteral("99999x99999 at 99999,99999")));
    sizeEdit_->installEventFilter(this);
    sizeEdit_->hide();

    offerLabel_ = new QLabel(window);
    offerLabel_->setObjectName(QStringLiteral("LastAreaLabel"));
    offerLabel_->setTextFormat(Qt::PlainText);
    offerLabel_->setStyleSheet(hintLabel_->styleSheet());
    offerLabel_->setFont(hintLabel_->font());
    offerLabel_->setAlignment(Qt::AlignCenter);
    offerLabel_->setContentsMargins(8, 4, 8, 4);
    offerLabel_->hide();
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

void CropCtrl::showContextMenuAt(QPoint globalPos) {
    hintLabel_->hide();
    updateScreens();
    menu_.exec(globalPos, model_.hasArea(), !model_.offered().isNull());
    // The menu took the keyboard while it was open.
    if (isVisible())
        takeKeyboard(kKeyboardRetries);
}
