#pragma once

#include "upload/SocialNetwork.h"
#include "upload/UploadFailure.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class PopupNotify;
class ProgressWidget;
class QWidget;
class RecordingStore;
class UploadQueue;

// What happens to a recording the user sends away: the service address is checked, the file
// joins the upload queue (which retries what failed for a passing reason and resumes after a
// restart), the progress window follows the uploads the user is waiting for, and an accepted
// answer becomes a link on the clipboard (with the "copied" popup) or a share page in the
// browser, a row in the upload history, and the recording leaves the recordings folder.
//
// A failed attempt the user started ends in a message box; the attempts the queue makes by
// itself are told more quietly (the popup, and the recording's state in the store, which
// keeps the reason). It has no tray and no main window, so tests drive it alone.
// GUI thread only.
class UploadController : public QObject {
    Q_OBJECT
public:
    // `store` holds the recordings and what becomes of their uploads; it must not be null
    // and must outlive the controller. `dialogParent` is the window message boxes belong to; it may
    // be null.
    explicit UploadController(RecordingStore* store, QWidget* dialogParent = nullptr,
                              QObject* parent = nullptr);
    ~UploadController() override;

    // The windows it shows, for their titles and for tests.
    PopupNotify* popup() const { return popup_; }
    PopupNotify* failureNotice() const { return notice_; }
    ProgressWidget* progressWindow() const { return progressWindow_; }
    UploadQueue* queue() const { return queue_; }
    RecordingStore* store() const { return store_; }

    // Brings the upload history up to date with the links the store holds and starts again
    // the uploads an earlier run left pending. Opens the store if needed; returns an empty
    // string, or the readable message why it could not be opened.
    QString resumePending();

    // Where the tray icon is now (empty when the tray host does not say): the popup and
    // the progress window go on that monitor, else on the pointer's.
    void setTrayGeometrySource(std::function<QRect()> source);

signals:
    // The user asked, from an upload's error box, to mend the service's settings.
    void settingsWanted();

public slots:
    // Uploads a kept recording and then puts the link on the clipboard (shareTarget -1) or
    // opens the share page of that SocialNetwork value. The video's size, which the service
    // is told, is read from the file.
    void uploadRecording(const QString& filePath, int shareTarget);
    // The same for a recording whose size (in the video's pixels) is known.
    void uploadRecordingOfSize(const QString& filePath, const QSize& videoSize, int shareTarget);
    // Drops the pending upload of a recording (it was deleted or saved elsewhere).
    void cancelUpload(const QString& filePath);
    // The "copied to clipboard" popup, in the middle of the screen.
    void showCopiedToClipboard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onProgress(const QString& filePath, int percent, bool userStarted);
    void onAccepted(const QString& filePath, const QString& link, int shareTarget,
                    bool userStarted);
    void onFailed(const QString& filePath, const QString& message, UploadFailureKind kind,
                  bool userStarted, bool willRetry);
    // A failure before anything was sent: told to the user, and kept with the recording.
    void refuse(const QString& filePath, const QString& message, bool aboutSettings = false);
    void endProgress(const QString& filePath);
    void showError(QMessageBox::Icon icon, const QString& text, bool offerSettings = false);
    void showNotice(const QString& text);
    void applySettings();
    void centreOnScreen(QWidget* window) const;
    void retranslate();

    QWidget* dialogParent_;
    RecordingStore* store_;
    UploadQueue* queue_;
    PopupNotify* popup_;
    PopupNotify* notice_;
    ProgressWidget* progressWindow_;
    // The upload the progress window follows: one the user started and waits for.
    QString progressFile_;
    std::function<QRect()> trayGeometry_;
};
