#include "app/UploadController.h"

#include "app/Languages.h"
#include "app/Placement.h"
#include "app/ScreenChoice.h"
#include "history/HistoryManager.h"
#include "settings/AppSettings.h"
#include "upload/ServiceUrls.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"

#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QUrl>
#include <QWidget>
#include <QtDebug>

namespace {

// Fixed parts of every upload request, as the service expects them.
constexpr QLatin1String kUploadFieldName("attachment");
constexpr QLatin1String kUploadFileName("video.mp4");
constexpr QLatin1String kUploadContentType("video/mp4");
constexpr QLatin1String kUploadBoundary("Ax3WQkoke");

// The progress window's fixed size: room for the title, the bar and the percentage in every
// interface language.
constexpr QSize kProgressWindowSize(372, 155);

} // namespace

UploadController::UploadController(QWidget* dialogParent, QObject* parent)
    : QObject(parent)
    , dialogParent_(dialogParent)
    , popup_(new PopupNotify)
    , progressWindow_(new ProgressWidget) {
    progressWindow_->setMinimumSize(kProgressWindowSize);
    progressWindow_->setMaximumSize(kProgressWindowSize);
    progressWindow_->hide();
    connect(&uploader_, &HttpUploader::finished, this, &UploadController::onUploadFinished);
    connect(&uploader_, &HttpUploader::error, this, &UploadController::onUploadError);
    connect(&uploader_, &HttpUploader::progressChanged, this, &UploadController::onUploadProgress);
    // The popup is a window of its own: it hears of every change of the interface language.
    popup_->installEventFilter(this);
    retranslate();
}

UploadController::~UploadController() {
    delete progressWindow_;
    delete popup_;
}

bool UploadController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == popup_ && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void UploadController::retranslate() {
    popup_->setText(tr("Video link copied to clipboard"));
}

void UploadController::upload(const QByteArray& data, const QSize& videoSize) {
    shareAfterUpload_ = false;
    startUpload(data, videoSize);
}

void UploadController::uploadAndShare(const QByteArray& data, const QSize& videoSize,
                                      SocialNetwork network) {
    shareAfterUpload_ = true;
    network_ = network;
    startUpload(data, videoSize);
}

void UploadController::startUpload(const QByteArray& data, const QSize& videoSize) {
    const QSettings settings;
    const QString host = AppSettings::serviceHost(settings);
    const QUrl url = ServiceUrls::uploadUrl(host, videoSize.width(), videoSize.height());
    if (!url.isValid() || url.isEmpty()) {
        onUploadError(tr("The upload service address \"%1\" is not usable. Put a host name "
                         "(host:port) or an http:// or https:// address under \"%2\" in %3.")
                          .arg(host, AppSettings::kServiceHost, settings.fileName()));
        return;
    }
    // Read at each upload, like the host: a changed setting counts without a restart.
    uploader_.setServiceToken(AppSettings::serviceToken(settings));
    uploader_.setSettingsFile(settings.fileName());
    uploader_.upload(url, data, kUploadFieldName, kUploadFileName, kUploadContentType,
                     kUploadBoundary);
}

void UploadController::onUploadProgress(double percent) {
    if (!progressWindow_->isVisible()) {
        centreOnScreen(progressWindow_);
        progressWindow_->show();
    }
    progressWindow_->setValue(static_cast<int>(percent));
}

void UploadController::onUploadFinished(const QString& answer) {
    if (!ServiceUrls::isAcceptedAnswer(answer)) {
        progressWindow_->hide();
        showError(QMessageBox::Critical,
                  tr("Service temporarily not working. Please try again later"));
        return;
    }

    if (!shareAfterUpload_) {
        QGuiApplication::clipboard()->setText(answer, QClipboard::Clipboard);
        showCopiedToClipboard();
    } else {
        const QString link = ServiceUrls::sharedLink(answer, Languages::current());
        QDesktopServices::openUrl(ServiceUrls::sharePageUrl(network_, link));
    }

    HistoryManager::instance()->add(HistoryRecord(QDateTime::currentDateTime(), QUrl(answer)));
    progressWindow_->hide();
}

void UploadController::onUploadError(const QString& error) {
    progressWindow_->hide();
    showError(QMessageBox::Information, error);
}

void UploadController::showError(QMessageBox::Icon icon, const QString& text) {
    // The text may quote the service, an address from the settings or a file name: plain text
    // only, so that markup in it shows as the characters it is and never as a live link or a
    // picture loaded from a local file.
    showPlainMessage(dialogParent_, icon, tr("Upload error"), text);
}

void UploadController::showCopiedToClipboard() {
    centreOnScreen(popup_);
    popup_->show();
}

void UploadController::setTrayGeometrySource(std::function<QRect()> source) {
    trayGeometry_ = std::move(source);
}

void UploadController::centreOnScreen(QWidget* window) const {
    if (QScreen* screen = screenForOurWindows(trayGeometry_ ? trayGeometry_() : QRect()))
        window->move(Placement::centredOnScreen(screen->geometry(), window->size()));
}
