// The settings window and the first start's hint: both tell the user what the tray menu and
// its submenus hold, and change it through the same objects.
#include "app/KeptSpaceGuard.h"
#include "app/KeyboardShortcuts.h"
#include "app/LanguageMenu.h"
#include "app/Languages.h"
#include "app/MainWindow.h"
#include "app/Placement.h"
#include "widgets/FirstRunHint.h"
#include "widgets/SettingsWindow.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

void MainWindow::openSettings() {
    if (!settingsWindow_) {
        SettingsWindow::Hooks hooks;
        for (const QAction* entry : languagesMenu_->entries()) {
            if (entry->isEnabled())
                hooks.languages.append({entry->text(), entry->icon(), entry->data().toString()});
        }
        hooks.currentLanguage = [] {
            return Languages::current();
        };
        hooks.chooseLanguage = [this](const QString& code) {
            if (code != Languages::current())
                languagesMenu_->load(code);
        };
        hooks.recordButtonAvailable = dockable();
        hooks.showRecordButton = [this](bool shown) {
            onShowHideFromSnapButton(shown);
        };
        hooks.captureShortcut = [this] {
            return shortcuts_->captureCombination();
        };
        hooks.stopShortcut = [this] {
            return shortcuts_->stopCombination();
        };
        hooks.captureHeldByOther = [this] {
            return shortcuts_->captureHeldByOther();
        };
        hooks.editShortcuts = [this] {
            shortcuts_->openDialog();
        };
        hooks.keptLimitChanged = [this] {
            if (keptSpace_)
                keptSpace_->boundChanged();
        };
        settingsWindow_ = new SettingsWindow(settings_, std::move(hooks), this);
        connect(shortcuts_, &KeyboardShortcuts::changed, settingsWindow_,
                &SettingsWindow::refreshShortcuts);
    }
    if (!settingsWindow_->isVisible()) {
        settingsWindow_->adjustSize();
        if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()))
            settingsWindow_->move(
                Placement::centredOnScreen(screen->availableGeometry(), settingsWindow_->size()));
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

void MainWindow::showFirstRunHint(bool trayAvailable) {
    auto* hint = new FirstRunHint(trayAvailable, shortcuts_->captureCombination(), this);
    connect(hint, &FirstRunHint::settingsWanted, this, &MainWindow::openSettings);
    hint->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        hint->move(Placement::centredOnScreen(screen->availableGeometry(), hint->size()));
    hint->show();
}
