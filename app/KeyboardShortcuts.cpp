#include "app/KeyboardShortcuts.h"

#include "platform/Platform.h"
#include "settings/AppSettings.h"
#include "widgets/KeyCombination.h"
#include "widgets/ShortcutDialog.h"

#include <QAction>
#include <QSettings>
#include <QTimer>
#include <QtDebug>

#include <memory>

using Result = platform::GlobalShortcut::Result;

namespace {

// Offered in place of a capture combination another program holds, in this order: close to
// what screen recorders use, and not taken by the common desktops and window managers
// (Alt+Print is the kernel's SysRq, Ctrl+Alt+R restarts some window managers).
const char* const kSuggestions[] = {"Ctrl+Shift+R", "Ctrl+Shift+Print", "Meta+Shift+R",
                                    "Ctrl+Alt+Shift+R"};

} // namespace

KeyboardShortcuts::KeyboardShortcuts(QSettings& settings, QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , capture_(platform::Platform::current().createGlobalShortcut(QStringLiteral("capture"), this))
    , stop_(platform::Platform::current().createGlobalShortcut(QStringLiteral("stop"), this))
    , action_(new QAction(this)) {
    action_->setObjectName(QStringLiteral("ShortcutsAction"));
    connect(action_, &QAction::triggered, this, &KeyboardShortcuts::openDialog);
    connect(capture_, &platform::GlobalShortcut::pressed, this,
            &KeyboardShortcuts::captureRequested);
    connect(stop_, &platform::GlobalShortcut::pressed, this, &KeyboardShortcuts::stopRequested);
    // Asked before the desktop said whether it gives combinations at all: asked again, so
    // that a combination the user chose and cannot have is said.
    connect(capture_, &platform::GlobalShortcut::keptByDesktopChanged, this, [this] {
        restore();
        if (dialog_)
            dialog_->setKeptByDesktop(capture_->keptByDesktop());
    });
    // Where the desktop binds both at once, one refusal reaches both: said once.
    for (platform::GlobalShortcut* holder : {capture_, stop_})
        connect(holder, &platform::GlobalShortcut::refused, this, [this](const QString& text) {
            if (refusals_.contains(text))
                return;
            if (refusals_.isEmpty())
                QTimer::singleShot(0, this, [this] {
                    emit problem(refusals_.join(QLatin1Char('\n')));
                    refusals_.clear();
                });
            refusals_ << text;
        });
    restore();
}

KeyboardShortcuts::~KeyboardShortcuts() {
    // The dialog has no parent and calls back into this object.
    delete dialog_;
}

void KeyboardShortcuts::retranslate() {
    action_->setText(tr("Keyboard shortcuts..."));
}

void KeyboardShortcuts::restore() {
    struct Stored {
        QLatin1String key;
        QLatin1String fallback;
        platform::GlobalShortcut* holder;
        bool forCapture;
    };
    const Stored stored[] = {
        {AppSettings::kCaptureShortcut, AppSettings::kDefaultCaptureShortcut, capture_, true},
        {AppSettings::kStopShortcut, AppSettings::kDefaultStopShortcut, stop_, false},
    };
    QStringList problems;
    for (const Stored& s : stored) {
        const QVariant value = settings_.value(s.key);
        bool broken = false;
        const QKeySequence wanted = KeyCombination::fromStored(
            value, QKeySequence::fromString(s.fallback, QKeySequence::PortableText), &broken);
        if (broken)
            qDebug().noquote() << QStringLiteral("The setting \"%1\" holds no usable key "
                                                 "combination; using %2")
                                      .arg(s.key, s.fallback.isEmpty() ? QStringLiteral("none")
                                                                       : QString(s.fallback));
        const Result result = s.holder->take(wanted);
        if (s.forCapture)
            noteCapture(result, wanted);
        if (result == Result::Taken)
            continue;
        const QString text = KeyCombination::displayText(wanted);
        qDebug().noquote() << (result == Result::HeldByOther
                                   ? QStringLiteral("Another program holds the %1 key; "
                                                    "carrying on without it")
                                   : QStringLiteral("The %1 key cannot be had here; carrying "
                                                    "on without it"))
                                  .arg(text);
        // A combination the user chose is worth a word; the default one is only missed by
        // those who would look for it in the dialog, which says so.
        if (value.isValid() && !broken)
            problems << refusal(result, wanted, s.forCapture);
    }
    if (!problems.isEmpty()) {
        // From the event loop, once the owner listens and the language is set.
        const QString text = problems.join(QLatin1Char('\n'));
        QTimer::singleShot(0, this, [this, text] { emit problem(text); });
    }
    if (dialog_)
        dialog_->setHeldByOther(captureHeldByOther_, suggestion_);
    emit changed();
}

void KeyboardShortcuts::noteCapture(Result result, const QKeySequence& wanted) {
    if (result != Result::HeldByOther) {
        captureHeldByOther_ = QKeySequence();
        suggestion_ = QKeySequence();
        return;
    }
    captureHeldByOther_ = wanted;
    suggestion_ = findFreeCombination();
}

QKeySequence KeyboardShortcuts::findFreeCombination() const {
    // Tried by taking each for a moment: only the desktop knows what other programs hold.
    for (const char* text : kSuggestions) {
        const QKeySequence candidate =
            QKeySequence::fromString(QLatin1String(text), QKeySequence::PortableText);
        if (candidate == stop_->combination())
            continue;
        std::unique_ptr<platform::GlobalShortcut> probe(
            platform::Platform::current().createGlobalShortcut(QStringLiteral("probe"), nullptr));
        if (probe->take(candidate) == Result::Taken) {
            probe->take(QKeySequence());
            return candidate;
        }
    }
    return QKeySequence();
}

QKeySequence KeyboardShortcuts::captureCombination() const {
    return capture_->combination();
}

QKeySequence KeyboardShortcuts::stopCombination() const {
    return stop_->combination();
}

QString KeyboardShortcuts::refusal(platform::GlobalShortcut::Result result,
                                   const QKeySequence& wanted, bool forCapture) const {
    const QString text = KeyCombination::displayText(wanted);
    QString why;
    switch (result) {
    case Result::HeldByOther:
        why = tr("Another program already uses %1.").arg(text);
        break;
    case Result::NotOnKeyboard:
        why = tr("This keyboard has no key for %1.").arg(text);
        break;
    case Result::NoDisplay:
        why = tr("Key combinations need an X11 display.");
        break;
    case Result::KeptByDesktop:
        why = tr("This desktop gives programs no key combinations of their own. Set %1 in "
                 "the desktop's keyboard settings to run \"%2\".")
                  .arg(text, forCapture ? QStringLiteral("clipnest --capture")
                                        : QStringLiteral("clipnest --stop"));
        break;
    case Result::Taken:
        return QString();
    }
    const QKeySequence inForce = forCapture ? capture_->combination() : stop_->combination();
    const QString current = KeyCombination::displayText(inForce);
    QString kept;
    if (forCapture)
        kept = inForce.isEmpty() ? tr("No key combination starts a capture now.")
                                 : tr("A capture still starts with %1.").arg(current);
    else
        kept = inForce.isEmpty() ? tr("No key combination stops the recording now.")
                                 : tr("The recording still stops with %1.").arg(current);
    return why + QLatin1Char(' ') + kept;
}

QString KeyboardShortcuts::apply(const QKeySequence& capture, const QKeySequence& stop) {
    QStringList problems;
    struct Change {
        platform::GlobalShortcut* holder;
        QKeySequence wanted;
        QLatin1String key;
        bool forCapture;
    };
    const Change changes[] = {{capture_, capture, AppSettings::kCaptureShortcut, true},
                              {stop_, stop, AppSettings::kStopShortcut, false}};
    for (const Change& c : changes) {
        if (c.wanted == c.holder->combination())
            continue;
        // The one the other holder gives up is free once it has let go of it.
        platform::GlobalShortcut* other = c.holder == capture_ ? stop_ : capture_;
        if (!c.wanted.isEmpty() && c.wanted == other->combination())
            other->take(QKeySequence());
        const Result result = c.holder->take(c.wanted);
        if (c.forCapture && (result == Result::Taken || result == Result::HeldByOther))
            noteCapture(result, c.wanted);
        if (result != Result::Taken) {
            problems << refusal(result, c.wanted, c.forCapture);
            qDebug().noquote() << problems.last();
            continue;
        }
        settings_.setValue(c.key, KeyCombination::toStored(c.wanted));
    }
    settings_.sync();
    if (dialog_) {
        dialog_->setCombinations(capture_->combination(), stop_->combination());
        dialog_->setHeldByOther(captureHeldByOther_, suggestion_);
    }
    emit changed();
    return problems.join(QLatin1Char('\n'));
}

void KeyboardShortcuts::openDialog() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    // The combinations in force are let go while the dialog is open, so that they can be
    // pressed into it.
    capture_->setSuspended(true);
    stop_->setSuspended(true);
    dialog_ = new ShortcutDialog(capture_->combination(), stop_->combination(),
                                 [this](const QKeySequence& capture, const QKeySequence& stop) {
                                     return apply(capture, stop);
                                 });
    dialog_->setKeptByDesktop(capture_->keptByDesktop());
    dialog_->setHeldByOther(captureHeldByOther_, suggestion_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::finished, this, [this] {
        capture_->setSuspended(false);
        stop_->setSuspended(false);
    });
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}
