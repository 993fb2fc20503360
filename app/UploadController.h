#pragma once

#include "upload/SocialNetwork.h"
#include "upload/UploadFailure.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QHash>
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

namespace platform {
class DesktopNotifications;
class PopupNotifications;
} // namespace platform

// What happens to a recording the user sends away: the service address is checked, the file
// joins the upload queue (which retries what failed for a passing reason and resumes after a
// restart), the progress window follows the uploads the user is waiting for, and an accepted
// answer becomes a link on the clipboard (with the "copied" notice) or a share page in the
// browser, and a row in the upload history; the recording stays kept, with its link.
//
// The clipboard is the user's: a link is put there only while the user is waiting for it
// (the attempt they started, or a retry shortly after they asked). A link that arrives later
// by an automatic retry is announced with a "Copy link" button and copied on its click.
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

    // How long after the user asked for an upload its link may still go to the clipboard
    // unasked: a retry that soon still answers the click the user is waiting on; past it
    // the user has likely moved on and copied something else that must not be replaced.
    static constexpr qint64 kPromptCopyWindowMs = 10000;

    // The windows it shows, for their titles and for tests. Without desktop notifications
    // (see useDesktopNotifications()), or where they fail, failures and late links are told
    // in failureNotice(), the link copied in popup().
    PopupNotify* popup() const { return popup_; }
    PopupNotify* failureNotice() const { return notice_; }
    // From now on the notices go to the desktop's notification service on `bus`, where it
    // answers, else to the controller's own popups as before.
    void useDesktopNotifications(const QDBusConnection& bus);
    // For tests: the monotonic clock (milliseconds) that the prompt-copy window is read on;
    // an empty function restores the real one.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
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
    // A link that came when the user was no longer waiting for it.
    void announceLink(const QString& link);
    void onNoticeAction(quint32 id, const QString& actionKey);
    // Whether the user asked for this upload recently enough to expect its link now.
    bool userIsWaiting(const QString& filePath, bool userStarted) const;
    qint64 now() const { return clock_ ? clock_() : monotonic_.elapsed(); }
    platform::DesktopNotifications* notifications() const;
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
    // Our own popups, and the desktop's notifications in front of each once asked for.
    platform::PopupNotifications* ownNotices_;
    platform::PopupNotifications* ownCopiedNotice_;
    platform::DesktopNotifications* desktopNotices_ = nullptr;
    platform::DesktopNotifications* desktopCopiedNotice_ = nullptr;
    // When the user last asked for each recording's upload, on clock_.
    QHash<QString, qint64> askedAt_;
    QElapsedTimer monotonic_;
    std::function<qint64()> clock_;
    // Announced links whose "Copy link" may still be clicked, by notice id.
    QHash<quint32, QString> announcedLinks_;
};
