#include "widgets/SaveRecordingFlow.h"

#include "history/RecordingSaver.h"
#include "history/RecordingStore.h"
#include "history/SaveTarget.h"
#include "settings/AppSettings.h"
#include "widgets/PlainMessageBox.h"
#include "widgets/ProgressWidget.h"
#include "widgets/SavedMessage.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QtDebug>

#include <cerrno>

namespace {

// A rename is over at once and a small copy within a blink: the window would only flicker.
// A copy still running after this long is one the user waits for and should see progress of.
constexpr int kProgressWindowDelayMs = 400;
// The progress window's fixed size, as for uploads: room for the title, the bar and the
// percentage in every interface language.
constexpr QSize kProgressWindowSize(372, 155);

int g_running = 0;

} // namespace

SaveRecordingFlow::SaveRecordingFlow(RecordingStore* store, QWidget* parent)
    : QObject(nullptr)
    , store_(store)
    , parent_(parent)
    , saver_(new RecordingSaver(this)) {
    progressDelay_.setSingleShot(true);
    progressDelay_.setInterval(kProgressWindowDelayMs);
    connect(&progressDelay_, &QTimer::timeout, this, &SaveRecordingFlow::showProgressWindow);
    connect(saver_, &RecordingSaver::progressChanged, this, &SaveRecordingFlow::onProgress);
    connect(saver_, &RecordingSaver::finished, this, &SaveRecordingFlow::onFinished);
    connect(saver_, &RecordingSaver::failed, this, &SaveRecordingFlow::onFailed);
}

SaveRecordingFlow::~SaveRecordingFlow() {
    delete progressWindow_;
}

bool SaveRecordingFlow::isSaving() {
    return g_running > 0;
}

QDateTime SaveRecordingFlow::recordedAt(const QString& filePath, RecordingStore* store) {
    if (store) {
        const auto entry = store->entry(filePath);
        if (entry && entry->created.isValid())
            return entry->created;
    }
    // Not one of ours: the file was made when its recording began.
    const QFileInfo info(filePath);
    for (const QDateTime& time : {info.birthTime(), info.lastModified()}) {
        if (time.isValid())
            return time;
    }
    return QDateTime::currentDateTime();
}

QString SaveRecordingFlow::askTarget(const QString& proposed, QWidget* parent) {
    QString start = proposed;
    for (;;) {
        QFileDialog dialog(parent, tr("Save"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(tr("MP4 video (*.mp4)"));
        // The dialog adds it itself before it asks about replacing a file of that name.
        dialog.setDefaultSuffix(QLatin1String(SaveTarget::kExtension));
        const QFileInfo startInfo(start);
        dialog.setDirectory(startInfo.absolutePath());
        dialog.selectFile(startInfo.fileName());
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        const QString chosen = dialog.selectedFiles().value(0);
        if (chosen.isEmpty())
            return QString();
        const QString target = SaveTarget::resolve(chosen, dialog.directory().absolutePath());
        if (!SaveTarget::replacesUnasked(chosen, target))
            return target;
        // A dialog that adds no extension never asked about the file we would write.
        if (showPlainMessage(parent, QMessageBox::Question, tr("Save"),
                             tr("%1 already exists. Do you want to replace it?").arg(target),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) == QMessageBox::Yes)
            return target;
        start = target;
    }
}

SaveRecordingFlow* SaveRecordingFlow::saveRecordingAs(const QString& filePath,
                                                      RecordingStore* store, QWidget* parent) {
    const QString proposed =
        SaveTarget::proposedPath(SaveTarget::folderFor(QSettings().value(AppSettings::kSaveFolder)),
                                 recordedAt(filePath, store));
    const QString target = askTarget(proposed, parent);
    if (target.isEmpty())
        return nullptr;
    return saveRecordingTo(filePath, target, store, parent);
}

SaveRecordingFlow* SaveRecordingFlow::saveRecordingTo(const QString& filePath,
                                                      const QString& target, RecordingStore* store,
                                                      QWidget* parent) {
    auto* flow = new SaveRecordingFlow(store, parent);
    flow->start(filePath, target);
    return flow;
}

bool SaveRecordingFlow::start(const QString& source, const QString& target) {
    ++g_running;
    if (!saver_->start(source, target)) {
        // Cannot happen with a saver of our own; told as a failure all the same.
        QTimer::singleShot(0, this, [this, source, target] {
            onFailed(source, target, SaveTarget::cannotWrite(target, EBUSY), QString());
        });
        return false;
    }
    progressDelay_.start();
    return true;
}

void SaveRecordingFlow::onProgress(int percent) {
    percent_ = percent;
    if (progressWindow_)
        progressWindow_->setValue(percent);
}

void SaveRecordingFlow::showProgressWindow() {
    if (!progressWindow_) {
        progressWindow_ = new ProgressWidget;
        progressWindow_->setObjectName(QStringLiteral("SaveProgressWindow"));
        progressWindow_->setWindowTitle(QStringLiteral("Clipnest save progress"));
        progressWindow_->setMinimumSize(kProgressWindowSize);
        progressWindow_->setMaximumSize(kProgressWindowSize);
        // A fresh window has heard of no language change yet: give it its title now.
        QEvent languageChange(QEvent::LanguageChange);
        QCoreApplication::sendEvent(progressWindow_, &languageChange);
    }
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect g = screen->geometry();
        progressWindow_->move(g.x() + (g.width() - progressWindow_->width()) / 2,
                              g.y() + (g.height() - progressWindow_->height()) / 2);
    }
    progressWindow_->setValue(percent_);
    progressWindow_->show();
}

void SaveRecordingFlow::onFinished(const QString& source, const QString& target, bool sourceKept) {
    // A copy whose original could not be removed is saved, but the recording is still ours
    // and stays listed.
    if (store_ && !sourceKept)
        store_->forget(source);
    showSavedMessage(target);
    end(source, target, true);
}

void SaveRecordingFlow::onFailed(const QString& source, const QString& target,
                                 const QString& message, const QString& detail) {
    progressDelay_.stop();
    if (progressWindow_)
        progressWindow_->hide();
    qDebug() << "Saving" << source << "failed:" << message << detail;
    // Our sentence names the target; the system's own words, untranslated, are the detail.
    PlacedMessageBox box(QMessageBox::Critical, tr("Error"), message, QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
    end(source, target, false);
}

void SaveRecordingFlow::end(const QString& source, const QString& target, bool saved) {
    progressDelay_.stop();
    if (progressWindow_)
        progressWindow_->hide();
    --g_running;
    emit done(source, target, saved);
    deleteLater();
}
