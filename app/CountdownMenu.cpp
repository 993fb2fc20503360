#include "app/CountdownMenu.h"

#include "settings/AppSettings.h"

#include <QActionGroup>
#include <QEvent>
#include <QSettings>

CountdownMenu::CountdownMenu(QSettings& settings, QWidget* parent)
    : QMenu(parent)
    , settings_(settings)
    , group_(new QActionGroup(this)) {
    setObjectName(QStringLiteral("CountdownMenu"));
    connect(group_, &QActionGroup::triggered, this, [this](QAction* action) {
        settings_.setValue(AppSettings::kCountdownSeconds, action->data().toInt());
        settings_.sync();
    });
    // Built when it opens, so that it shows the setting as it is then.
    connect(this, &QMenu::aboutToShow, this, &CountdownMenu::rebuild);
    rebuild();
}

QList<int> CountdownMenu::choices(int stored) {
    QList<int> lengths{0, 3, 5, 10};
    if (!lengths.contains(stored)) {
        lengths.append(stored);
        std::sort(lengths.begin(), lengths.end());
    }
    return lengths;
}

void CountdownMenu::rebuild() {
    const int stored = AppSettings::countdownSeconds(settings_);
    for (QAction* action : group_->actions()) {
        group_->removeAction(action);
        delete action;
    }
    for (int seconds : choices(stored)) {
        auto* action = new QAction(this);
        action->setData(seconds);
        action->setCheckable(true);
        action->setChecked(seconds == stored);
        group_->addAction(action);
        addAction(action);
    }
    retranslate();
}

void CountdownMenu::retranslate() {
    setTitle(tr("Countdown"));
    for (QAction* action : group_->actions()) {
        const int seconds = action->data().toInt();
        action->setText(seconds == 0 ? tr("Off") : tr("%1 s").arg(seconds));
    }
}

void CountdownMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMenu::changeEvent(event);
}
