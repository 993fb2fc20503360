// The four button bars around the selected area: start, recording, finished and share.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "widgets/PushButtonWithTooltip.h"
#include "widgets/SoundSourceMenu.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

namespace {

QFont panelFont() {
    return QFont(QStringLiteral("Arial Semibold"), 11);
}

QSize imageSize(const QString& path) {
    return QPixmap(path).size();
}

void setupPanelLayout(QWidget* panel) {
    auto* layout = new QHBoxLayout(panel);
    layout->setSpacing(5);
    layout->setContentsMargins(5, 5, 5, 5);
}

} // namespace

QFrame* CropCtrl::createSeparator(QWidget* parent, const QString& style) {
    auto* separator = new QFrame(parent);
    separator->setStyleSheet(style);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Plain);
    separator->setFixedSize(3, 26);
    return separator;
}

QWidget* CropCtrl::makePanelWindow(QWidget** panel, const QString& name, const QString& style) {
    auto* window = new QWidget(nullptr);
    // Bypassing the window manager keeps the panels exactly where they are placed, above
    // other windows, and keeps them from taking the focus from the program being recorded.
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    auto* windowLayout = new QHBoxLayout(window);
    windowLayout->setContentsMargins(0, 0, 0, 0);

    *panel = new QWidget(window);
    (*panel)->setObjectName(name);
    (*panel)->setAttribute(Qt::WA_StyledBackground);
    (*panel)->setStyleSheet(QStringLiteral("QWidget#%1 { %2 }").arg(name, style));
    (*panel)->setFixedHeight(panelHeight_);
    windowLayout->addWidget(*panel);
    setupPanelLayout(*panel);
    return window;
}

PushButtonWithTooltip* CropCtrl::makeImageButton(QWidget* panel, const QString& name,
                                                 const QString& image, bool withHover, QSize size) {
    auto* button = new PushButtonWithTooltip(panel);
    button->setObjectName(name);
    button->setAttribute(Qt::WA_MouseTracking);
    QString style = QStringLiteral("QPushButton#%1 {\tborder-image: url(%2);\t}").arg(name, image);
    if (withHover) {
        QString hover = image;
        hover.replace(QStringLiteral(".png"), QStringLiteral("_hover.png"));
        style +=
            QStringLiteral("\tQPushButton#%1:hover {\tborder-image: url(%2);\t}").arg(name, hover);
    }
    button->setStyleSheet(style);
    button->setFixedSize(size.isValid() ? size : imageSize(image));
    panel->layout()->addWidget(button);
    return button;
}

void CropCtrl::buildStartRecordPanel() {
    startRecordPanel_ = new QWidget(this);
    startRecordPanel_->setAttribute(Qt::WA_MouseTracking);
    startRecordPanel_->setAttribute(Qt::WA_StyledBackground);
    startRecordPanel_->setObjectName(QStringLiteral("StartRecordPanel"));
    startRecordPanel_->setStyleSheet(
        QStringLiteral("QWidget#%1 { %2 }").arg(QStringLiteral("StartRecordPanel"), darkStyle_));
    startRecordPanel_->setFixedHeight(panelHeight_);
    setupPanelLayout(startRecordPanel_);

    recordButton_ =
        makeImageButton(startRecordPanel_, QStringLiteral("RecordButton"),
                        QStringLiteral(":/Resources/Buttons/record.png"), false, QSize());
    connect(recordButton_, &QPushButton::clicked, this, &CropCtrl::record);
    startRecordPanel_->layout()->addWidget(
        createSeparator(startRecordPanel_, QStringLiteral("color:white;")));

    soundCheckBox_ = new QCheckBox(startRecordPanel_);
    soundCheckBox_->setObjectName(QStringLiteral("SoundCheckBox"));
    soundCheckBox_->setFont(panelFont());
    soundCheckBox_->setChecked(true);
    soundCheckBox_->setStyleSheet(QStringLiteral(
        "QCheckBox {\tcolor: white;\t}\t"
        "QCheckBox::indicator {\twidth: 22px;\theight: 22px;\t}\t"
        "QCheckBox::indicator:unchecked {\timage: url(:/Resources/Buttons/unchecked.png);\t}\t"
        "QCheckBox::indicator:checked {\timage: url(:/Resources/Buttons/checked.png);\t}"));
    startRecordPanel_->layout()->addWidget(soundCheckBox_);
    startRecordPanel_->layout()->addWidget(
        createSeparator(startRecordPanel_, QStringLiteral("color:white;")));

    closeButton_ = makeImageButton(startRecordPanel_, QStringLiteral("CloseButton"),
                                   QStringLiteral(":/Resources/Buttons/close.png"), true, QSize());
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    startRecordPanel_->adjustSize();
    startRecordPanel_->hide();
}

