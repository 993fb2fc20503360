// The settings window's parts and their texts; what each value does is in SettingsWindow.cpp.
#include "widgets/SettingsWindow.h"

#include "settings/AppSettings.h"
#include "widgets/KeyCombination.h"
#include "widgets/ShortcutDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

namespace {

// Wide enough for the longest answer of a service, or a sound server's complaint, to wrap into
// a few lines in any of the languages.
constexpr int kTextWidth = 420;
// Far above any disk a user records to; a spin box needs a top.
constexpr int kMaxKeptLimitMiB = 1024 * 1024;

QLabel* messageLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Service answers, file names and sound server texts come from outside the program.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFixedWidth(kTextWidth);
    label->hide();
    return label;
}

QProgressBar* levelMeter(const QString& name, QWidget* parent) {
    auto* meter = new QProgressBar(parent);
    meter->setObjectName(name);
    meter->setRange(0, 100);
    meter->setValue(0);
    meter->setTextVisible(false);
    return meter;
}

} // namespace

QGroupBox* SettingsWindow::buildServiceGroup() {
    serviceGroup_ = new QGroupBox(this);
    hostLabel_ = new QLabel(serviceGroup_);
    hostEdit_ = new QLineEdit(serviceGroup_);
    hostEdit_->setObjectName(QStringLiteral("ServiceHostEdit"));
    tokenLabel_ = new QLabel(serviceGroup_);
    tokenEdit_ = new QLineEdit(serviceGroup_);
    tokenEdit_->setObjectName(QStringLiteral("ServiceTokenEdit"));
    tokenEdit_->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    testButton_ = new QPushButton(serviceGroup_);
    testButton_->setObjectName(QStringLiteral("TestConnectionButton"));
    testButton_->setAutoDefault(false);
    connectionResult_ = messageLabel(QStringLiteral("ConnectionResult"), serviceGroup_);

    auto* form = new QFormLayout(serviceGroup_);
    form->addRow(hostLabel_, hostEdit_);
    form->addRow(tokenLabel_, tokenEdit_);
    form->addRow(QString(), testButton_);
    form->addRow(connectionResult_);
    hostLabel_->setBuddy(hostEdit_);
    tokenLabel_->setBuddy(tokenEdit_);

    connect(hostEdit_, &QLineEdit::editingFinished, this, &SettingsWindow::storeServiceHost);
    connect(tokenEdit_, &QLineEdit::editingFinished, this, &SettingsWindow::storeServiceToken);
    connect(testButton_, &QPushButton::clicked, this, &SettingsWindow::testConnection);
    return serviceGroup_;
}

QGroupBox* SettingsWindow::buildSoundGroup() {
    soundGroup_ = new QGroupBox(this);
    sourceLabel_ = new QLabel(soundGroup_);
    soundSource_ = new QComboBox(soundGroup_);
    soundSource_->setObjectName(QStringLiteral("SoundSourceBox"));
    for (const QLatin1String value :
         {AppSettings::kSoundSourceMicrophone, AppSettings::kSoundSourceComputer,
          AppSettings::kSoundSourceBoth})
        soundSource_->addItem(QString(), QString(value));
    microphoneLabel_ = new QLabel(soundGroup_);
    microphoneLevel_ = levelMeter(QStringLiteral("MicrophoneLevel"), soundGroup_);
    computerLabel_ = new QLabel(soundGroup_);
    computerLevel_ = levelMeter(QStringLiteral("ComputerSoundLevel"), soundGroup_);
    soundProblem_ = messageLabel(QStringLiteral("SoundProblem"), soundGroup_);

    auto* form = new QFormLayout(soundGroup_);
    form->addRow(sourceLabel_, soundSource_);
    form->addRow(microphoneLabel_, microphoneLevel_);
    form->addRow(computerLabel_, computerLevel_);
    form->addRow(soundProblem_);
    sourceLabel_->setBuddy(soundSource_);

    connect(soundSource_, QOverload<int>::of(&QComboBox::activated), this,
            &SettingsWindow::storeSoundSource);
    return soundGroup_;
}

QGroupBox* SettingsWindow::buildRecordingsGroup() {
    recordingsGroup_ = new QGroupBox(this);
    folderLabel_ = new QLabel(recordingsGroup_);
    folderEdit_ = new QLineEdit(recordingsGroup_);
    folderEdit_->setObjectName(QStringLiteral("SaveFolderEdit"));
    folderButton_ = new QPushButton(recordingsGroup_);
    folderButton_->setObjectName(QStringLiteral("SaveFolderButton"));
    folderButton_->setAutoDefault(false);
    folderProblem_ = messageLabel(QStringLiteral("SaveFolderProblem"), recordingsGroup_);
    keptLabel_ = new QLabel(recordingsGroup_);
    keptLimit_ = new QSpinBox(recordingsGroup_);
    keptLimit_->setObjectName(QStringLiteral("KeptRecordingsLimitBox"));
    keptLimit_->setRange(0, kMaxKeptLimitMiB);
    // Stored when the user is done typing: "5" on the way to "5000" must never count as a
    // limit, or kept recordings could be let go for it.
    keptLimit_->setKeyboardTracking(false);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderEdit_, 1);
    folderRow->addWidget(folderButton_);
    auto* form = new QFormLayout(recordingsGroup_);
    form->addRow(folderLabel_, folderRow);
    form->addRow(folderProblem_);
    form->addRow(keptLabel_, keptLimit_);
    folderLabel_->setBuddy(folderEdit_);
    keptLabel_->setBuddy(keptLimit_);

    connect(folderEdit_, &QLineEdit::editingFinished, this,
            [this] { storeSaveFolder(folderEdit_->text()); });
    connect(folderButton_, &QPushButton::clicked, this, &SettingsWindow::chooseSaveFolder);
    connect(keptLimit_, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int mib) {
        store(AppSettings::kKeptRecordingsLimitMiB, mib);
        if (hooks_.keptLimitChanged)
            hooks_.keptLimitChanged();
    });
    return recordingsGroup_;
}

