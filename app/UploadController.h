#pragma once

#include "upload/HttpUploader.h"
#include "upload/SocialNetwork.h"

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class PopupNotify;
class ProgressWidget;
class QWidget;

// What happens to a finished recording the user sends away: the service address is checked,
// the file goes to the uploader, the progress window follows it, and the service's answer
// becomes a link on the clipboard (with the "copied" popup) or a share page in the browser,
// and a row in the upload history. Failures end in a message box. It has no tray and no
// main window, so tests drive it alone. GUI thread only.
class UploadController : public QObject {
    Q_OBJECT
public:
    // `dialogParent` is the window message boxes belong to; it may be null.
    explicit UploadController(QWidget* dialogParent = nullptr, QObject* parent = nullptr);
    ~UploadController() override;

    // The windows it shows, for their titles and for tests.
    PopupNotify* popup() const { return popup_; }
    ProgressWidget* progressWindow() const { return progressWindow_; }

    // Where the tray icon is now (empty when the tray host does not say): the popup and
    // the progress window go on that monitor, else on the pointer's.
    void setTrayGeometrySource(std::function<QRect()> source);

public slots:
    // Uploads a recording of `videoSize` (the recorded area in screen pixels, which the
    // service is told) and puts the answered link on the clipboard.
    void upload(const QByteArray& data, const QSize& videoSize);
    // The same, then opens the share page of `network` for the link instead.
    void uploadAndShare(const QByteArray& data, const QSize& videoSize, SocialNetwork network);
    // The "copied to clipboard" popup, in the middle of the screen.
    void showCopiedToClipboard();

    // The uploader's reports. Public so that tests can play the service's part.
    void onUploadProgress(double percent);
    void onUploadFinished(const QString& answer);
    void onUploadError(const QString& error);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startUpload(const QByteArray& data, const QSize& videoSize);
    void showError(QMessageBox::Icon icon, const QString& text);
    void centreOnScreen(QWidget* window) const;
    void retranslate();

    QWidget* dialogParent_;
    HttpUploader uploader_;
    PopupNotify* popup_;
    ProgressWidget* progressWindow_;
    bool shareAfterUpload_ = false;
    SocialNetwork network_ = SocialNetwork::Facebook;
    std::function<QRect()> trayGeometry_;
};
