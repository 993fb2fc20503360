#include "capture/StartPanel.h"

#include "capture/PanelStyle.h"
#include "core/Translate.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
} // namespace

StartPanel::StartPanel(QWidget* parent)
    : QWidget(parent) {
    const QString name = QStringLiteral("StartRecordPanel");
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_StyledBackground);
    setObjectName(name);
    setStyleSheet(QStringLiteral("QWidget#%1 { %2 }").arg(name, PanelStyle::dark()));
    setFixedHeight(PanelStyle::kPanelHeight);
    auto* row = new QHBoxLayout(this);
    row->setSpacing(5);
    row->setContentsMargins(5, 5, 5, 5);

    recordButton_ =
        PanelStyle::imageButton(this, QStringLiteral("RecordButton"),
                                QStringLiteral(":/Resources/Buttons/record.png"), false, QSize());
    connect(recordButton_, &QPushButton::clicked, this,
            [this] { emit recordClicked(withSound()); });
    row->addWidget(PanelStyle::separator(this, QStringLiteral("color:white;")));

    soundCheckBox_ = new QCheckBox(this);
    soundCheckBox_->setObjectName(QStringLiteral("SoundCheckBox"));
    soundCheckBox_->setFont(PanelStyle::panelFont());
    soundCheckBox_->setChecked(true);
    soundCheckBox_->setStyleSheet(QStringLiteral(
        "QCheckBox {\tcolor: white;\t}\t"
        "QCheckBox::indicator {\twidth: 22px;\theight: 22px;\t}\t"
        "QCheckBox::indicator:unchecked {\timage: url(:/Resources/Buttons/unchecked.png);\t}\t"
        "QCheckBox::indicator:checked {\timage: url(:/Resources/Buttons/checked.png);\t}"));
    row->addWidget(soundCheckBox_);
    row->addWidget(PanelStyle::separator(this, QStringLiteral("color:white;")));

    closeButton_ =
        PanelStyle::imageButton(this, QStringLiteral("CloseButton"),
                                QStringLiteral(":/Resources/Buttons/close.png"), true, QSize());
    connect(closeButton_, &QPushButton::clicked, this, &StartPanel::closeClicked);
    adjustSize();
    hide();
}

bool StartPanel::withSound() const {
    return soundCheckBox_->isChecked();
}

void StartPanel::retranslate() {
    recordButton_->setToolTip(kTr.tr("Record"));
    closeButton_->tooltipText = kTr.tr("Close");
    const QString withSoundText = kTr.tr("Record with sound");
    soundCheckBox_->setText(withSoundText);
    soundCheckBox_->setFixedWidth(
        QFontMetrics(soundCheckBox_->font()).horizontalAdvance(withSoundText) + 30);
    adjustSize();
}
