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
const QString kDotImage = QStringLiteral(":/Resources/Buttons/record.png");
const QString kGreyDotImage = QStringLiteral(":/Resources/Buttons/record_grey.png");
const QString kStopImage = QStringLiteral(":/Resources/Buttons/record_stop.png");
// The stop button's insides: the dot and the text from its left edge, the stop square against
// its right edge. The room to the right of the text is the square's width and this gap.
constexpr int kStopLeftPadding = 4;
constexpr int kSquareGap = 8;
// Beyond the dot, the text and the square: the left padding, the style's gap between icon and
// text (4 pixels) and the square's gap, with a few pixels to spare for a wider font.
constexpr int kStopExtraWidth = kStopLeftPadding + 4 + kSquareGap + 6;
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
    pausedLabel_ = new QLabel(panel_);
    pausedLabel_->setObjectName(QStringLiteral("PausedLabel"));
    pausedLabel_->setFont(PanelStyle::panelFont());
    pausedLabel_->setStyleSheet(QStringLiteral("color:white;"));
    pausedLabel_->hide();
    panel_->layout()->addWidget(pausedLabel_);
    panel_->layout()->addWidget(PanelStyle::separator(panel_, QStringLiteral("color:white;")));

    pauseButton_ = PanelStyle::imageButton(
        panel_, kPauseName, QStringLiteral(":/Resources/Buttons/pause.png"), true, QSize(26, 25));
    connect(pauseButton_, &QPushButton::clicked, this, &RecordPanel::pauseClicked);

    stopButton_ = new PushButtonWithTooltip(panel_);
    stopButton_->setObjectName(QStringLiteral("StopRecordButton"));
    stopButton_->setAttribute(Qt::WA_MouseTracking);
    stopButton_->setFont(PanelStyle::panelFont());
    // The padding keeps the dot wholly inside the button, clear of the pause button on its
    // left, and the text clear of the stop square on its right.
    stopButton_->setStyleSheet(QStringLiteral("background: url(%1) right center no-repeat;\t"
                                              "background-color: transparent;\tcolor: white;\t"
                                              "padding-left: %2px;\tpadding-right: %3px;")
                                   .arg(kStopImage)
                                   .arg(kStopLeftPadding)
                                   .arg(QPixmap(kStopImage).width() + kSquareGap));
    stopButton_->setIconSize(QPixmap(kDotImage).size());
    showDot(false);
    connect(stopButton_, &QPushButton::clicked, this, &RecordPanel::stopClicked);
    panel_->layout()->addWidget(stopButton_);

    connect(&blinkTimer_, &QTimer::timeout, this, &RecordPanel::blink);
    fit();
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
    // The time stands still while paused; the blink shows it. The dot rests: nothing is
    // being recorded.
    timeLabel_->setStyleSheet(QStringLiteral("color:white;"));
    if (paused)
        showDot(false);
    if (pausedLabel_->isVisible() != paused) {
        pausedLabel_->setVisible(paused);
        fit();
    }
}

void RecordPanel::blink() {
    if (paused_) {
        timeLabel_->setStyleSheet(blinkOn_ ? QStringLiteral("color:white;")
                                           : QStringLiteral("color:transparent;"));
    } else {
        showDot(blinkOn_);
    }
    blinkOn_ = !blinkOn_;
}

void RecordPanel::showDot(bool red) {
    stopButton_->setIcon(QIcon(red ? kDotImage : kGreyDotImage));
}

void RecordPanel::fit() {
    panel_->adjustSize();
    adjustSize();
}

void RecordPanel::retranslate() {
    pauseButton_->tooltipText = paused_ ? kTr.tr("Resume recording") : kTr.tr("Pause recording");
    pausedLabel_->setText(kTr.tr("Paused"));
    const QString stop = kTr.tr("Stop recording");
    stopButton_->setText(stop);
    stopButton_->tooltipText = stop;
    stopButton_->setFixedSize(QFontMetrics(stopButton_->font()).horizontalAdvance(stop) +
                                  QPixmap(kDotImage).width() + QPixmap(kStopImage).width() +
                                  kStopExtraWidth,
                              26);
    stopButton_->adjustSize();
    fit();
}
