#include "tests/support/PrivateBus.h"

#include <QFile>

namespace {

// dbus-daemon prints its address as soon as it listens; a machine busy enough to take
// longer than this has a problem worth failing on.
constexpr int kStartTimeoutMs = 10000;

} // namespace

PrivateBus::~PrivateBus() {
    if (daemon_.state() == QProcess::NotRunning)
        return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000))
        daemon_.kill();
}

bool PrivateBus::start(QString* error) {
    QFile shared(QStringLiteral(CLIPNEST_PRIVATE_BUS_CONFIG));
    QFile config(dir_.filePath(QStringLiteral("bus.conf")));
    if (!dir_.isValid() || !shared.open(QIODevice::ReadOnly) ||
        !config.open(QIODevice::WriteOnly) ||
        config.write(shared.readAll().replace("@LISTEN@", "unix:dir=" + dir_.path().toUtf8())) <
            0) {
        *error = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    config.close();
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(kStartTimeoutMs)) {
        *error = QStringLiteral("dbus-daemon did not start: %1").arg(daemon_.errorString());
        return false;
    }
    if (!daemon_.canReadLine() && !daemon_.waitForReadyRead(kStartTimeoutMs)) {
        *error = QStringLiteral("dbus-daemon gave no address");
        return false;
    }
    address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        *error = QStringLiteral("dbus-daemon gave an empty address");
        return false;
    }
    return true;
}
