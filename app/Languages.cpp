#include "app/Languages.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace Languages {

namespace {

QString& currentCode() {
    static QString code;
    return code;
}

} // namespace

const QList<Entry>& table() {
    static const QList<Entry> kEntries = {
        {QStringLiteral("Português (BR)"), QStringLiteral("br"), QStringLiteral("br")},
        {QStringLiteral("Español (ES)"), QStringLiteral("es"), QStringLiteral("es")},
        {QStringLiteral("English (US)"), QStringLiteral("us"), QStringLiteral("en")},
    };
    return kEntries;
}

QString flagPath(const QString& flag) {
    return QStringLiteral(":/Resources/Flags/%1.png").arg(flag);
}

QString catalogPath(const QString& code) {
    return QStringLiteral(":/Resources/locales/%1.qm").arg(code);
}

QString qtCatalogName(const QString& code) {
    if (code == QLatin1String("es"))
        return QStringLiteral("qtbase_es");
    if (code == QLatin1String("br"))
        return QStringLiteral("qtbase_pt_BR");
    return {};
}

QString qtCatalogFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool loadQtCatalog(QTranslator& translator, const QString& code) {
    const QString name = qtCatalogName(code);
    return !name.isEmpty() && translator.load(name, qtCatalogFolder());
}

bool isSelectable(const QString& code, bool catalogExists) {
    return catalogExists || code == QLatin1String("en");
}

QString firstStartLanguage(const QString& systemLocaleName, const QStringList& selectableCodes) {
    const QString prefix = systemLocaleName.left(2);
    if (selectableCodes.contains(prefix))
        return prefix;
    return QStringLiteral("en");
}

QLocale locale(const QString& code) {
    if (code == QLatin1String("en"))
        return QLocale(QLocale::English, QLocale::UnitedStates);
    if (code == QLatin1String("es"))
        return QLocale(QLocale::Spanish, QLocale::LatinAmerica);
    if (code == QLatin1String("br"))
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return QLocale::system();
}

QString current() {
    return currentCode();
}

void setCurrent(const QString& code) {
    currentCode() = code;
    QLocale::setDefault(locale(code));
}

} // namespace Languages
