// What the user can do with a finished recording: save it, upload it, share it, or close.
#include "capture/CropCtrl.h"

#include "capture/RecordingPath.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWindow>

void CropCtrl::tearDown() {
    mode = Idle;
    recordRect.hide();
    finishedPanelWindow->hide();
    socialPanelWindow->hide();
    close();
}

void CropCtrl::save() {
    setCursor(Qt::ArrowCursor);
    const QString proposed =
        QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + QLatin1Char('/') +
        QStringLiteral("record-%1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("hh.mm.ss[dd.MM.yyyy]"))) +
        QLatin1Char('.') + fileExtension;

    // Reached by Ctrl+S while the overlay is up: the overlay lies above every window, so it
    // steps aside while the dialog and any message are open, and comes back if nothing was
    // saved.
    const bool overlayShown = isVisible();
    if (overlayShown) {
        if (QWindow* window = windowHandle())
            window->setKeyboardGrabEnabled(false);
        QWidget::hide();
    }
    const auto restoreOverlay = [this, overlayShown] {
        if (overlayShown && mode != Idle && !isVisible()) {
            QWidget::show();
            raise();
            activateWindow();
            takeKeyboard(kKeyboardRetries);
        }
    };

    if (recordFilePath.isEmpty()) // nothing recorded since start: whatever an earlier run left
        recordFilePath = prepareRecordingPath().filePath;
    const QString target = QFileDialog::getSaveFileName(this, tr("Save"), proposed);
    if (target.isEmpty()) {
        restoreOverlay();
        return;
    }
    if (!QFile::copy(recordFilePath, target)) {
        // The recording and the panels stay, so the user can pick another place.
        QMessageBox::critical(this, tr("Error"),
                              QStringLiteral("%1: \"%2\"").arg(tr("Can not save file"), target),
                              QMessageBox::Ok);
        restoreOverlay();
        return;
    }
    QFile::remove(recordFilePath);
    tearDown();
}

bool CropCtrl::readRecording(QByteArray* data, const QString& errorTitle) {
    QFile file(recordFilePath);
    if (recordFilePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        QMessageBox::critical(this, errorTitle, QStringLiteral("Can not open file"),
                              QMessageBox::Ok);
        return false;
    }
    *data = file.readAll();
    file.close();
    return true;
}

void CropCtrl::upload() {
    setCursor(Qt::ArrowCursor);
    QByteArray data;
    if (!readRecording(&data, QStringLiteral("Upload error")))
        return;
    emit uploadImageData(data);
    tearDown();
}

void CropCtrl::share() {
    setCursor(Qt::ArrowCursor);
    const QString name = sender() ? sender()->objectName() : QString();
    if (name.isEmpty())
        return;
    int network = Facebook;
    if (name == QLatin1String("TwitterButton"))
        network = Twitter;
    else if (name == QLatin1String("GoogleButton"))
        network = GooglePlus;
    QByteArray data;
    if (!readRecording(&data, QStringLiteral("Share error")))
        return;
    emit uploadImageDataAndShare(data, network);
    tearDown();
}

void CropCtrl::closeRecordFinishedPanel() {
    tearDown();
}
