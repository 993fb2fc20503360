#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// The interface languages and the rules for picking one, apart from any window.
namespace Languages {

struct Entry {
    QString text; // shown untranslated in the menu
    QString flag; // name of the flag picture
    QString code; // catalogue name, stored under "Language"
};

// Menu order: Brazilian Portuguese, Spanish, English.
const QList<Entry>& table();

QString flagPath(const QString& flag);    // ":/Resources/Flags/<flag>.png"
QString catalogPath(const QString& code); // ":/Resources/locales/<code>.qm"

// English needs no catalogue: its texts are the source texts.
bool isSelectable(const QString& code, bool catalogExists);

// Language of a first start: the first two letters of the system locale's name
// when they name a selectable language, else English. A Portuguese system gets
// English because the Portuguese entry's code is "br".
QString firstStartLanguage(const QString& systemLocaleName, const QStringList& selectableCodes);

// The formats of dates, times and numbers that go with an interface language: the English
// entry is American English, the Spanish one Latin American, the Portuguese one Brazilian.
// Unknown codes get the system's.
QLocale locale(const QString& code);

// The process-wide code of the installed catalogue, empty until one is installed. Setting it
// makes its locale() the default one, which the windows format with from their next language
// change on. GUI thread only.
QString current();
void setCurrent(const QString& code);

} // namespace Languages
