// The four button bars around the selected area: start, recording, finished and share.
#include "capture/CropCtrl.h"

#include "capture/SelectionGeometry.h"
#include "widgets/PushButtonWithTooltip.h"

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
    (*panel)->setFixedHeight(panelHeight);
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
    startRecordPanel = new QWidget(this);
    startRecordPanel->setAttribute(Qt::WA_MouseTracking);
    startRecordPanel->setAttribute(Qt::WA_StyledBackground);
    startRecordPanel->setObjectName(QStringLiteral("StartRecordPanel"));
    startRecordPanel->setStyleSheet(
        QStringLiteral("QWidget#%1 { %2 }").arg(QStringLiteral("StartRecordPanel"), darkStyle));
    startRecordPanel->setFixedHeight(panelHeight);
    setupPanelLayout(startRecordPanel);

    recordButton =
        makeImageButton(startRecordPanel, QStringLiteral("RecordButton"),
                        QStringLiteral(":/Resources/Buttons/record.png"), false, QSize());
    connect(recordButton, &QPushButton::clicked, this, &CropCtrl::record);
    startRecordPanel->layout()->addWidget(
        createSeparator(startRecordPanel, QStringLiteral("color:white;")));

    soundCheckBox = new QCheckBox(startRecordPanel);
    soundCheckBox->setObjectName(QStringLiteral("SoundCheckBox"));
    soundCheckBox->setFont(panelFont());
    soundCheckBox->setChecked(true);
    soundCheckBox->setStyleSheet(QStringLiteral(
        "QCheckBox {\tcolor: white;\t}\t"
        "QCheckBox::indicator {\twidth: 22px;\theight: 22px;\t}\t"
        "QCheckBox::indicator:unchecked {\timage: url(:/Resources/Buttons/unchecked.png);\t}\t"
        "QCheckBox::indicator:checked {\timage: url(:/Resources/Buttons/checked.png);\t}"));
    startRecordPanel->layout()->addWidget(soundCheckBox);
    startRecordPanel->layout()->addWidget(
        createSeparator(startRecordPanel, QStringLiteral("color:white;")));

    closeButton = makeImageButton(startRecordPanel, QStringLiteral("CloseButton"),
                                  QStringLiteral(":/Resources/Buttons/close.png"), true, QSize());
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    startRecordPanel->adjustSize();
    startRecordPanel->hide();
}

void CropCtrl::buildRecordPanel() {
    recordPanelWindow = makePanelWindow(&recordPanel, QStringLiteral("RecordPanel"), darkStyle);
    timeLabel = new QLabel(recordPanel);
    timeLabel->setObjectName(QStringLiteral("TimeLabel"));
    timeLabel->setFont(panelFont());
    timeLabel->setStyleSheet(QStringLiteral("color:white;"));
    timeLabel->setFixedWidth(
        QFontMetrics(timeLabel->font()).horizontalAdvance(QStringLiteral("99:99:99")));
    recordPanel->layout()->addWidget(timeLabel);
    recordPanel->layout()->addWidget(createSeparator(recordPanel, QStringLiteral("color:white;")));

    stopRecordButton = new PushButtonWithTooltip(recordPanel);
    stopRecordButton->setObjectName(QStringLiteral("StopRecordButton"));
    stopRecordButton->setAttribute(Qt::WA_MouseTracking);
    stopRecordButton->setFont(panelFont());
    stopRecordButton->setStyleSheet(QStringLiteral(
        "background: url(:/Resources/Buttons/record_stop.png) right center no-repeat;\t"
        "background-color: transparent;\tcolor: white;\tpadding-left: -30px;"));
    connect(stopRecordButton, &QPushButton::clicked, this, &CropCtrl::stopRecord);
    recordPanel->layout()->addWidget(stopRecordButton);

    recordPanel->adjustSize();
    recordPanelWindow->adjustSize();
    recordPanelWindow->hide();
}

void CropCtrl::buildRecordFinishedPanel() {
    finishedPanelWindow =
        makePanelWindow(&finishedPanel, QStringLiteral("RecordFinishedPanel"), darkStyle);
    const QSize buttonSize(26, 25);
    const QString white = QStringLiteral("color:white;");
    saveButton = makeImageButton(finishedPanel, QStringLiteral("SaveButton"),
                                 QStringLiteral(":/Resources/Buttons/save.png"), true, buttonSize);
    connect(saveButton, &QPushButton::clicked, this, &CropCtrl::save);
    finishedPanel->layout()->addWidget(createSeparator(finishedPanel, white));
    uploadButton =
        makeImageButton(finishedPanel, QStringLiteral("UploadButton"),
                        QStringLiteral(":/Resources/Buttons/upload.png"), true, buttonSize);
    connect(uploadButton, &QPushButton::clicked, this, &CropCtrl::upload);
    finishedPanel->layout()->addWidget(createSeparator(finishedPanel, white));
    shareButton =
        makeImageButton(finishedPanel, QStringLiteral("ShareButton"),
                        QStringLiteral(":/Resources/Buttons/share.png"), true, buttonSize);
    finishedPanel->layout()->addWidget(createSeparator(finishedPanel, white));
    closeFinishPanelButton =
        makeImageButton(finishedPanel, QStringLiteral("CloseFinishPanelButton"),
                        QStringLiteral(":/Resources/Buttons/close.png"), true, buttonSize);
    connect(closeFinishPanelButton, &QPushButton::clicked, this,
            &CropCtrl::closeRecordFinishedPanel);
    finishedPanel->adjustSize();
    finishedPanelWindow->adjustSize();
    finishedPanelWindow->hide();
}

