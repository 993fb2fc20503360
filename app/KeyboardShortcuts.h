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

    // The combinations in force; empty when none.
    QKeySequence captureCombination() const;
    QKeySequence stopCombination() const;
    // The capture combination wanted (stored, or the default) that another program holds, so
    // that none is in force; empty when there is no such combination.
    QKeySequence captureHeldByOther() const { return captureHeldByOther_; }
    // A combination another program does not hold, offered in its place; empty when none of
    // the few tried is free.
    QKeySequence suggestion() const { return suggestion_; }

public slots:
    // Opens the dialog that changes the combinations (the tray entry's action).
    void openDialog();

signals:
    // The combinations in force, or what is known about a refused one, changed.
    void changed();
    void captureRequested();
    void stopRequested();
    // A combination the user chose cannot be had at start; for the user.
    void problem(const QString& text);

private:
    void restore();
    // Remembers whether the wanted capture combination is held by another program, and looks
    // for a free one to offer instead.
    void noteCapture(platform::GlobalShortcut::Result result, const QKeySequence& wanted);
    QKeySequence findFreeCombination() const;
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
    QKeySequence captureHeldByOther_;
    QKeySequence suggestion_;
};
