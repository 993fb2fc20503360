#include "app/UploadController.h"

#include "app/Languages.h"
#include "app/Placement.h"
#include "app/ScreenChoice.h"
#include "history/HistoryManager.h"
#include "history/RecordingStore.h"
#include "history/UploadedLinks.h"
#include "media/VideoInfo.h"
#include "platform/DbusNotifications.h"
#include "platform/PopupNotifications.h"
#include "settings/AppSettings.h"
#include "upload/ServiceUrls.h"
#include "upload/UploadQueue.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/PopupNotify.h"
#include "widgets/ProgressWidget.h"
#include "widgets/WebAddress.h"

#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QUrl>
#include <QWidget>
#include <QtDebug>

namespace {

// The progress window's fixed size: room for the title, the bar and the percentage in every
// interface language.
constexpr QSize kProgressWindowSize(372, 155);
// What the desktop's notification list shows as the sender, and its icon (the one the
// desktop entry installs).
const char* const kAppName = "Clipnest";
const char* const kAppIcon = "clipnest";
// "Copied" is one short line said at once: the popup's usual two seconds.
constexpr int kCopiedDurationMs = 2000;
// The action key of the "Copy link" button.
const char* const kCopyAction = "copy";

} // namespace

UploadController::UploadController(RecordingStore* store, QWidget* dialogParent, QObject* parent)
    : QObject(parent)
    , dialogParent_(dialogParent)
    , store_(store)
    , queue_(new UploadQueue(store, this))
    , popup_(new PopupNotify)
    , notice_(new PopupNotify)
    , progressWindow_(new ProgressWidget)
    , ownNotices_(new platform::PopupNotifications(
          notice_, [this](QWidget* w) { centreOnScreen(w); },
          platform::PopupNotifications::kDefaultDurationMs, this))
    , ownCopiedNotice_(new platform::PopupNotifications(
          popup_, [this](QWidget* w) { centreOnScreen(w); }, kCopiedDurationMs, this)) {
    monotonic_.start();
    connect(ownNotices_, &platform::DesktopNotifications::actionInvoked, this,
            &UploadController::onNoticeAction);
    progressWindow_->setMinimumSize(kProgressWindowSize);
    progressWindow_->setMaximumSize(kProgressWindowSize);
    progressWindow_->hide();
    notice_->setObjectName(QStringLiteral("UploadNotice"));
    connect(queue_, &UploadQueue::progressChanged, this, &UploadController::onProgress);
    connect(queue_, &UploadQueue::accepted, this, &UploadController::onAccepted);
    connect(queue_, &UploadQueue::failed, this, &UploadController::onFailed);
    // The popup is a window of its own: it hears of every change of the interface language.
    popup_->installEventFilter(this);
    retranslate();
}

