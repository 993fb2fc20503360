#include "app/KeptSpaceGuard.h"

#include "history/KeptSpace.h"
#include "history/RecordingStore.h"
#include "settings/AppSettings.h"
#include "widgets/PlainMessageBox.h"

#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <QWidget>

KeptSpaceGuard::KeptSpaceGuard(RecordingStore* store, QWidget* dialogParent, QObject* parent)
    : QObject(parent)
    , store_(store)
    , dialogParent_(dialogParent) {
    connect(store_, &RecordingStore::changed, this, &KeptSpaceGuard::scheduleCheck);
}

void KeptSpaceGuard::boundChanged() {
    keptByChoice_.clear();
    scheduleCheck();
}

void KeptSpaceGuard::scheduleCheck() {
    // One check after a burst of changes (an upload writes the index several times), and
    // never from inside the store's own signal.
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        check();
    });
}

void KeptSpaceGuard::check() {
    // The question runs an event loop: changes meanwhile are seen by the check after it.
    if (checking_ || !store_->isOpen())
        return;
    const qint64 bound = KeptSpace::boundBytes(AppSettings::keptRecordingsLimitMiB(QSettings()));
    const KeptSpace::Plan plan = KeptSpace::plan(store_->kept(), bound);
    if (plan.isEmpty())
        return;
    QStringList going = plan.goQuietly;
    QStringList toAsk;
    for (const QString& path : plan.askFirst) {
        if (!keptByChoice_.contains(path))
            toAsk.append(path);
    }
    if (!toAsk.isEmpty()) {
        checking_ = true;
        const bool yes = askUser(plan.askFirst.size(), plan.askBytes, bound);
        checking_ = false;
        if (yes)
            going += plan.askFirst;
        else
            keptByChoice_ = plan.askFirst;
    }
    QStringList gone;
    QStringList errors;
    for (const QString& path : std::as_const(going)) {
        // What changed during the question counts: only what may still go goes.
        const auto e = store_->entry(path);
        if (!e || !KeptSpace::mayGo(*e))
            continue;
        const QString error = store_->remove(path);
        if (error.isEmpty())
            gone.append(path);
        else
            errors.append(error);
    }
    if (!errors.isEmpty())
        showPlainMessage(dialogParent_, QMessageBox::Warning, QStringLiteral("Clipnest"),
                         errors.join(QStringLiteral("\n\n")));
    if (!gone.isEmpty())
        emit letGo(gone);
}

bool KeptSpaceGuard::askUser(int count, qint64 bytes, qint64 bound) const {
    if (ask_)
        return ask_(count, bytes, bound);
    const QLocale locale;
    const QString text =
        tr("Kept recordings take more than the %1 you allow. Deleting the oldest uploaded "
           "ones that were never saved elsewhere (%2 in all, %3) would make room. Delete them "
           "from this computer? Their links stay in the history and the videos stay on the "
           "service.")
            .arg(locale.formattedDataSize(bound), QString::number(count),
                 locale.formattedDataSize(bytes));
    // The only copy on this computer: No is the default.
    return showPlainMessage(dialogParent_, QMessageBox::Question, tr("Space for recordings"), text,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}
