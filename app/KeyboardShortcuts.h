#pragma once

#include "app/GlobalKey.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>

class QAction;
class QSettings;
class ShortcutDialog;

// The global key combinations the user chose: one opens the capture, one stops the
// recording. Holds them on the X server, keeps them in the settings, and offers the dialog to
// change them from the tray menu. GUI thread only.
class KeyboardShortcuts : public QObject {
    Q_OBJECT
public:
    KeyboardShortcuts(QSettings& settings, QObject* parent);
    ~KeyboardShortcuts() override;

    // The tray menu's entry that opens the dialog.
    QAction* action() const { return action_; }
    void retranslate();

    QKeySequence captureCombination() const { return capture_.combination(); }
    QKeySequence stopCombination() const { return stop_.combination(); }

    // Puts these combinations in force and stores them; a combination that cannot be had
    // leaves the old one in force and unchanged in the settings. Returns what went wrong, for
    // the user, or an empty text.
    QString apply(const QKeySequence& capture, const QKeySequence& stop);

signals:
    void captureRequested();
    void stopRequested();
    // A combination the user chose cannot be had at start; for the user.
    void problem(const QString& text);

private:
    void restore();
    void openDialog();
    QString refusal(GlobalKey::Result result, const QKeySequence& wanted, bool forCapture) const;

    QSettings& settings_;
    GlobalKey capture_;
    GlobalKey stop_;
    QAction* action_;
    QPointer<ShortcutDialog> dialog_;
};
