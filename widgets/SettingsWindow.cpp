#include "widgets/SettingsWindow.h"

#include "history/SaveTarget.h"
#include "media/SoundLevelReader.h"
#include "settings/AppSettings.h"
#include "upload/ConnectionCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

SettingsWindow::SettingsWindow(QSettings& settings, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , settings_(settings)
    , hooks_(std::move(hooks))
    , check_(new ConnectionCheck(this)) {
    setObjectName(QStringLiteral("SettingsWindow"));
    auto* buttons = new QDialogButtonBox(this);
    closeButton_ = buttons->addButton(QDialogButtonBox::Close);
    closeButton_->setObjectName(QStringLiteral("CloseSettingsButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildServiceGroup());
    layout->addWidget(buildSoundGroup());
    layout->addWidget(buildRecordingsGroup());
    layout->addWidget(buildControlsGroup());
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(check_, &ConnectionCheck::finished, this, &SettingsWindow::onConnectionChecked);
    retranslate();
    reload();
}

SettingsWindow::~SettingsWindow() {
    stopLevelReaders();
}

void SettingsWindow::reload() {
    // What the settings hold is shown, not stored again.
    const QSignalBlocker blockers[] = {QSignalBlocker(hostEdit_),    QSignalBlocker(tokenEdit_),
                                       QSignalBlocker(soundSource_), QSignalBlocker(folderEdit_),
                                       QSignalBlocker(keptLimit_),   QSignalBlocker(countdown_),
                                       QSignalBlocker(recordButton_)};
    hostEdit_->setText(AppSettings::serviceHost(settings_));
    tokenEdit_->setText(AppSettings::serviceToken(settings_));
    soundSource_->setCurrentIndex(
        qMax(0, soundSource_->findData(AppSettings::soundSource(settings_))));
    folderEdit_->setText(
        QDir::toNativeSeparators(SaveTarget::folderFor(settings_.value(AppSettings::kSaveFolder))));
    keptLimit_->setValue(AppSettings::keptRecordingsLimitMiB(settings_));
    countdown_->setValue(AppSettings::countdownSeconds(settings_));
    recordButton_->setChecked(AppSettings::showSnapButton(settings_));
    refreshShortcuts();
}

void SettingsWindow::store(const QString& key, const QVariant& value) {
    settings_.setValue(key, value);
    settings_.sync();
}

void SettingsWindow::storeServiceHost() {
    const QString host = hostEdit_->text().trimmed();
    if (host.isEmpty()) {
        // No address is the default one, as for a missing setting.
        settings_.remove(AppSettings::kServiceHost);
        settings_.sync();
        hostEdit_->setText(AppSettings::serviceHost(settings_));
        return;
    }
    const ConnectionVerdict verdict = ConnectionVerdicts::forSettings(host, QString());
    if (!verdict.message.isEmpty()) {
        // Kept in the field for the user to mend; uploads go on to the stored address.
        connectionResult_->setText(verdict.message);
        connectionResult_->show();
        return;
    }
    store(AppSettings::kServiceHost, host);
}

void SettingsWindow::storeServiceToken() {
    const QString token = tokenEdit_->text().trimmed();
    const ConnectionVerdict verdict =
        ConnectionVerdicts::forSettings(QString(AppSettings::kDefaultServiceHost), token);
    if (!verdict.message.isEmpty()) {
        connectionResult_->setText(verdict.message);
        connectionResult_->show();
        return;
    }
    if (token.isEmpty()) {
        settings_.remove(AppSettings::kServiceToken);
        settings_.sync();
    } else {
        store(AppSettings::kServiceToken, token);
    }
}

void SettingsWindow::testConnection() {
    // What is typed, saved or not: the user tries an address before relying on it.
    testButton_->setEnabled(false);
    connectionResult_->setText(tr("Testing the connection..."));
    connectionResult_->show();
    check_->start(hostEdit_->text(), tokenEdit_->text());
}

void SettingsWindow::onConnectionChecked(const ConnectionVerdict& verdict) {
    testButton_->setEnabled(true);
    connectionResult_->setText(verdict.message);
    connectionResult_->show();
}

void SettingsWindow::storeSaveFolder(const QString& folder) {
    const QString path = QDir::fromNativeSeparators(folder.trimmed());
    const QString current = SaveTarget::folderFor(settings_.value(AppSettings::kSaveFolder));
    if (QDir::cleanPath(path) == current && folderProblem_->isHidden())
        return;
    if (!QDir::isAbsolutePath(path) || !QFileInfo(path).isDir()) {
        // The typed text in the language's own quotation marks: it may hold spaces.
        folderProblem_->setText(
            tr("%1 is not a folder. Recordings are still saved in %2.")
                .arg(QLocale().quoteString(folder), QDir::toNativeSeparators(current)));
        folderProblem_->show();
        const QSignalBlocker blocker(folderEdit_);
        folderEdit_->setText(QDir::toNativeSeparators(current));
        return;
    }
    folderProblem_->hide();
    store(AppSettings::kSaveFolder, QDir::cleanPath(path));
    const QSignalBlocker blocker(folderEdit_);
    folderEdit_->setText(QDir::toNativeSeparators(QDir::cleanPath(path)));
}

void SettingsWindow::chooseSaveFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Save recordings in"),
        SaveTarget::folderFor(settings_.value(AppSettings::kSaveFolder)));
    if (!chosen.isEmpty())
        storeSaveFolder(chosen);
}

void SettingsWindow::storeSoundSource() {
    store(AppSettings::kSoundSource, soundSource_->currentData().toString());
    if (isVisible())
        startLevelReaders();
}

void SettingsWindow::startLevelReaders() {
    stopLevelReaders();
    soundProblem_->hide();
    const QString source = AppSettings::soundSource(settings_);
    const bool microphone = source != AppSettings::kSoundSourceComputer;
    const bool computer = source != AppSettings::kSoundSourceMicrophone;
    microphoneLabel_->setVisible(microphone);
    microphoneLevel_->setVisible(microphone);
    computerLabel_->setVisible(computer);
    computerLevel_->setVisible(computer);
    const auto start = [this](SoundLevelReader::Source which, QProgressBar* meter) {
        auto* reader = new SoundLevelReader(which, this);
        // Any sound at all lifts the meter off zero. Delivered through the reader, so that what
        // it read before it was stopped and deleted is dropped with it.
        connect(reader, &SoundLevelReader::levelRead, reader,
                [meter](double peak) { meter->setValue(int(std::ceil(peak * 100))); });
        connect(reader, &SoundLevelReader::failed, reader, [this](const QString& message) {
            soundProblem_->setText(message);
            soundProblem_->show();
        });
        reader->start();
        return reader;
    };
    if (microphone)
        microphoneReader_ = start(SoundLevelReader::Source::Microphone, microphoneLevel_);
    if (computer)
        computerReader_ = start(SoundLevelReader::Source::ComputerSound, computerLevel_);
}

void SettingsWindow::stopLevelReaders() {
    for (SoundLevelReader** reader : {&microphoneReader_, &computerReader_}) {
        if (!*reader)
            continue;
        (*reader)->stop();
        delete *reader;
        *reader = nullptr;
    }
    microphoneLevel_->setValue(0);
    computerLevel_->setValue(0);
}

void SettingsWindow::showEvent(QShowEvent* event) {
    reload();
    startLevelReaders();
    QWidget::showEvent(event);
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    // The sound is read only while someone looks at the meter.
    stopLevelReaders();
    check_->cancel();
    testButton_->setEnabled(true);
    QWidget::hideEvent(event);
}

void SettingsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
