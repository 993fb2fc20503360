#pragma once

#include <QString>

// Code outside a QObject still translates its texts in the context of the class the user sees
// them through (the grabber, the encoder, the upload queue), so one catalogue entry serves
// every place that shows the same text. Each library translates in contexts of its own. A file
// declares its context once:
//     constexpr TranslationContext kTr{"Encoder"};
// and writes kTr.tr("...") where a QObject would write tr("...").
struct TranslationContext {
    const char* name;

    QString tr(const char* text) const;
};
