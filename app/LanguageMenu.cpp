#include "app/LanguageMenu.h"

#include "app/Languages.h"
#include "settings/AppSettings.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTranslator>
#include <QtDebug>

LanguageMenu::LanguageMenu(QSettings& settings, QWidget* parent)
    : QMenu(parent)
    , settings_(settings) {
    setObjectName(QStringLiteral("LanguagesMenu"));
    auto* group = new QActionGroup(this);
    for (const Languages::Entry& entry : Languages::table()) {
        auto* action = new QAction(QIcon(Languages::flagPath(entry.flag)), entry.text, this);
        action->setData(entry.code);
        action->setCheckable(true);
        action->setEnabled(
            Languages::isSelectable(entry.code, QFile::exists(Languages::catalogPath(entry.code))));
        group->addAction(action);
        entries_.append(action);
    }
    addActions(entries_);
    connect(group, &QActionGroup::triggered, this, &LanguageMenu::choose);
}

bool LanguageMenu::restore() {
    const QVariant stored = settings_.value(AppSettings::kLanguage);
    if (!stored.isValid()) {
        QStringList selectable;
        for (const Languages::Entry& entry : Languages::table()) {
            if (isAvailable(entry.code))
                selectable.append(entry.code);
        }
        load(Languages::firstStartLanguage(QLocale::system().name(), selectable));
    } else {
        load(stored.toString());
        settings_.sync();
    }
    return translator_ && !translator_->isEmpty();
}

bool LanguageMenu::load(const QString& code) {
    const QString path = Languages::catalogPath(code);
    if (!QFile::exists(path))
        return false;

    delete translator_;
    delete qtTranslator_;
    translator_ = new QTranslator(QCoreApplication::instance());
    if (!translator_->load(path)) {
        qDebug() << "Cannot load the catalogue" << path;
        return false;
    }
    // Qt's catalogue goes in first, so that ours, searched first, has the last word.
    qtTranslator_ = new QTranslator(QCoreApplication::instance());
    if (Languages::loadQtCatalog(*qtTranslator_, code))
        QCoreApplication::installTranslator(qtTranslator_);
    else if (!Languages::qtCatalogName(code).isEmpty())
        qDebug() << "No Qt catalogue" << Languages::qtCatalogName(code) << "in"
                 << Languages::qtCatalogFolder() << "- Qt's own texts stay English";
    QCoreApplication::installTranslator(translator_);
    Languages::setCurrent(code);
    store();
    markCurrent(code);
    return true;
}

void LanguageMenu::store() {
    settings_.setValue(AppSettings::kLanguage, Languages::current());
    settings_.sync();
}

bool LanguageMenu::isAvailable(const QString& code) const {
    for (QAction* action : entries_) {
        if (action->isEnabled() && action->data().toString() == code)
            return true;
    }
    return false;
}

void LanguageMenu::markCurrent(const QString& code) {
    for (QAction* action : std::as_const(entries_)) {
        const bool current = action->data().toString() == code;
        if (current)
            action->setChecked(true);
        // The current language shows its check mark, the others their flags.
        action->setIconVisibleInMenu(!current);
    }
}

void LanguageMenu::choose(QAction* action) {
    const QString code = action->data().toString();
    if (code == Languages::current())
        return;
    load(code);
}
