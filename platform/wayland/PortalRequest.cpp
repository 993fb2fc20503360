#include "platform/wayland/PortalRequest.h"

#include <QAtomicInt>
#include <QCoreApplication>

namespace platform::wayland {
namespace {

const char kDesktopService[] = "org.freedesktop.portal.Desktop";
const char kRequestInterface[] = "org.freedesktop.portal.Request";

} // namespace

PortalRequest::PortalRequest(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
    , token_(newToken("clipnest"))
    , path_(requestPath(bus.baseService(), token_)) {
    listening_ =
        bus_.isConnected() && bus_.connect(kDesktopService, path_, kRequestInterface, "Response",
                                           this, SLOT(onResponse(uint, QVariantMap)));
}

PortalRequest::~PortalRequest() {
    if (listening_)
        bus_.disconnect(kDesktopService, path_, kRequestInterface, "Response", this,
                        SLOT(onResponse(uint, QVariantMap)));
}

QString PortalRequest::newToken(const char* prefix) {
    static QAtomicInt counter;
    return QStringLiteral("%1_%2_%3")
        .arg(QString::fromLatin1(prefix))
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1) + 1);
}

QString PortalRequest::requestPath(const QString& uniqueName, const QString& token) {
    // ":1.42" becomes "1_42", as the portal documentation says.
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void PortalRequest::onResponse(uint response, const QVariantMap& results) {
    emit answered(response, results);
}

} // namespace platform::wayland
