#pragma once

#include <QList>
#include <QMenu>
#include <QPointer>

class QAction;
class QSettings;
class QTranslator;

// The tray's choice of interface language: one checkable entry per language, with its flag,
// and the catalogue of the chosen one installed in the application. The checked entry is the
// installed language, which is stored under "Language" each time one is installed. Its title
// is set by the menu that holds it. GUI thread only.
class LanguageMenu : public QMenu {
    Q_OBJECT
public:
    LanguageMenu(QSettings& settings, QWidget* parent);

    // Installs the stored language, or on a first start the system's when there is a
    // catalogue for it, else English. Returns whether a catalogue is installed afterwards:
    // without one no language-change event ever comes.
    bool restore();
    // Installs the catalogue of `code`. A code without a catalogue, or a catalogue that does
    // not load, leaves the current language as it is; false then.
    bool load(const QString& code);
    // Writes the current language to the settings.
    void store();

    // The entries, in menu order.
    const QList<QAction*>& entries() const { return entries_; }

private:
    bool isAvailable(const QString& code) const;
    void markCurrent(const QString& code);
    void choose(QAction* action);

    QSettings& settings_;
    QList<QAction*> entries_;
    // Owned by the application, so that the texts stay until the very end.
    QPointer<QTranslator> translator_;
    QPointer<QTranslator> qtTranslator_; // Qt's own texts in the same language
};
