#pragma once
// What every fuzz target shares: a property that must hold for any input, and a private
// folder for targets whose parser reads files.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property is a finding like a crash: stop here, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A folder of the process's own, for targets whose parser reads files.
inline QString scratchFolder() {
    static QTemporaryDir dir;
    return dir.path();
}

// Makes the scratch folder empty again, so that no input sees what the one before left.
inline void clearScratch() {
    QDir dir(scratchFolder());
    dir.removeRecursively();
    QDir().mkpath(scratchFolder());
}

// No character that would end a line, ring, redraw or reorder text when the message is shown
// or logged.
inline bool isShowable(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\n'))
            return false;
        if (c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

} // namespace fuzz
