#pragma once

#include <QString>

class QFileDevice;

// What a failed system call means, said in our words in the interface language. The system's
// own text ("No such file or directory", from strerror or Qt's errorString()) is English on
// most desktops whatever language the user chose, and names the call's fault rather than the
// user's problem, so it is kept only as a detail after our words.
// Plain functions; any thread (translation lookups are thread-safe in Qt).
namespace SystemError {

// "the folder does not exist", "permission denied", "the disk is full" ... for an errno value.
QString phrase(int code);

// The system's own words for an errno value, untranslated.
QString systemText(int code);

// Our phrase followed by the system's words as a detail, for a sentence with one place for
// the reason: "... : the disk is full (details: No space left on device)".
QString describe(int code);

// The same for a file or save file whose last operation failed. Qt reports a system failure
// with the system's words for it (some of them translated by Qt's own catalogue); those words
// give back the errno value, else the kind of the failure says what went wrong.
QString phrase(const QFileDevice& file);
QString describe(const QFileDevice& file);

// `ours` with another component's words (Qt's, a library's) after it as a detail; `ours`
// alone when there are none.
QString withDetail(const QString& ours, const QString& detail);

} // namespace SystemError
