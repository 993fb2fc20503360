#pragma once

#include "platform/GlobalShortcut.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QSettings;
class ShortcutDialog;

// The global key combinations the user chose: one opens the capture, one stops the
// recording. Holds them through the desktop, keeps them in the settings, and offers the dialog to
// change them from the tray menu. GUI thread only.
class KeyboardShortcuts : public QObject {
    Q_OBJECT
public:
    KeyboardShortcuts(QSettings& settings, QObject* parent);
    ~KeyboardShortcuts() override;

    // The tray menu's entry that opens the dialog.
    QAction* action() const { return action_; }
    void retranslate();

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
    QString refusal(platform::GlobalShortcut::Result result, const QKeySequence& wanted,
                    bool forCapture) const;

    QSettings& settings_;
    // Owned by this object, made by the platform in force.
    platform::GlobalShortcut* capture_;
    platform::GlobalShortcut* stop_;
    QAction* action_;
    QPointer<ShortcutDialog> dialog_;
    // What the desktop refused since the event loop last turned.
    QStringList refusals_;
};
