#include "platform/wayland/CastStreams.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QVariantMap>

namespace platform::wayland {
namespace {

// A pair of D-Bus int32 (signature "(ii)"), as position and size come.
bool readPair(const QVariant& value, int* a, int* b) {
    if (!value.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("(ii)"))
        return false;
    arg.beginStructure();
    arg >> *a >> *b;
    arg.endStructure();
    return true;
}

CastStream readStream(quint32 node, const QVariantMap& properties) {
    CastStream stream;
    stream.node = node;
    int x = 0, y = 0;
    if (readPair(properties.value(QStringLiteral("position")), &x, &y)) {
        stream.hasPosition = true;
        stream.position = QPoint(x, y);
    }
    int w = 0, h = 0;
    if (readPair(properties.value(QStringLiteral("size")), &w, &h) && w > 0 && h > 0) {
        stream.hasSize = true;
        stream.size = QSize(w, h);
    }
    const QVariant type = properties.value(QStringLiteral("source_type"));
    if (type.metaType().id() == QMetaType::UInt)
        stream.sourceType = type.toUInt();
    const QVariant id = properties.value(QStringLiteral("id"));
    if (id.metaType().id() == QMetaType::QString)
        stream.id = id.toString();
    return stream;
}

} // namespace

QList<CastStream> readCastStreams(const QVariant& streams, QString* problem) {
    QList<CastStream> out;
    if (!streams.canConvert<QDBusArgument>()) {
        *problem = QStringLiteral("no list of streams");
        return out;
    }
    const QDBusArgument arg = streams.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("a(ua{sv})")) {
        *problem = QStringLiteral("streams of type %1").arg(arg.currentSignature());
        return out;
    }
    arg.beginArray();
    while (!arg.atEnd()) {
        quint32 node = 0;
        QVariantMap properties;
        arg.beginStructure();
        arg >> node >> properties;
        arg.endStructure();
        if (node == 0) {
            *problem = QStringLiteral("a stream without a node");
            continue;
        }
        out << readStream(node, properties);
    }
    arg.endArray();
    return out;
}

} // namespace platform::wayland
