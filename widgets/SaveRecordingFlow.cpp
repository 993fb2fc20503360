#include "widgets/SaveRecordingFlow.h"

#include "history/RecordingSaver.h"
#include "history/RecordingStore.h"
#include "widgets/ProgressWidget.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QtDebug>

namespace {

// A rename is over at once and a small copy within a blink: the window would only flicker.
// A copy still running after this long is one the user waits for and should see progress of.
constexpr int kProgressWindowDelayMs = 400;
// The progress window's fixed size, as for uploads: room for the title, the bar and the
// percentage in every interface language.
constexpr QSize kProgressWindowSize(372, 155);

int g_running = 0;

// The texts the capture's save has always shown; one translation serves both callers.
QString trCapture(const char* text) {
    return QCoreApplication::translate("SaveRecordingFlow", text);
}

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

QString SaveRecordingFlow::proposedPath(const QString& extension) {
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + QLatin1Char('/') +
           QStringLiteral("record-%1")
               .arg(QDateTime::currentDateTime().toString(QStringLiteral("hh.mm.ss[dd.MM.yyyy]"))) +
           QLatin1Char('.') + extension;
}

SaveRecordingFlow* SaveRecordingFlow::saveRecordingAs(const QString& filePath,
                                                      RecordingStore* store, QWidget* parent) {
    const QString suffix = QFileInfo(filePath).suffix();
    const QString target = QFileDialog::getSaveFileName(
        parent, trCapture("Save"), proposedPath(suffix.isEmpty() ? QStringLiteral("mp4") : suffix));
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
            onFailed(source, target, trCapture("Can not save file"));
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
    end(source, target, true);
}

void SaveRecordingFlow::onFailed(const QString& source, const QString& target,
                                 const QString& message) {
    progressDelay_.stop();
    if (progressWindow_)
        progressWindow_->hide();
    qDebug() << "Saving" << source << "failed:" << message;
    QMessageBox box(QMessageBox::Critical, trCapture("Error"),
                    QStringLiteral("%1: \"%2\"").arg(trCapture("Can not save file"), target),
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    // The reason, as the move found it (a full disk, a folder without write access).
    box.setInformativeText(message);
    // The reason names paths, which may hold anything: plain text like the message itself.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
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
