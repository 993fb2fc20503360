#include "widgets/ShortcutDialog.h"

#include "widgets/KeyCombination.h"
#include "widgets/PlainMessageBox.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Wide enough for the longest sentence in any of the languages to wrap into a few lines.
constexpr int kTextWidth = 440;
} // namespace

ShortcutEdit::ShortcutEdit(QWidget* parent)
    : QLineEdit(parent) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void ShortcutEdit::setCombination(const QKeySequence& combination) {
    combination_ = combination;
    setText(KeyCombination::displayText(combination));
}

bool ShortcutEdit::event(QEvent* event) {
    // A read-only line edit still claims Ctrl+C, Ctrl+A and the like as its own shortcuts;
    // here every combination is one to record.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (KeyCombination::interpretPress(key->key(), key->modifiers()) ==
            KeyCombination::Input::Record) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void ShortcutEdit::keyPressEvent(QKeyEvent* event) {
    using KeyCombination::Input;
    switch (KeyCombination::interpretPress(event->key(), event->modifiers())) {
    case Input::Wait:
        event->accept();
        return;
    case Input::PassOn:
        event->ignore();
        return;
    case Input::Clear:
        event->accept();
        emit pressedCombination(QKeySequence());
        return;
    case Input::Record:
        break;
    }
    event->accept();
    const QKeyCombination pressed = KeyCombination::fromPress(event->key(), event->modifiers());
    const QString text = KeyCombination::displayText(QKeySequence(pressed));
    switch (KeyCombination::judge(pressed)) {
    case KeyCombination::Verdict::Accepted:
        emit pressedCombination(QKeySequence(pressed));
        break;
    case KeyCombination::Verdict::NeedsModifier:
        emit refused(needsModifierText(text));
        break;
    case KeyCombination::Verdict::Unsupported:
        emit refused(unsupportedText());
        break;
    }
}

QString ShortcutEdit::needsModifierText(const QString& key) {
    return tr("%1 would be taken from every program: add Ctrl, Alt or Super.").arg(key);
}

QString ShortcutEdit::unsupportedText() {
    return tr("This key cannot be a shortcut.");
}

ShortcutDialog::ShortcutDialog(const QKeySequence& capture, const QKeySequence& stop, Apply apply,
                               QWidget* parent)
    : QDialog(parent)
    , apply_(std::move(apply))
    , captureLabel_(new QLabel(this))
    , captureEdit_(new ShortcutEdit(this))
    , stopLabel_(new QLabel(this))
    , stopEdit_(new ShortcutEdit(this))
    , howLabel_(new QLabel(this))
    , problemLabel_(new QLabel(this))
    , fallbackLabel_(new QLabel(this))
    , heldLabel_(new QLabel(this))
    , suggestionButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("ShortcutDialog"));
    captureEdit_->setObjectName(QStringLiteral("CaptureShortcutEdit"));
    stopEdit_->setObjectName(QStringLiteral("StopShortcutEdit"));
    for (QLabel* label : {howLabel_, problemLabel_, fallbackLabel_, heldLabel_}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        // Wrapped text gets its height from the width: a fixed width keeps every line in view
        // as texts come and go (a refusal, another language).
        label->setFixedWidth(kTextWidth);
    }
    problemLabel_->setObjectName(QStringLiteral("ShortcutProblem"));
    problemLabel_->setStyleSheet(QStringLiteral("color: #b00000;"));
    // The line keeps its room while it is hidden, so the dialog and its buttons stay put when
    // a refusal comes and goes (retranslate() sizes the room).
    QSizePolicy keepRoom = problemLabel_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    problemLabel_->setSizePolicy(keepRoom);
    problemLabel_->hide();
    heldLabel_->setObjectName(QStringLiteral("ShortcutHeldByOther"));
    heldLabel_->setStyleSheet(QStringLiteral("color: #b00000;"));
    heldLabel_->hide();
    suggestionButton_->setObjectName(QStringLiteral("SuggestedShortcutButton"));
    suggestionButton_->setAutoDefault(false);
    suggestionButton_->hide();
    connect(suggestionButton_, &QPushButton::clicked, this, [this] {
        onPressed(captureEdit_, stopEdit_, suggestion_);
        accept();
    });

    auto* form = new QFormLayout;
    form->addRow(captureLabel_, captureEdit_);
    form->addRow(stopLabel_, stopEdit_);
    captureLabel_->setBuddy(captureEdit_);
    stopLabel_->setBuddy(stopEdit_);

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(QDialogButtonBox::Ok);
    cancelButton_ = buttons->addButton(QDialogButtonBox::Cancel);
    okButton_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShortcutDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShortcutDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heldLabel_);
    layout->addWidget(suggestionButton_, 0, Qt::AlignLeft);
    layout->addWidget(howLabel_);
    layout->addLayout(form);
    layout->addWidget(problemLabel_);
    layout->addWidget(fallbackLabel_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (ShortcutEdit* edit : {captureEdit_, stopEdit_}) {
        ShortcutEdit* other = edit == captureEdit_ ? stopEdit_ : captureEdit_;
        connect(edit, &ShortcutEdit::pressedCombination, this,
                [this, edit, other](const QKeySequence& c) { onPressed(edit, other, c); });
        connect(edit, &ShortcutEdit::refused, this, [this](const QString& reason) {
            problemLabel_->setText(reason);
            problemLabel_->show();
        });
    }
    setCombinations(capture, stop);
    retranslate();
    captureEdit_->setFocus();
}

