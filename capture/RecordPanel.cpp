#include "capture/RecordPanel.h"

#include "capture/PanelStyle.h"
#include "core/Translate.h"
#include "widgets/PushButtonWithTooltip.h"

#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
// The stop button blinks once a second (on, off): noticeable, not restless.
constexpr int kBlinkMs = 500;
const QString kPauseName = QStringLiteral("PauseRecordButton");
} // namespace

RecordPanel::RecordPanel()
    : panel_(
          PanelStyle::setUpPanelWindow(this, QStringLiteral("RecordPanel"), PanelStyle::dark())) {
    timeLabel_ = new QLabel(panel_);
    timeLabel_->setObjectName(QStringLiteral("TimeLabel"));
    timeLabel_->setFont(PanelStyle::panelFont());
    timeLabel_->setStyleSheet(QStringLiteral("color:white;"));
    timeLabel_->setFixedWidth(
        QFontMetrics(timeLabel_->font()).horizontalAdvance(QStringLiteral("99:99:99")));
    panel_->layout()->addWidget(timeLabel_);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, QStringLiteral("color:white;")));

    pauseButton_ = PanelStyle::imageButton(
        panel_, kPauseName, QStringLiteral(":/Resources/Buttons/pause.png"), true, QSize(26, 25));
    connect(pauseButton_, &QPushButton::clicked, this, &RecordPanel::pauseClicked);

    stopButton_ = new PushButtonWithTooltip(panel_);
    stopButton_->setObjectName(QStringLiteral("StopRecordButton"));
    stopButton_->setAttribute(Qt::WA_MouseTracking);
    stopButton_->setFont(PanelStyle::panelFont());
    stopButton_->setStyleSheet(QStringLiteral(
        "background: url(:/Resources/Buttons/record_stop.png) right center no-repeat;\t"
        "background-color: transparent;\tcolor: white;\tpadding-left: -30px;"));
    connect(stopButton_, &QPushButton::clicked, this, &RecordPanel::stopClicked);
    panel_->layout()->addWidget(stopButton_);

    connect(&blinkTimer_, &QTimer::timeout, this, &RecordPanel::blink);
    panel_->adjustSize();
    adjustSize();
    hide();
}

void RecordPanel::begin() {
    setPaused(false);
    blinkOn_ = false;
    blinkTimer_.start(kBlinkMs);
}

void RecordPanel::end() {
    blinkTimer_.stop();
    hide();
}

void RecordPanel::setElapsed(const QString& time) {
    timeLabel_->setText(time);
}

void RecordPanel::setPaused(bool paused) {
    paused_ = paused;
    const QString image = paused ? QStringLiteral(":/Resources/Buttons/resume.png")
                                 : QStringLiteral(":/Resources/Buttons/pause.png");
    pauseButton_->setStyleSheet(PanelStyle::imageButtonSheet(kPauseName, image, true));
    pauseButton_->tooltipText = paused ? kTr.tr("Resume recording") : kTr.tr("Pause recording");
    // The time stands still while paused; the blink shows it.
    timeLabel_->setStyleSheet(QStringLiteral("color:white;"));
}

void RecordPanel::blink() {
    if (paused_)
        timeLabel_->setStyleSheet(blinkOn_ ? QStringLiteral("color:white;")
                                           : QStringLiteral("color:transparent;"));
    stopButton_->setIcon(QIcon(blinkOn_ ? QStringLiteral(":/Resources/Buttons/record.png")
                                        : QStringLiteral(":/Resources/Buttons/record_grey.png")));
    blinkOn_ = !blinkOn_;
}

void RecordPanel::retranslate() {
    pauseButton_->tooltipText = paused_ ? kTr.tr("Resume recording") : kTr.tr("Pause recording");
    const QString stop = kTr.tr("Stop recording");
    stopButton_->setText(stop);
    stopButton_->tooltipText = stop;
    stopButton_->setFixedSize(
        QFontMetrics(stopButton_->font()).horizontalAdvance(stop) +
            QPixmap(QStringLiteral(":/Resources/Buttons/record.png")).width() + 15,
        26);
    stopButton_->adjustSize();
    panel_->adjustSize();
    adjustSize();
}
