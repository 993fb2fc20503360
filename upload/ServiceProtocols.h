#pragma once

#include <QDateTime>
#include <QString>

// Which upload protocol each service speaks, as found out by asking it, kept in a small JSON
// file beside the recordings' index so the question is not asked before every upload. A damaged
// or missing file only means asking again.
//
// GUI thread only.
class ServiceProtocols {
public:
    enum class Protocol { Unknown, Resumable, Multipart };

    // A service found to speak only multipart is asked again after this long: services are
    // upgraded, and one question a day costs nothing.
    static constexpr qint64 kMultipartRecheckSecs = 24 * 3600;

    explicit ServiceProtocols(const QString& filePath);

    // What `serviceKey` (TusAnswer::serviceKey) was found to speak; Unknown when never asked,
    // forgotten, or a "multipart only" answer is older than kMultipartRecheckSecs at `now`.
    Protocol lookup(const QString& serviceKey,
                    const QDateTime& now = QDateTime::currentDateTimeUtc()) const;
    // Remembers the answer (written at once; an unwritable file is only logged: the cost is a
    // question more).
    void remember(const QString& serviceKey, Protocol protocol,
                  const QDateTime& now = QDateTime::currentDateTimeUtc());
    void forget(const QString& serviceKey);

    QString filePath() const { return path_; }

private:
    QString path_;
};
