#include "app/AppIdentity.h"

#include <QCoreApplication>

namespace AppIdentity {

void apply() {
    QCoreApplication::setApplicationName(QStringLiteral("Clipnest"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CLIPNEST_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("clipnest.invalid"));
}

} // namespace AppIdentity