void CropCtrl::buildSocialButtonPanel() {
    socialPanelWindow =
        makePanelWindow(&socialPanel, QStringLiteral("SocialButtonPanel"), lightStyle);
    const QSize buttonSize(24, 24);
    facebookButton =
        makeImageButton(socialPanel, QStringLiteral("FacebookButton"),
                        QStringLiteral(":/Resources/Social/facebook.png"), false, buttonSize);
    socialPanel->layout()->addWidget(createSeparator(socialPanel, QString()));
    twitterButton =
        makeImageButton(socialPanel, QStringLiteral("TwitterButton"),
                        QStringLiteral(":/Resources/Social/twitter.png"), false, buttonSize);
    socialPanel->layout()->addWidget(createSeparator(socialPanel, QString()));
    googleButton =
        makeImageButton(socialPanel, QStringLiteral("GoogleButton"),
                        QStringLiteral(":/Resources/Social/google+.png"), false, buttonSize);
    connect(facebookButton, &QPushButton::clicked, this,
            [this] { share(SocialNetwork::Facebook); });
    connect(twitterButton, &QPushButton::clicked, this, [this] { share(SocialNetwork::Twitter); });
    connect(googleButton, &QPushButton::clicked, this,
            [this] { share(SocialNetwork::GooglePlus); });
    socialPanel->adjustSize();
    socialPanelWindow->adjustSize();
    socialPanelWindow->hide();
}

void CropCtrl::updateTexts() {
    recordAction->setText(tr("Record"));
    clearAction->setText(tr("Clear"));
    closeAction->setText(tr("Close"));

    saveButton->tooltipText = tr("Save video to computer");
    uploadButton->tooltipText = tr("Upload video to server");
    shareButton->tooltipText = tr("Share");
    closeButton->tooltipText = tr("Close");
    closeFinishPanelButton->tooltipText = tr("Close");
    facebookButton->tooltipText = tr("Share to facebook");
    twitterButton->tooltipText = tr("Share to twitter");
    googleButton->tooltipText = tr("Share to google+");

    recordButton->setToolTip(tr("Record"));

    const QString withSound = tr("Record with sound");
    soundCheckBox->setText(withSound);
    recordWithSoundAction->setText(withSound);
    soundCheckBox->setFixedWidth(QFontMetrics(soundCheckBox->font()).horizontalAdvance(withSound) +
                                 30);
    startRecordPanel->adjustSize();

    const QString stop = tr("Stop recording");
    stopRecordButton->setText(stop);
    stopRecordButton->tooltipText = stop;
    stopRecordButton->setFixedSize(
        QFontMetrics(stopRecordButton->font()).horizontalAdvance(stop) +
            QPixmap(QStringLiteral(":/Resources/Buttons/record.png")).width() + 15,
        26);
    stopRecordButton->adjustSize();
    recordPanel->adjustSize();
    recordPanelWindow->adjustSize();

    const QString hint = tr("Select the area");
    hintLabel->setText(hint);
    hintLabel->setMinimumWidth(QFontMetrics(hintLabel->font()).horizontalAdvance(hint) + 20);
}

void CropCtrl::placePanel(QWidget* panel) {
    QPoint pos = CaptureGeometry::panelPos(selection, panel->size(), height());
    if (panel->isWindow())
        pos += geometry().topLeft();
    panel->move(pos);
}

void CropCtrl::placeRecordPanel() {
    const QPoint pos =
        CaptureGeometry::recordPanelPos(selection, recordPanelWindow->size(), height());
    recordPanelWindow->move(pos + geometry().topLeft());
}

void CropCtrl::placeSocialPanel() {
    const QPoint p = shareButton->mapToGlobal(QPoint(0, 0));
    const QRect finished = finishedPanelWindow->geometry().translated(-geometry().topLeft());
    QPoint pos = CaptureGeometry::socialPanelPos(p - geometry().topLeft(), shareButton->width(),
                                                 socialPanelWindow->size(), finished, height());
    socialPanelWindow->move(pos + geometry().topLeft());
}
