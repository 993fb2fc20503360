#include "app/TrayRecording.h"

#include "core/Translate.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace {

// The record panel's own words for pause, resume and stop, which these entries stand in for.
constexpr TranslationContext kPanelTr{"CropCtrl"};

// Tray icons are drawn at 16 to 64 pixels; the largest is scaled down well.
constexpr int kIconSize = 64;

// The program's icon with a red recording dot on its lower right, with a white ring so that
// it reads on dark and light panels alike.
QIcon recordingIconFrom(const QIcon& idle) {
    QPixmap pixmap = idle.pixmap(kIconSize, kIconSize);
    if (pixmap.isNull()) {
        pixmap = QPixmap(kIconSize, kIconSize);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const int d = pixmap.width() / 2;
    const QRect dot(pixmap.width() - d - 1, pixmap.height() - d - 1, d, d);
    painter.setPen(QPen(Qt::white, pixmap.width() / 16.0));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(dot);
    return QIcon(pixmap);
}

} // namespace

TrayRecording::TrayRecording(QSystemTrayIcon& icon, QMenu& menu, const QIcon& idleIcon,
                             QObject* parent)
    : QObject(parent)
    , icon_(icon)
    , idleIcon_(idleIcon)
    , recordingIcon_(recordingIconFrom(idleIcon))
    , pauseAction_(new QAction(&menu))
    , stopAction_(new QAction(&menu)) {
    pauseAction_->setObjectName(QStringLiteral("PauseRecordingAction"));
    stopAction_->setObjectName(QStringLiteral("StopRecordingAction"));
    QAction* first = menu.actions().value(0);
    menu.insertAction(first, stopAction_);
    menu.insertAction(first, pauseAction_);
    separator_ = menu.insertSeparator(first);
    connect(pauseAction_, &QAction::triggered, this, &TrayRecording::pauseRequested);
    connect(stopAction_, &QAction::triggered, this, &TrayRecording::stopRequested);
    update();
}

void TrayRecording::setRecording(bool recording) {
    recording_ = recording;
    if (!recording)
        paused_ = false;
    update();
}

void TrayRecording::setPaused(bool paused) {
    paused_ = paused;
    update();
}

void TrayRecording::retranslate() {
    update();
}

void TrayRecording::update() {
    pauseAction_->setVisible(recording_);
    stopAction_->setVisible(recording_);
    separator_->setVisible(recording_);
    pauseAction_->setText(paused_ ? kPanelTr.tr("Resume recording")
                                  : kPanelTr.tr("Pause recording"));
    stopAction_->setText(kPanelTr.tr("Stop recording"));
    icon_.setIcon(recording_ ? recordingIcon_ : idleIcon_);
    icon_.setToolTip(recording_ ? (paused_ ? tr("Recording paused. Click to stop it.")
                                           : tr("Recording. Click to stop it."))
                                : QCoreApplication::applicationName());
}
