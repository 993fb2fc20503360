#include "capture/OverlayMenu.h"

#include "core/Translate.h"
#include "widgets/SoundSourceMenu.h"

#include <QAction>

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
    , soundSources_(new SoundSourceMenu(&menu_, this)) {
    connect(record_, &QAction::triggered, this, &OverlayMenu::recordClicked);
    connect(recordWithSound_, &QAction::triggered, this, &OverlayMenu::recordWithSoundClicked);
    connect(clear_, &QAction::triggered, this, &OverlayMenu::clearClicked);
    connect(close_, &QAction::triggered, this, &OverlayMenu::closeClicked);
}

void OverlayMenu::retranslate() {
    record_->setText(kTr.tr("Record"));
    recordWithSound_->setText(kTr.tr("Record with sound"));
    clear_->setText(kTr.tr("Clear"));
    close_->setText(kTr.tr("Close"));
    soundSources_->retranslate();
}

void OverlayMenu::exec(QPoint globalPos, bool hasArea) {
    record_->setEnabled(hasArea);
    clear_->setEnabled(hasArea);
    menu_.exec(globalPos);
}
