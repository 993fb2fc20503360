// The floating record button and what decides whether it shows: the user's setting, the
// capture overlay, and a tray host that is not there or has gone (then the button is the
// only way in). Also what the user must hear of the desktop once: a Wayland session.
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "capture/CropCtrl.h"
#include "platform/Platform.h"
#include "settings/AppSettings.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

bool MainWindow::dockable() {
    return platform::Platform::current().placesWindows();
}

void MainWindow::checkDesktop() {
    if (!dockable() && AppSettings::showSnapButton(settings_) &&
        !settings_.value(AppSettings::kNoRecordButtonSaid, false).toBool()) {
        // Said once: the user wanted the button, and this desktop cannot keep it at an edge.
        settings_.setValue(AppSettings::kNoRecordButtonSaid, true);
        showNotice(tr("On this desktop the record button cannot stay at the edge of the "
                      "screen, so it is not shown. Open the capture from the tray icon, or bind "
                      "clipnest --capture in the desktop's keyboard settings."));
    }
    if (platform::Platform::current().startupNotice() ==
        platform::Platform::Notice::OnlyX11WindowsRecord) {
        // Said once per start, before the user records black pictures. Not modal: the
        // program goes on working (windows of X11 programs do record).
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Clipnest"),
            tr("This is a Wayland session. Clipnest records the screen through X11, so here it "
               "sees only the windows of X11 programs; everything else records as black."),
            QMessageBox::Ok);
        box->setInformativeText(tr("To record the whole screen, log out and choose an X11 "
                                   "(Xorg) session on the login screen."));
        box->setTextFormat(Qt::PlainText);
        box->setObjectName(QStringLiteral("WaylandNotice"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    }
}

void MainWindow::onTrayHostAnswer(bool available) {
    // Not over a capture the user already opened (clipnest --capture at the first start): it
    // would take the keys meant for the overlay. The next answer, a few seconds on, brings it.
    if (firstRunHintDue_ && !(cropCtrl_ && cropCtrl_->isVisible())) {
        firstRunHintDue_ = false;
        showFirstRunHint(available);
    }
    if (available == trayAvailable_ && trayMissingSaid_ == !available)
        return;
    trayAvailable_ = available;
    if (cropCtrl_)
        cropCtrl_->setTrayShown(available);
    if (!available && !dockable()) {
        // No tray and no record button: the desktop's own keyboard settings are the way in.
        if (!trayMissingSaid_) {
            trayMissingSaid_ = true;
            showNotice(tr("There is no system tray here. Bind clipnest --capture in the "
                          "desktop's keyboard settings to open the capture."));
        }
    } else if (!available) {
        // Without a tray the record button is the only way in: show it whatever the
        // setting says (the setting itself is left as the user chose it).
        if (!cropCtrl_ || !cropCtrl_->isVisible()) {
            if (!snapButtonInitialised_)
                initSnapButton();
            else
                snapshotButton_.show();
        }
        if (!trayMissingSaid_) {
            trayMissingSaid_ = true;
            showNotice(tr("There is no system tray here: use the record button, or bind a "
                          "keyboard shortcut to clipnest --capture"));
        }
    } else if (snapButtonInitialised_ && !AppSettings::showSnapButton(settings_)) {
        snapshotButton_.hide();
    }
}

bool MainWindow::recordButtonWanted() const {
    return dockable() && (!trayAvailable_ || AppSettings::showSnapButton(settings_));
}

void MainWindow::initSnapButton() {
    snapButtonInitialised_ = true;
    connect(&snapshotButton_, &SnapshotButton::clicked, this, &MainWindow::makeScreenshot);
    connect(&snapshotButton_, &SnapshotButton::onShowHide, this,
            &MainWindow::onShowHideFromSnapButton);
    connect(&snapshotButton_, &SnapshotButton::docked, this,
            [this](Edge edge, const QPoint& position) {
                AppSettings::setSnapButtonDock(settings_, edge, position);
                settings_.sync();
            });
    snapshotButton_.show();
    snapshotButton_.setState(SnapshotButtonGeometry::StateMoving);
    const std::optional<Edge> edge = AppSettings::snapButtonEdge(settings_);
    const std::optional<QPoint> stored = AppSettings::snapButtonPosition(settings_);
    if (edge && stored) {
        // Back where the user left it, on the monitor that holds that place now (else the
        // primary one), kept on that monitor: monitors may have gone or shrunk since.
        const QScreen* at = QGuiApplication::screenAt(*stored);
        if (!at)
            at = QGuiApplication::primaryScreen();
        const QRect available = at ? at->availableGeometry() : screen()->availableGeometry();
        snapshotButton_.setPosition(
            Placement::keptInside(available, *stored, snapshotButton_.size()));
        snapshotButton_.dockTo(*edge);
        return;
    }
    snapshotButton_.setPosition(
        Placement::snapButtonStartPoint(screen()->availableGeometry(), snapshotButton_.size()));
    snapshotButton_.dock(true);
}

void MainWindow::onCropControlClosed() {
    if (!recordButtonWanted())
        return;
    if (snapButtonInitialised_)
        snapshotButton_.show();
    else
        initSnapButton();
}

void MainWindow::onShowHideSnapButton(bool checked) {
    settings_.setValue(AppSettings::kShowSnapButton, checked);
    settings_.sync();
    if (checked) {
        if (!snapButtonInitialised_)
            initSnapButton();
        snapshotButton_.show();
    } else if (trayAvailable_) {
        snapshotButton_.hide();
    }
}

void MainWindow::onShowHideFromSnapButton(bool checked) {
    showHideAction_->setChecked(checked);
    onShowHideSnapButton(checked);
}
