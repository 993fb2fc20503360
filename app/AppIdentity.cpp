#include "app/AppIdentity.h"

#include <QCoreApplication>

namespace AppIdentity {

void apply() {
    QCoreApplication::setApplicationName(QStringLiteral("Clipnest"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("clipnest.invalid"));
}

} // namespace AppIdentity