void ShortcutDialog::setCombinations(const QKeySequence& capture, const QKeySequence& stop) {
    captureEdit_->setCombination(capture);
    stopEdit_->setCombination(stop);
}

void ShortcutDialog::onPressed(ShortcutEdit* edit, ShortcutEdit* other,
                               const QKeySequence& combination) {
    if (!combination.isEmpty() && combination == other->combination()) {
        problemLabel_->setText(takenText(KeyCombination::displayText(combination)));
        problemLabel_->show();
        return;
    }
    problemLabel_->hide();
    heldLabel_->setObjectName(QStringLiteral("ShortcutHeldByOther"));
    heldLabel_->setStyleSheet(QStringLiteral("color: #b00000;"));
    heldLabel_->hide();
    suggestionButton_->setObjectName(QStringLiteral("SuggestedShortcutButton"));
    suggestionButton_->setAutoDefault(false);
    suggestionButton_->hide();
    connect(suggestionButton_, &QPushButton::clicked, this, [this] {
        onPressed(captureEdit_, stopEdit_, suggestion_);
        accept();
    });
    edit->setCombination(combination);
}

QString ShortcutDialog::takenText(const QString& key) {
    return tr("%1 is already the other shortcut.").arg(key);
}

void ShortcutDialog::accept() {
    const QString problem =
        apply_ ? apply_(captureEdit_->combination(), stopEdit_->combination()) : QString();
    if (problem.isEmpty()) {
        QDialog::accept();
        return;
    }
    showPlainMessage(this, QMessageBox::Warning, QStringLiteral("Clipnest"), problem);
}

void ShortcutDialog::setKeptByDesktop(bool kept) {
    keptByDesktop_ = kept;
    captureEdit_->setEnabled(!kept);
    stopEdit_->setEnabled(!kept);
    howLabel_->setVisible(!kept);
    retranslate();
}

void ShortcutDialog::setHeldByOther(const QKeySequence& wanted, const QKeySequence& suggestion) {
    heldByOther_ = wanted;
    suggestion_ = suggestion;
    heldLabel_->setVisible(!wanted.isEmpty());
    suggestionButton_->setVisible(!wanted.isEmpty() && !suggestion.isEmpty());
    retranslate();
}

QString ShortcutDialog::heldByOtherText(const QString& key) {
    return tr("%1 is taken by another program (the window manager?). Choose another "
              "combination.")
        .arg(key);
}

void ShortcutDialog::retranslate() {
    setWindowTitle(tr("Keyboard shortcuts"));
    captureLabel_->setText(tr("Start a capture:"));
    stopLabel_->setText(tr("Stop the recording:"));
    captureEdit_->setPlaceholderText(tr("None"));
    stopEdit_->setPlaceholderText(tr("None"));
    howLabel_->setText(
        tr("Click a field and press the new key combination. Backspace leaves none."));
    fallbackLabel_->setText(
        keptByDesktop_
            ? tr("This desktop keeps key combinations for itself. Bind them in the desktop's "
                 "keyboard settings to the commands clipnest --capture and clipnest --stop.")
            : tr("Some desktops keep key combinations for themselves. There, bind one in the "
                 "desktop's keyboard settings to the command: clipnest --capture"));
    heldLabel_->setText(heldByOtherText(KeyCombination::displayText(heldByOther_)));
    suggestionButton_->setText(tr("Use %1").arg(KeyCombination::displayText(suggestion_)));
    okButton_->setText(tr("OK"));
    cancelButton_->setText(tr("Cancel"));
    reserveProblemRoom();
}

void ShortcutDialog::reserveProblemRoom() {
    // Room for the longest refusal in this language, with a long combination in it.
    const QString longKey = KeyCombination::displayText(QKeySequence(QKeyCombination(
        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier,
        Qt::Key_ScrollLock)));
    const QStringList refusals = {ShortcutEdit::needsModifierText(longKey),
                                  ShortcutEdit::unsupportedText(), takenText(longKey)};
    const QFontMetrics metrics(problemLabel_->font());
    int height = metrics.lineSpacing();
    for (const QString& text : refusals)
        height = qMax(height, metrics
                                  .boundingRect(QRect(0, 0, kTextWidth, 10000),
                                                Qt::TextWordWrap | Qt::AlignLeft, text)
                                  .height());
    problemLabel_->setMinimumHeight(height);
}

void ShortcutDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}
