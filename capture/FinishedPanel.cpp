#include "capture/FinishedPanel.h"

#include "capture/PanelStyle.h"
#include "core/Translate.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
} // namespace

FinishedPanel::FinishedPanel()
    : panel_(PanelStyle::setUpPanelWindow(this, QStringLiteral("RecordFinishedPanel"),
                                          PanelStyle::dark())) {
    const QSize buttonSize(26, 25);
    const QString white = QStringLiteral("color:white;");
    saveButton_ =
        PanelStyle::imageButton(panel_, QStringLiteral("SaveButton"),
                                QStringLiteral(":/Resources/Buttons/save.png"), true, buttonSize);
    connect(saveButton_, &QPushButton::clicked, this, &FinishedPanel::saveClicked);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, white));
    uploadButton_ =
        PanelStyle::imageButton(panel_, QStringLiteral("UploadButton"),
                                QStringLiteral(":/Resources/Buttons/upload.png"), true, buttonSize);
    connect(uploadButton_, &QPushButton::clicked, this, &FinishedPanel::uploadClicked);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, white));
    shareButton_ =
        PanelStyle::imageButton(panel_, QStringLiteral("ShareButton"),
                                QStringLiteral(":/Resources/Buttons/share.png"), true, buttonSize);
    connect(shareButton_, &QPushButton::clicked, this, &FinishedPanel::shareClicked);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, white));
    closeButton_ =
        PanelStyle::imageButton(panel_, QStringLiteral("CloseFinishPanelButton"),
                                QStringLiteral(":/Resources/Buttons/close.png"), true, buttonSize);
    connect(closeButton_, &QPushButton::clicked, this, &FinishedPanel::closeClicked);
    finishingLabel_ = new QLabel(panel_);
    finishingLabel_->setObjectName(QStringLiteral("FinishingLabel"));
    finishingLabel_->setFont(PanelStyle::panelFont());
    finishingLabel_->setStyleSheet(white);
    finishingLabel_->hide();
    panel_->layout()->addWidget(finishingLabel_);
    panel_->adjustSize();
    adjustSize();
    hide();
}

void FinishedPanel::setFinishing(bool finishing) {
    finishingLabel_->setVisible(finishing);
    saveButton_->setEnabled(!finishing);
    panel_->adjustSize();
    adjustSize();
}

QRect FinishedPanel::shareButtonGeometry() const {
    return QRect(shareButton_->mapToGlobal(QPoint(0, 0)), shareButton_->size());
}

void FinishedPanel::retranslate() {
    saveButton_->tooltipText = kTr.tr("Save video to computer");
    uploadButton_->tooltipText = kTr.tr("Upload video to server");
    shareButton_->tooltipText = kTr.tr("Share");
    closeButton_->tooltipText = kTr.tr("Close");
    finishingLabel_->setText(kTr.tr("Finishing the video…"));
}

void FinishedPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}
