#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

class QTranslator;

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

// Qt's own catalogue for the language, which holds the texts of Qt's dialogs and standard
// buttons ("Cancel", "&Yes"): "qtbase_es" for "es", "qtbase_pt_BR" for "br", empty for English,
// whose texts Qt's are. Looked for in Qt's translations folder.
QString qtCatalogName(const QString& code);
QString qtCatalogFolder();
// Loads Qt's catalogue for `code` into `translator`. False when there is none to load (English,
// or the distribution's Qt translations are not installed): Qt's texts then stay English, which
// is no reason to bother the user.
bool loadQtCatalog(QTranslator& translator, const QString& code);

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
