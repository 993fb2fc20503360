#include "capture/OverlayMenu.h"

#include "core/Translate.h"
#include "widgets/SoundSourceMenu.h"

#include <QAction>
#include <QKeySequence>

namespace {
// The capture control's texts, wherever in it they show.
constexpr TranslationContext kTr{"CropCtrl"};
} // namespace

OverlayMenu::OverlayMenu(QObject* parent)
    : QObject(parent)
    , record_(menu_.addAction(QString()))
    , recordWithSound_(menu_.addAction(QString()))
    , clear_(menu_.addAction(QString()))
    , close_(menu_.addAction(QString()))
    , wholeScreen_(menu_.addAction(QString()))
    , lastArea_(menu_.addAction(QString()))
    , soundSources_(new SoundSourceMenu(&menu_, this)) {
    connect(record_, &QAction::triggered, this, &OverlayMenu::recordClicked);
    connect(recordWithSound_, &QAction::triggered, this, &OverlayMenu::recordWithSoundClicked);
    connect(clear_, &QAction::triggered, this, &OverlayMenu::clearClicked);
    connect(close_, &QAction::triggered, this, &OverlayMenu::closeClicked);
    connect(wholeScreen_, &QAction::triggered, this, &OverlayMenu::wholeScreenClicked);
    connect(lastArea_, &QAction::triggered, this, &OverlayMenu::lastAreaClicked);
    wholeScreen_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    lastArea_->setShortcut(QKeySequence(Qt::Key_Return));
    // The overlay takes these keys itself; the menu only names them.
    wholeScreen_->setShortcutContext(Qt::WidgetShortcut);
    lastArea_->setShortcutContext(Qt::WidgetShortcut);
}

void OverlayMenu::retranslate() {
    record_->setText(kTr.tr("Record"));
    recordWithSound_->setText(kTr.tr("Record with sound"));
    clear_->setText(kTr.tr("Clear"));
    wholeScreen_->setText(kTr.tr("Whole screen"));
    lastArea_->setText(kTr.tr("Use the last area"));
    close_->setText(kTr.tr("Close"));
    soundSources_->retranslate();
}

void OverlayMenu::exec(QPoint globalPos, bool hasArea, bool hasLastArea) {
    record_->setEnabled(hasArea);
    lastArea_->setEnabled(hasLastArea);
    clear_->setEnabled(hasArea);
    menu_.exec(globalPos);
}
