#include "core/Translate.h"

#include <QCoreApplication>

QString TranslationContext::tr(const char* text) const {
    return QCoreApplication::translate(name, text);
}
