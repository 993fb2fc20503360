#include "upload/ServiceProtocols.h"

#include "history/JsonFile.h"

#include <QDebug>
#include <QJsonObject>

namespace {
const char* const kResumable = "tus";
const char* const kMultipart = "multipart";
} // namespace

ServiceProtocols::ServiceProtocols(const QString& filePath)
    : path_(filePath) {}

ServiceProtocols::Protocol ServiceProtocols::lookup(const QString& serviceKey,
                                                    const QDateTime& now) const {
    if (serviceKey.isEmpty())
        return Protocol::Unknown;
    const QJsonObject entry =
        JsonFile::read(path_).object.value("services").toObject().value(serviceKey).toObject();
    const QString protocol = entry.value("protocol").toString();
    if (protocol == QLatin1String(kResumable))
        return Protocol::Resumable;
    if (protocol != QLatin1String(kMultipart))
        return Protocol::Unknown;
    const QDateTime asked = QDateTime::fromString(entry.value("asked").toString(), Qt::ISODate);
    if (!asked.isValid() || asked > now || asked.secsTo(now) > kMultipartRecheckSecs)
        return Protocol::Unknown;
    return Protocol::Multipart;
}

void ServiceProtocols::remember(const QString& serviceKey, Protocol protocol,
                                const QDateTime& now) {
    if (serviceKey.isEmpty())
        return;
    QJsonObject root = JsonFile::read(path_).object;
    QJsonObject services = root.value("services").toObject();
    if (protocol == Protocol::Unknown) {
        services.remove(serviceKey);
    } else {
        QJsonObject entry;
        entry.insert("protocol", protocol == Protocol::Resumable ? kResumable : kMultipart);
        entry.insert("asked", now.toUTC().toString(Qt::ISODate));
        services.insert(serviceKey, entry);
    }
    root.insert("services", services);
    const QString error = JsonFile::write(path_, root);
    if (!error.isEmpty())
        qWarning() << "Could not remember the upload protocol of" << serviceKey << ":" << error;
}

void ServiceProtocols::forget(const QString& serviceKey) {
    remember(serviceKey, Protocol::Unknown);
}