UploadController::~UploadController() {
    // The queue goes first: its running requests end without a signal reaching the windows.
    delete queue_;
    queue_ = nullptr;
    delete desktopNotices_;
    delete desktopCopiedNotice_;
    delete ownNotices_;
    delete ownCopiedNotice_;
    delete progressWindow_;
    delete notice_;
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

void UploadController::applySettings() {
    // Read at each upload, like the host: a changed setting counts without a restart.
    const QSettings settings;
    queue_->setServiceToken(AppSettings::serviceToken(settings));
    // No file is named: the messages point at the settings window, which their box offers.
    queue_->setSettingsFile(QString());
}

QString UploadController::resumePending() {
    if (!store_->isOpen()) {
        const QString error = store_->open();
        if (!error.isEmpty())
            return error;
    }
    applySettings();
    // Links a run that ended too early left with their recordings reach the history now.
    UploadedLinks::settle(*store_, *HistoryManager::instance());
    queue_->load();
    return {};
}

void UploadController::uploadRecording(const QString& filePath, int shareTarget) {
    const QSize size = probeVideoSize(filePath);
    if (size.isEmpty()) {
        refuse(filePath,
               QFileInfo::exists(filePath)
                   ? tr("The recording %1 holds no video that can be read; it was not uploaded.")
                         .arg(filePath)
                   : tr("The recording %1 is not there any more.").arg(filePath));
        return;
    }
    uploadRecordingOfSize(filePath, size, shareTarget);
}

void UploadController::uploadRecordingOfSize(const QString& filePath, const QSize& videoSize,
                                             int shareTarget) {
    if (videoSize.isEmpty()) {
        uploadRecording(filePath, shareTarget);
        return;
    }
    const QSettings settings;
    const QString host = AppSettings::serviceHost(settings);
    const QUrl url = ServiceUrls::uploadUrl(host, videoSize.width(), videoSize.height());
    if (!url.isValid() || url.isEmpty()) {
        refuse(filePath,
               tr("The upload service address \"%1\" is not usable. Put a host name "
                  "(host:port) or an http:// or https:// address under \"%2\" in the "
                  "settings.")
                   .arg(host, tr("Service address")),
               true);
        return;
    }
    applySettings();
    // The user's own request (Upload, Share, Upload again, Retry now): its link is awaited.
    askedAt_.insert(filePath, now());
    queue_->add(filePath, url, shareTarget);
}

void UploadController::cancelUpload(const QString& filePath) {
    askedAt_.remove(filePath);
    queue_->remove(filePath);
    endProgress(filePath);
}

void UploadController::refuse(const QString& filePath, const QString& message, bool aboutSettings) {
    // A recording that vanished leaves the list; one that is there keeps the reason.
    if (!QFileInfo::exists(filePath))
        store_->forget(filePath);
    else if (store_->isKept(filePath))
        store_->failUpload(filePath, message);
    showError(QMessageBox::Information, message, aboutSettings);
}

void UploadController::onProgress(const QString& filePath, int percent, bool userStarted) {
    // The window follows what the user waits for; retries run without it.
    if (!userStarted)
        return;
    if (progressFile_.isEmpty())
        progressFile_ = filePath;
    if (progressFile_ != filePath)
        return;
    if (!progressWindow_->isVisible()) {
        centreOnScreen(progressWindow_);
        progressWindow_->show();
    }
    progressWindow_->setValue(percent);
}

void UploadController::endProgress(const QString& filePath) {
    if (progressFile_ != filePath)
        return;
    progressFile_.clear();
    progressWindow_->hide();
}

bool UploadController::userIsWaiting(const QString& filePath, bool userStarted) const {
    // The attempt the user started is followed in the progress window: they wait for it
    // however long it takes.
    if (userStarted)
        return true;
    const auto it = askedAt_.constFind(filePath);
    return it != askedAt_.constEnd() && now() - it.value() <= kPromptCopyWindowMs;
}

void UploadController::onAccepted(const QString& filePath, const QString& link, int shareTarget,
                                  bool userStarted) {
    endProgress(filePath);
    const bool waiting = userIsWaiting(filePath, userStarted);
    askedAt_.remove(filePath);
    if (shareTarget < 0) {
        if (waiting) {
            QGuiApplication::clipboard()->setText(link, QClipboard::Clipboard);
            showCopiedToClipboard();
        } else {
            announceLink(link);
        }
    } else {
        const QString shared = ServiceUrls::sharedLink(link, Languages::current());
        // The link is the user's either way: where the page cannot open, it is on the
        // clipboard to paste (or offered, when the user no longer waits for it), and the
        // message offers the page's address.
        if (!openWebAddress(
                ServiceUrls::sharePageUrl(static_cast<SocialNetwork>(shareTarget), shared))) {
            if (waiting)
                QGuiApplication::clipboard()->setText(link, QClipboard::Clipboard);
            else
                announceLink(link);
        }
    }
    // The link is kept with the recording already; the history's row follows from there.
    UploadedLinks::settle(*store_, *HistoryManager::instance());
}

void UploadController::onFailed(const QString& filePath, const QString& message,
                                UploadFailureKind kind, bool userStarted, bool willRetry) {
    Q_UNUSED(kind)
    // The queue has kept the outcome with the recording; here the user hears of it.
    endProgress(filePath);
    if (!willRetry)
        askedAt_.remove(filePath);
    if (userStarted) {
        // The messages that the settings can mend name the setting ("Service host", "Service
        // token"); those names stay untranslated in every language.
        const bool aboutSettings = message.contains(AppSettings::kServiceHost) ||
                                   message.contains(AppSettings::kServiceToken);
        showError(QMessageBox::Information,
                  willRetry ? message + QStringLiteral("\n\n") +
                                  tr("The recording is kept, and Clipnest tries again by "
                                     "itself.")
                            : message,
                  aboutSettings);
    } else if (!willRetry) {
        // The last automatic try: said once, quietly; the recording stays with its reason.
        showNotice(tr("A recording could not be uploaded: %1").arg(message));
    }
}

void UploadController::showError(QMessageBox::Icon icon, const QString& text, bool offerSettings) {
    // The text may quote the service, an address from the settings or a file name: plain text
    // only, so that markup in it shows as the characters it is and never as a live link or a
    // picture loaded from a local file.
    if (!offerSettings) {
        showPlainMessage(dialogParent_, icon, tr("Upload error"), text);
        return;
    }
    PlacedMessageBox box(icon, tr("Upload error"), text, QMessageBox::Ok, dialogParent_);
    box.setObjectName(QStringLiteral("UploadErrorBox"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* settings = box.addButton(tr("Settings..."), QMessageBox::ActionRole);
    settings->setObjectName(QStringLiteral("OpenSettingsButton"));
    box.exec();
    if (box.clickedButton() == settings)
        emit settingsWanted();
}

void UploadController::useDesktopNotifications(const QDBusConnection& bus) {
    delete desktopNotices_;
    delete desktopCopiedNotice_;
    // Our popup's buttons now reach us through the desktop's ids only: its own ids could
    // name another notice.
    disconnect(ownNotices_, nullptr, this, nullptr);
    const QString name = QLatin1String(kAppName);
    const QString icon = QLatin1String(kAppIcon);
    desktopNotices_ = new platform::DbusNotifications(bus, ownNotices_, name, icon, this);
    desktopCopiedNotice_ = new platform::DbusNotifications(bus, ownCopiedNotice_, name, icon, this);
    connect(desktopNotices_, &platform::DesktopNotifications::actionInvoked, this,
            &UploadController::onNoticeAction);
}

platform::DesktopNotifications* UploadController::notifications() const {
    return desktopNotices_ ? desktopNotices_ : ownNotices_;
}

void UploadController::showNotice(const QString& text) {
    notifications()->notify(QLatin1String(kAppName), text);
}

void UploadController::announceLink(const QString& link) {
    const quint32 id = notifications()->notify(tr("Video uploaded"),
                                               tr("The link to your video is ready: %1").arg(link),
                                               {{QLatin1String(kCopyAction), tr("Copy link")}});
    announcedLinks_.insert(id, link);
}

void UploadController::onNoticeAction(quint32 id, const QString& actionKey) {
    if (actionKey != QLatin1String(kCopyAction))
        return;
    const auto it = announcedLinks_.constFind(id);
    if (it == announcedLinks_.constEnd())
        return;
    // The user asked for it now: the clipboard is theirs to fill.
    QGuiApplication::clipboard()->setText(it.value(), QClipboard::Clipboard);
    announcedLinks_.erase(it);
}

void UploadController::showCopiedToClipboard() {
    if (desktopCopiedNotice_) {
        desktopCopiedNotice_->notify(QLatin1String(kAppName), popup_->text());
        return;
    }
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