void CropCtrl::buildRecordPanel() {
    recordPanelWindow_ = makePanelWindow(&recordPanel_, QStringLiteral("RecordPanel"), darkStyle_);
    timeLabel_ = new QLabel(recordPanel_);
    timeLabel_->setObjectName(QStringLiteral("TimeLabel"));
    timeLabel_->setFont(panelFont());
    timeLabel_->setStyleSheet(QStringLiteral("color:white;"));
    timeLabel_->setFixedWidth(
        QFontMetrics(timeLabel_->font()).horizontalAdvance(QStringLiteral("99:99:99")));
    recordPanel_->layout()->addWidget(timeLabel_);
    recordPanel_->layout()->addWidget(
        createSeparator(recordPanel_, QStringLiteral("color:white;")));

    pauseRecordButton_ =
        makeImageButton(recordPanel_, QStringLiteral("PauseRecordButton"),
                        QStringLiteral(":/Resources/Buttons/pause.png"), true, QSize(26, 25));
    connect(pauseRecordButton_, &QPushButton::clicked, this, &CropCtrl::togglePause);

    stopRecordButton_ = new PushButtonWithTooltip(recordPanel_);
    stopRecordButton_->setObjectName(QStringLiteral("StopRecordButton"));
    stopRecordButton_->setAttribute(Qt::WA_MouseTracking);
    stopRecordButton_->setFont(panelFont());
    stopRecordButton_->setStyleSheet(QStringLiteral(
        "background: url(:/Resources/Buttons/record_stop.png) right center no-repeat;\t"
        "background-color: transparent;\tcolor: white;\tpadding-left: -30px;"));
    connect(stopRecordButton_, &QPushButton::clicked, this, &CropCtrl::stopRecord);
    recordPanel_->layout()->addWidget(stopRecordButton_);

    recordPanel_->adjustSize();
    recordPanelWindow_->adjustSize();
    recordPanelWindow_->hide();
}

void CropCtrl::buildRecordFinishedPanel() {
    finishedPanelWindow_ =
        makePanelWindow(&finishedPanel_, QStringLiteral("RecordFinishedPanel"), darkStyle_);
    const QSize buttonSize(26, 25);
    const QString white = QStringLiteral("color:white;");
    saveButton_ = makeImageButton(finishedPanel_, QStringLiteral("SaveButton"),
                                  QStringLiteral(":/Resources/Buttons/save.png"), true, buttonSize);
    connect(saveButton_, &QPushButton::clicked, this, &CropCtrl::save);
    finishedPanel_->layout()->addWidget(createSeparator(finishedPanel_, white));
    uploadButton_ =
        makeImageButton(finishedPanel_, QStringLiteral("UploadButton"),
                        QStringLiteral(":/Resources/Buttons/upload.png"), true, buttonSize);
    connect(uploadButton_, &QPushButton::clicked, this, &CropCtrl::upload);
    finishedPanel_->layout()->addWidget(createSeparator(finishedPanel_, white));
    shareButton_ =
        makeImageButton(finishedPanel_, QStringLiteral("ShareButton"),
                        QStringLiteral(":/Resources/Buttons/share.png"), true, buttonSize);
    finishedPanel_->layout()->addWidget(createSeparator(finishedPanel_, white));
    closeFinishPanelButton_ =
        makeImageButton(finishedPanel_, QStringLiteral("CloseFinishPanelButton"),
                        QStringLiteral(":/Resources/Buttons/close.png"), true, buttonSize);
    connect(closeFinishPanelButton_, &QPushButton::clicked, this,
            &CropCtrl::closeRecordFinishedPanel);
    finishingLabel_ = new QLabel(finishedPanel_);
    finishingLabel_->setObjectName(QStringLiteral("FinishingLabel"));
    finishingLabel_->setFont(panelFont());
    finishingLabel_->setStyleSheet(white);
    finishingLabel_->hide();
    finishedPanel_->layout()->addWidget(finishingLabel_);
    finishedPanel_->adjustSize();
    finishedPanelWindow_->adjustSize();
    finishedPanelWindow_->hide();
}

