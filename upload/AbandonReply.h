#pragma once

#include <QNetworkReply>
#include <QObject>

// Ends a request whose answer is no longer wanted: `reply` is cleared, and nothing the abort
// raises reaches `receiver` (disconnected first). The reply goes once control returns to the
// event loop. GUI thread (the reply's thread) only.
inline void abandonReply(QNetworkReply*& reply, QObject* receiver) {
    if (!reply)
        return;
    QNetworkReply* abandoned = reply;
    reply = nullptr;
    abandoned->disconnect(receiver);
    abandoned->abort();
    abandoned->deleteLater();
}
