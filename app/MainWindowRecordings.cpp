// The main window's part in the recordings kept for the user: their rows in the history
// window, what the rows' buttons do, and the recovery at start of what a killed run left.
#include "app/MainWindow.h"

#include "app/KeptSpaceGuard.h"
#include "app/StartupRecovery.h"
#include "app/UploadController.h"
#include "upload/UploadQueue.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/SaveRecordingFlow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

void MainWindow::connectRecordingRows() {
    connect(&recordings_, &RecordingStore::changed, this, &MainWindow::showRecordingRows);
    showRecordingRows();

    connect(&historyWidget_, &HistoryWidget::uploadAgainRequested, uploads_,
            [this](const QString& filePath) { uploads_->uploadRecording(filePath, -1); });
    connect(&historyWidget_, &HistoryWidget::retryNowRequested, uploads_,
            [this](const QString& filePath) { uploads_->queue()->retryNow(filePath); });
    connect(&historyWidget_, &HistoryWidget::saveRequested, this,
            &MainWindow::onSaveRecordingRequested);
    connect(&historyWidget_, &HistoryWidget::deleteRequested, this,
            &MainWindow::onDeleteRecordingRequested);
    connect(&historyWidget_, &HistoryWidget::openFolderRequested, this,
            &MainWindow::onOpenRecordingFolderRequested);

    // After each recording kept or uploaded, and at start: within the user's bound.
    keptSpace_ = new KeptSpaceGuard(&recordings_, this, this);
    keptSpace_->boundChanged();
}

void MainWindow::showRecordingRows() {
    historyWidget_.setRecordings(recordings_.list());
    historyWidget_.setKeptUploads(recordings_.kept());
}

void MainWindow::onSaveRecordingRequested(const QString& filePath) {
    SaveRecordingFlow* flow = SaveRecordingFlow::saveRecordingAs(filePath, &recordings_, this);
    if (!flow)
        return;
    connect(flow, &SaveRecordingFlow::done, uploads_,
            [this](const QString& source, const QString&, bool saved) {
                if (!saved)
                    return;
                // Saved elsewhere, it is no longer ours to upload.
                uploads_->cancelUpload(source);
                // A copy whose original stayed: letting this one go later loses nothing.
                if (recordings_.contains(source) && QFileInfo::exists(source))
                    recordings_.markSaved(source);
            });
}

void MainWindow::onOpenRecordingFolderRequested(const QString& filePath) {
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"),
                         tr("No program could open the folder %1.").arg(folder));
}

void MainWindow::onDeleteRecordingRequested(const QString& filePath) {
    // The only copy of what the user recorded: asked first, and No is the default.
    if (showPlainMessage(this, QMessageBox::Question, tr("Delete recording"),
                         tr("Delete this recording for good? It has not been uploaded or saved "
                            "anywhere else."),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    uploads_->cancelUpload(filePath);
    const QString error = recordings_.remove(filePath);
    if (!error.isEmpty())
        showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"), error);
}

void MainWindow::startRecovery() {
    auto* recovery = new StartupRecovery(&recordings_, this);
    connect(recovery, &StartupRecovery::finished, this, &MainWindow::onRecoveryFinished);
    // Once: the object goes when it is done (or with the window).
    connect(recovery, &StartupRecovery::finished, recovery, &QObject::deleteLater);
    recovery->start();
}

void MainWindow::onRecoveryFinished(int recovered, const QStringList& messages) {
    if (recovered == 1) {
        showNotice(tr("A recording cut short when Clipnest last ended was recovered: find it "
                      "in the history."));
    } else if (recovered > 1) {
        showNotice(tr("%1 recordings cut short when Clipnest last ended were recovered: find "
                      "them in the history.")
                       .arg(recovered));
    }
    if (messages.isEmpty())
        return;
    // Not modal: start-up goes on, and the box stays until the user has read it.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Clipnest"),
                                messages.join(QStringLiteral("\n\n")), QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setObjectName(QStringLiteral("RecoveryMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void MainWindow::askToQuit() {
    if (quitQuestion_) {
        quitQuestion_->raise();
        quitQuestion_->activateWindow();
        return;
    }
    // Whatever the service has not taken is still only here; the store keeps it on disk
    // and the next start offers it again, so the question only makes sure the user knows.
    int unsent = 0;
    for (const RecordingEntry& entry : recordings_.list()) {
        if (entry.state != RecordingState::Uploaded)
            ++unsent;
    }
    if (unsent == 0) {
        close();
        return;
    }
    const QString text =
        unsent == 1 ? tr("One recording has not been saved or uploaded. Quit anyway? It will be "
                         "offered again at the next start.")
                    : tr("%1 recordings have not been saved or uploaded. Quit anyway? They will "
                         "be offered again at the next start.")
                          .arg(unsent);
    auto* box = new PlacedMessageBox(QMessageBox::Question, QStringLiteral("Clipnest"), text,
                                     QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("QuitWithUnsentRecordings"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* quit = box->addButton(tr("&Quit"), QMessageBox::AcceptRole);
    // Cancel is what Enter and Escape give: quitting is the step to take on purpose.
    box->setDefaultButton(QMessageBox::Cancel);
    box->setEscapeButton(QMessageBox::Cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, quit](QAbstractButton* button) {
        if (button == quit)
            close();
    });
    quitQuestion_ = box;
    box->show();
    box->raise();
    box->activateWindow();
}
