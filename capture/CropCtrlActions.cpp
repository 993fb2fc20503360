// What the user can do with a finished recording: save it, upload it, share it, or close.
#include "capture/CropCtrl.h"

#include "capture/RecordingPath.h"
#include "widgets/PlainMessageBox.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWindow>

void CropCtrl::tearDown() {
    mode_ = Idle;
    recordRect_.hide();
    finishedPanelWindow_->hide();
    socialPanelWindow_->hide();
    close();
}

void CropCtrl::save() {
    setCursor(Qt::ArrowCursor);
    const QString proposed =
        QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + QLatin1Char('/') +
        QStringLiteral("record-%1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("hh.mm.ss[dd.MM.yyyy]"))) +
        QLatin1Char('.') + session_.fileExtension();

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
        if (overlayShown && mode_ != Idle && !isVisible()) {
            QWidget::show();
            raise();
            activateWindow();
            takeKeyboard(kKeyboardRetries);
        }
    };

    const QString recording = session_.finishedFile();
    const QString target = QFileDialog::getSaveFileName(this, tr("Save"), proposed);
    if (target.isEmpty()) {
        restoreOverlay();
        return;
    }
    if (!saveRecordingCopy(recording, target)) {
        // The recording and the panels stay, so the user can pick another place.
        showPlainMessage(this, QMessageBox::Critical, tr("Error"),
                         QStringLiteral("%1: \"%2\"").arg(tr("Can not save file"), target));
        restoreOverlay();
        return;
    }
    QFile::remove(recording);
    tearDown();
}

bool CropCtrl::readRecording(QByteArray* video, const QString& errorTitle) {
    const QString recording = session_.filePath();
    QFile file(recording);
    if (recording.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        QMessageBox::critical(this, errorTitle, QStringLiteral("Can not open file"),
                              QMessageBox::Ok);
        return false;
    }
    *video = file.readAll();
    file.close();
    return true;
}

void CropCtrl::upload() {
    setCursor(Qt::ArrowCursor);
    QByteArray video;
    if (!readRecording(&video, QStringLiteral("Upload error")))
        return;
    emit uploadImageData(video);
    tearDown();
}

void CropCtrl::share(SocialNetwork network) {
    setCursor(Qt::ArrowCursor);
    QByteArray video;
    if (!readRecording(&video, QStringLiteral("Share error")))
        return;
    emit uploadImageDataAndShare(video, network);
    tearDown();
}

void CropCtrl::closeRecordFinishedPanel() {
    tearDown();
}
