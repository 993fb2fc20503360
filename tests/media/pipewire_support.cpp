#include "pipewire_support.h"

#include <QFile>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

std::vector<uint8_t> testPattern(int width, int height, uint8_t seed) {
    std::vector<uint8_t> p(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            px[0] = uint8_t(seed + x);
            px[1] = uint8_t(y * 3 + seed);
            px[2] = uint8_t(x ^ y);
            px[3] = 0xff;
        }
    return p;
}

std::vector<uint8_t> bgr0Area(const std::vector<uint8_t>& pixels, int width, const QRect& area) {
    std::vector<uint8_t> out(size_t(area.width()) * size_t(area.height()) * 4);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const uint8_t* src =
                pixels.data() + (size_t(area.y() + y) * size_t(width) + size_t(area.x() + x)) * 4;
            uint8_t* dst = out.data() + (size_t(y) * size_t(area.width()) + size_t(x)) * 4;
            std::memcpy(dst, src, 3);
            dst[3] = 0;
        }
    return out;
}

PrivatePipeWire::~PrivatePipeWire() {
    for (QProcess* p : {&manager_, &server_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

bool PrivatePipeWire::startProcess(QProcess& process, const QString& program,
                                   const QStringList& arguments, QString* why) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (process.waitForStarted(kPipeWireReadyMs))
        return true;
    *why = program + ": " + process.errorString();
    return false;
}

bool PrivatePipeWire::start(QString* why) {
    if (!runtime_.isValid()) {
        *why = "no temporary folder";
        return false;
    }
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    qunsetenv("PIPEWIRE_RUNTIME_DIR");
    qunsetenv("PIPEWIRE_REMOTE");
    // WirePlumber will not run without a session bus.
    if (!bus_.start(why))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.address().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    server_.setProcessEnvironment(env);
    manager_.setProcessEnvironment(env);
    if (!startProcess(server_, "pipewire", {}, why))
        return false;
    if (!QTest::qWaitFor(
            [this] {
                const int fd = connectSocket();
                if (fd >= 0)
                    ::close(fd);
                return fd >= 0;
            },
            kPipeWireReadyMs)) {
        *why = "pipewire takes no connections";
        return false;
    }
    return startProcess(manager_, "wireplumber", {}, why);
}

int PrivatePipeWire::connectSocket() const {
    const QByteArray path = (runtime_.path() + "/pipewire-0").toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
