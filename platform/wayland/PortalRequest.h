#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace platform::wayland {

// One request to a desktop portal that answers later, through a Response signal on a
// Request object. The object's path is known before the call (it is made of our bus name
// and a token of ours), so the answer is listened for before the call goes out and cannot
// slip past. GUI thread only.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    // What the portal's response code means.
    enum class Response { Accepted = 0, Cancelled = 1, Ended = 2 };

    PortalRequest(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalRequest() override;

    // The token to send as "handle_token" in the call's options.
    QString token() const { return token_; }
    // The Request object's path for that token.
    QString path() const { return path_; }
    // Whether the answer can be heard (the bus is connected and took the subscription).
    bool listening() const { return listening_; }

    // A token that no other request or session of this process uses.
    static QString newToken(const char* prefix);
    // The path a portal gives the Request object for `token` asked by `uniqueName`.
    static QString requestPath(const QString& uniqueName, const QString& token);

signals:
    // The portal's answer: `response` as it sent it (see Response), `results` its details.
    void answered(uint response, const QVariantMap& results);

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    QDBusConnection bus_;
    QString token_;
    QString path_;
    bool listening_ = false;
};

} // namespace platform::wayland