QGroupBox* SettingsWindow::buildControlsGroup() {
    controlsGroup_ = new QGroupBox(this);
    countdownLabel_ = new QLabel(controlsGroup_);
    countdown_ = new QSpinBox(controlsGroup_);
    countdown_->setObjectName(QStringLiteral("CountdownBox"));
    countdown_->setRange(0, AppSettings::kMaxCountdownSeconds);
    countdown_->setKeyboardTracking(false);
    recordButton_ = new QCheckBox(controlsGroup_);
    recordButton_->setObjectName(QStringLiteral("RecordButtonBox"));
    recordButton_->setVisible(hooks_.recordButtonAvailable);
    captureLabel_ = new QLabel(controlsGroup_);
    captureShortcut_ = new QLabel(controlsGroup_);
    captureShortcut_->setObjectName(QStringLiteral("CaptureShortcutText"));
    stopLabel_ = new QLabel(controlsGroup_);
    stopShortcut_ = new QLabel(controlsGroup_);
    stopShortcut_->setObjectName(QStringLiteral("StopShortcutText"));
    shortcutProblem_ = messageLabel(QStringLiteral("ShortcutProblem"), controlsGroup_);
    shortcutsButton_ = new QPushButton(controlsGroup_);
    shortcutsButton_->setObjectName(QStringLiteral("ChangeShortcutsButton"));
    shortcutsButton_->setAutoDefault(false);
    languageLabel_ = new QLabel(controlsGroup_);
    language_ = new QComboBox(controlsGroup_);
    language_->setObjectName(QStringLiteral("LanguageBox"));
    for (const Language& entry : hooks_.languages)
        language_->addItem(entry.flag, entry.text, entry.code);

    auto* form = new QFormLayout(controlsGroup_);
    form->addRow(countdownLabel_, countdown_);
    form->addRow(recordButton_);
    form->addRow(captureLabel_, captureShortcut_);
    form->addRow(stopLabel_, stopShortcut_);
    form->addRow(shortcutProblem_);
    form->addRow(QString(), shortcutsButton_);
    form->addRow(languageLabel_, language_);
    countdownLabel_->setBuddy(countdown_);
    languageLabel_->setBuddy(language_);

    connect(countdown_, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int seconds) { store(AppSettings::kCountdownSeconds, seconds); });
    connect(recordButton_, &QCheckBox::clicked, this, [this](bool shown) {
        if (hooks_.showRecordButton)
            hooks_.showRecordButton(shown);
    });
    connect(shortcutsButton_, &QPushButton::clicked, this, [this] {
        if (hooks_.editShortcuts)
            hooks_.editShortcuts();
    });
    connect(language_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        if (hooks_.chooseLanguage)
            hooks_.chooseLanguage(language_->itemData(index).toString());
    });
    return controlsGroup_;
}

void SettingsWindow::refreshShortcuts() {
    const auto text = [this](const std::function<QKeySequence()>& get) {
        const QKeySequence combination = get ? get() : QKeySequence();
        return combination.isEmpty() ? tr("None") : KeyCombination::displayText(combination);
    };
    captureShortcut_->setText(text(hooks_.captureShortcut));
    stopShortcut_->setText(text(hooks_.stopShortcut));
    const QKeySequence held =
        hooks_.captureHeldByOther ? hooks_.captureHeldByOther() : QKeySequence();
    shortcutProblem_->setVisible(!held.isEmpty());
    if (!held.isEmpty())
        shortcutProblem_->setText(
            ShortcutDialog::heldByOtherText(KeyCombination::displayText(held)));
}

void SettingsWindow::retranslate() {
    setWindowTitle(tr("Clipnest settings"));
    serviceGroup_->setTitle(tr("Upload service"));
    hostLabel_->setText(tr("Service address:"));
    hostEdit_->setPlaceholderText(QString(AppSettings::kDefaultServiceHost));
    tokenLabel_->setText(tr("Token:"));
    tokenEdit_->setPlaceholderText(tr("None"));
    testButton_->setText(tr("Test connection"));

    soundGroup_->setTitle(tr("Sound"));
    sourceLabel_->setText(tr("Record with sound from:"));
    soundSource_->setItemText(0, tr("Microphone"));
    soundSource_->setItemText(1, tr("Computer sound"));
    soundSource_->setItemText(2, tr("Both"));
    microphoneLabel_->setText(tr("Microphone level:"));
    computerLabel_->setText(tr("Computer sound level:"));

    recordingsGroup_->setTitle(tr("Recordings"));
    folderLabel_->setText(tr("Save recordings in:"));
    folderButton_->setText(tr("Choose..."));
    keptLabel_->setText(tr("Kept recordings may take (MiB, 0: no limit):"));

    controlsGroup_->setTitle(tr("Recording and controls"));
    countdownLabel_->setText(tr("Countdown (seconds, 0: off):"));
    recordButton_->setText(tr("Show the record button"));
    captureLabel_->setText(tr("Start a capture:"));
    stopLabel_->setText(tr("Stop the recording:"));
    shortcutsButton_->setText(tr("Change shortcuts..."));
    languageLabel_->setText(tr("Language:"));
    closeButton_->setText(tr("Close"));
    refreshShortcuts();
    const int current =
        language_->findData(hooks_.currentLanguage ? hooks_.currentLanguage() : QString());
    if (current >= 0)
        language_->setCurrentIndex(current);
}