void CropCtrl::buildSocialButtonPanel() {
    socialPanelWindow_ =
        makePanelWindow(&socialPanel_, QStringLiteral("SocialButtonPanel"), lightStyle_);
    const QSize buttonSize(24, 24);
    facebookButton_ =
        makeImageButton(socialPanel_, QStringLiteral("FacebookButton"),
                        QStringLiteral(":/Resources/Social/facebook.png"), false, buttonSize);
    socialPanel_->layout()->addWidget(createSeparator(socialPanel_, QString()));
    twitterButton_ =
        makeImageButton(socialPanel_, QStringLiteral("TwitterButton"),
                        QStringLiteral(":/Resources/Social/twitter.png"), false, buttonSize);
    socialPanel_->layout()->addWidget(createSeparator(socialPanel_, QString()));
    googleButton_ =
        makeImageButton(socialPanel_, QStringLiteral("GoogleButton"),
                        QStringLiteral(":/Resources/Social/google+.png"), false, buttonSize);
    connect(facebookButton_, &QPushButton::clicked, this,
            [this] { share(SocialNetwork::Facebook); });
    connect(twitterButton_, &QPushButton::clicked, this, [this] { share(SocialNetwork::Twitter); });
    connect(googleButton_, &QPushButton::clicked, this,
            [this] { share(SocialNetwork::GooglePlus); });
    socialPanel_->adjustSize();
    socialPanelWindow_->adjustSize();
    socialPanelWindow_->hide();
}

void CropCtrl::updateTexts() {
    recordAction_->setText(tr("Record"));
    clearAction_->setText(tr("Clear"));
    closeAction_->setText(tr("Close"));

    saveButton_->tooltipText = tr("Save video to computer");
    uploadButton_->tooltipText = tr("Upload video to server");
    shareButton_->tooltipText = tr("Share");
    closeButton_->tooltipText = tr("Close");
    closeFinishPanelButton_->tooltipText = tr("Close");
    finishingLabel_->setText(tr("Finishing the video…"));
    facebookButton_->tooltipText = tr("Share to facebook");
    twitterButton_->tooltipText = tr("Share to twitter");
    googleButton_->tooltipText = tr("Share to google+");

    recordButton_->setToolTip(tr("Record"));

    const QString withSound = tr("Record with sound");
    soundCheckBox_->setText(withSound);
    recordWithSoundAction_->setText(withSound);
    soundCheckBox_->setFixedWidth(
        QFontMetrics(soundCheckBox_->font()).horizontalAdvance(withSound) + 30);
    startRecordPanel_->adjustSize();

    soundSources_->retranslate();
    pauseRecordButton_->tooltipText =
        session_.isPaused() ? tr("Resume recording") : tr("Pause recording");

    const QString stop = tr("Stop recording");
    stopRecordButton_->setText(stop);
    stopRecordButton_->tooltipText = stop;
    stopRecordButton_->setFixedSize(
        QFontMetrics(stopRecordButton_->font()).horizontalAdvance(stop) +
            QPixmap(QStringLiteral(":/Resources/Buttons/record.png")).width() + 15,
        26);
    stopRecordButton_->adjustSize();
    recordPanel_->adjustSize();
    recordPanelWindow_->adjustSize();

    const QString hint = tr("Select the area");
    hintLabel_->setText(hint);
    hintLabel_->setMinimumWidth(QFontMetrics(hintLabel_->font()).horizontalAdvance(hint) + 20);
}

// The panels go onto the monitor that holds the selection's bottom-right corner, next to
// which they are placed, and do not spill over onto another monitor.
void CropCtrl::placePanel(QWidget* panel) {
    const QPoint pos = CaptureGeometry::panelPos(selection_, panel->size(), overlaySize_.height());
    const QPoint anchor = CaptureGeometry::normalizedSelection(selection_).bottomRight();
    if (panel->isWindow())
        panel->move(toGlobal(QRect(pos, panel->size()), anchor, true).topLeft());
    else
        placeChild(panel, pos, anchor);
}

void CropCtrl::placeRecordPanel() {
    const QPoint pos = CaptureGeometry::recordPanelPos(selection_, recordPanelWindow_->size(),
                                                       overlaySize_.height());
    const QPoint anchor = CaptureGeometry::normalizedSelection(selection_).bottomRight();
    recordPanelWindow_->move(
        toGlobal(QRect(pos, recordPanelWindow_->size()), anchor, true).topLeft());
}

void CropCtrl::placeSocialPanel() {
    const QPoint p = fromGlobal(shareButton_->mapToGlobal(QPoint(0, 0)));
    const QRect finished = overlayRectOf(finishedPanelWindow_);
    const QPoint pos = CaptureGeometry::socialPanelPos(
        p, shareButton_->width(), socialPanelWindow_->size(), finished, overlaySize_.height());
    socialPanelWindow_->move(
        toGlobal(QRect(pos, socialPanelWindow_->size()), finished.center(), true).topLeft());
}
