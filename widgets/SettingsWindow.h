#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class ConnectionCheck;
struct ConnectionVerdict;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QSpinBox;
class SoundLevelReader;

// The program's settings in one window, opened from the tray: the upload service, sound,
// where recordings go and how much room kept ones may take, the countdown, the key
// combinations, the language and the record button. Values are read through the settings'
// own readers, so a broken stored value shows as its default; each change is stored at once,
// and what the program must do about it at once goes through the hooks the owner gives, the
// same paths its menus use. While the window shows, the chosen sound source's level is read
// and shown. GUI thread only.
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    struct Language {
        QString text; // shown untranslated
        QIcon flag;
        QString code;
    };
    struct Hooks {
        QList<Language> languages;
        std::function<QString()> currentLanguage;
        std::function<void(const QString& code)> chooseLanguage;
        // Whether the floating record button can be shown on this desktop at all.
        bool recordButtonAvailable = true;
        std::function<void(bool shown)> showRecordButton;
        std::function<QKeySequence()> captureShortcut;
        std::function<QKeySequence()> stopShortcut;
        // The wanted capture combination another program holds; empty when none.
        std::function<QKeySequence()> captureHeldByOther;
        std::function<void()> editShortcuts;
        // The space kept recordings may take was changed (and stored).
        std::function<void()> keptLimitChanged;
    };

    SettingsWindow(QSettings& settings, Hooks hooks, QWidget* parent = nullptr);
    ~SettingsWindow() override;

public slots:
    // Reads every value again from the settings (the tray's menus change them too).
    void reload();
    // Shows the key combinations in force again, after the owner changed them.
    void refreshShortcuts();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Building the window's parts (SettingsWindowParts.cpp).
    QGroupBox* buildServiceGroup();
    QGroupBox* buildSoundGroup();
    QGroupBox* buildRecordingsGroup();
    QGroupBox* buildControlsGroup();
    void retranslate();

    // Storing and following each value (SettingsWindow.cpp).
    void storeServiceHost();
    void storeServiceToken();
    void storeSaveFolder(const QString& folder);
    void chooseSaveFolder();
    void storeSoundSource();
    void testConnection();
    void onConnectionChecked(const ConnectionVerdict& verdict);
    void startLevelReaders();
    void stopLevelReaders();
    void store(const QString& key, const QVariant& value);

    QSettings& settings_;
    Hooks hooks_;

    QGroupBox* serviceGroup_;
    QLabel* hostLabel_;
    QLineEdit* hostEdit_;
    QLabel* tokenLabel_;
    QLineEdit* tokenEdit_;
    QPushButton* testButton_;
    QLabel* connectionResult_;
    ConnectionCheck* check_;

    QGroupBox* soundGroup_;
    QLabel* sourceLabel_;
    QComboBox* soundSource_;
    QLabel* microphoneLabel_;
    QProgressBar* microphoneLevel_;
    QLabel* computerLabel_;
    QProgressBar* computerLevel_;
    QLabel* soundProblem_;
    SoundLevelReader* microphoneReader_ = nullptr;
    SoundLevelReader* computerReader_ = nullptr;

    QGroupBox* recordingsGroup_;
    QLabel* folderLabel_;
    QLineEdit* folderEdit_;
    QPushButton* folderButton_;
    QLabel* folderProblem_;
    QLabel* keptLabel_;
    QSpinBox* keptLimit_;

    QGroupBox* controlsGroup_;
    QLabel* countdownLabel_;
    QSpinBox* countdown_;
    QCheckBox* recordButton_;
    QLabel* captureLabel_;
    QLabel* captureShortcut_;
    QLabel* stopLabel_;
    QLabel* stopShortcut_;
    QLabel* shortcutProblem_;
    QPushButton* shortcutsButton_;
    QLabel* languageLabel_;
    QComboBox* language_;

    QPushButton* closeButton_;
};
