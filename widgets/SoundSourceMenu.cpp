#include "widgets/SoundSourceMenu.h"

#include "settings/AppSettings.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

SoundSourceMenu::SoundSourceMenu(QMenu* menu, QObject* parent)
    : QObject(parent)
    , group_(this) {
    menu->addSeparator();
    auto add = [&](const QString& value) {
        QAction* action = menu->addAction(QString());
        action->setCheckable(true);
        action->setData(value);
        group_.addAction(action);
        return action;
    };
    microphone_ = add(AppSettings::kSoundSourceMicrophone);
    computer_ = add(AppSettings::kSoundSourceComputer);
    both_ = add(AppSettings::kSoundSourceBoth);
    group_.setExclusive(true);
    connect(&group_, &QActionGroup::triggered, this, [](QAction* action) {
        QSettings settings;
        settings.setValue(AppSettings::kSoundSource, action->data().toString());
        settings.sync();
    });
    // Another menu may have changed the choice since this one was last open.
    connect(menu, &QMenu::aboutToShow, this, &SoundSourceMenu::refresh);
    retranslate();
    refresh();
}

void SoundSourceMenu::retranslate() {
    microphone_->setText(tr("Microphone"));
    computer_->setText(tr("Computer sound"));
    both_->setText(tr("Both"));
}

void SoundSourceMenu::refresh() {
    const QString chosen = AppSettings::soundSource(QSettings());
    for (QAction* action : group_.actions())
        action->setChecked(action->data().toString() == chosen);
}
