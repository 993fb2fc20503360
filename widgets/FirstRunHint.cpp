#include "widgets/FirstRunHint.h"

#include "widgets/KeyCombination.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Wide enough for the three sentences to wrap into a short paragraph in any of the languages.
constexpr int kTextWidth = 380;
} // namespace

FirstRunHint::FirstRunHint(bool tray, const QKeySequence& capture, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , tray_(tray)
    , capture_(capture)
    , label_(new QLabel(this)) {
    setObjectName(QStringLiteral("FirstRunHint"));
    setAttribute(Qt::WA_DeleteOnClose);
    label_->setObjectName(QStringLiteral("FirstRunHintText"));
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setFixedWidth(kTextWidth);
    auto* buttons = new QDialogButtonBox(this);
    settingsButton_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    settingsButton_->setObjectName(QStringLiteral("FirstRunSettingsButton"));
    okButton_ = buttons->addButton(QDialogButtonBox::Ok);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(settingsButton_, &QPushButton::clicked, this, [this] {
        emit settingsWanted();
        close();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();
}

QString FirstRunHint::text() const {
    return label_->text();
}

void FirstRunHint::retranslate() {
    setWindowTitle(tr("Welcome to Clipnest"));
    const QString where =
        tray_ ? tr("Clipnest lives in the system tray: its icon opens the menu, with Settings "
                   "and the record button's switch.")
              : tr("There is no system tray here, so Clipnest lives in the record button at "
                   "the edge of the screen.");
    const QString how =
        capture_.isEmpty()
            ? tr("No key combination starts a capture; you can choose one in Settings. Click "
                 "the record button to select an area.")
            : tr("Click the record button or press %1 to select an area.")
                  .arg(KeyCombination::displayText(capture_));
    label_->setText(where + QLatin1Char('\n') + how);
    settingsButton_->setText(tr("Settings..."));
    okButton_->setText(tr("OK"));
}

void FirstRunHint::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
