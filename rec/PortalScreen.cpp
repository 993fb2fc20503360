#include "rec/PortalScreen.h"

#include "media/engine/PipeWireSource.h"
#include "platform/wayland/CastLayout.h"

#include <QDBusConnection>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>

#include <fcntl.h>

// A restore token is a short identifier; a file much larger than this is not one of ours.
constexpr qint64 kMaxTokenBytes = 4096;

PortalScreen::PortalScreen(const QString& tokenFile, QObject* parent)
    : QObject(parent)
    , portal_(QDBusConnection::sessionBus())
    , tokenFile_(tokenFile) {
    connect(&portal_, &platform::wayland::ScreenCastPortal::opened, this, [this] {
        keepToken();
        emit opened();
    });
    connect(&portal_, &platform::wayland::ScreenCastPortal::failed, this,
            [this](platform::wayland::ScreenCastPortal::Failure, const QString& message) {
                emit failed(message);
            });
}

void PortalScreen::open() {
    platform::wayland::ScreenCastPortal::Options options;
    QFile file(tokenFile_);
    if (!tokenFile_.isEmpty() && file.open(QIODevice::ReadOnly))
        options.restoreToken = QString::fromUtf8(file.read(kMaxTokenBytes)).trimmed();
    portal_.open(options);
}

void PortalScreen::keepToken() {
    const QString token = portal_.cast().restoreToken;
    if (tokenFile_.isEmpty() || token.isEmpty())
        return;
    QSaveFile file(tokenFile_);
    if (!file.open(QIODevice::WriteOnly) || file.write(token.toUtf8() + '\n') < 0 || !file.commit())
        qWarning("Cannot keep the screen-sharing token in %s: %s", qPrintable(tokenFile_),
                 qPrintable(file.errorString()));
}

bool PortalScreen::outputExists(const QString& name, QStringList* names) {
    bool found = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        *names << screen->name();
        found = found || screen->name() == name;
    }
    return found;
}

QString PortalScreen::chooseOutput(const QString& name) {
    using platform::wayland::CastLayout;
    QList<CastLayout::Monitor> monitors;
    int wanted = -1;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            wanted = int(monitors.size());
        monitors.append(
            {screen->geometry(),
             (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize()});
    }
    const platform::wayland::ScreenCastPortal::Cast& cast = portal_.cast();
    const CastLayout layout(monitors, cast.streams);
    const int stream = wanted < 0 ? -1 : layout.matches()[wanted].stream;
    if (stream < 0)
        return QStringLiteral("The desktop did not share %1. Choose it when the desktop asks "
                              "which screen to share (with --token, remove the token file to "
                              "be asked again).")
            .arg(name);
    node_ = cast.streams[stream].node;
    return QString();
}

ScreenGrabber::SourceOpener PortalScreen::opener() const {
    const platform::wayland::ScreenCastPortal::Cast& cast = portal_.cast();
    const QDBusUnixFileDescriptor remote = cast.remote;
    // The monitor asked for by name, else the first shared: the desktop's dialog is where
    // the user picks what is shared.
    const uint32_t node = node_ != 0               ? node_
                          : cast.streams.isEmpty() ? 0
                                                   : cast.streams.first().node;
    return [remote, node](const QRect& rect, const ScreenGrabber::PointerOptions& pointer,
                          ScreenGrabber::Error* code, QString* errorText) {
        // The PipeWire connection takes the descriptor it is given; the portal's stays ours.
        const int fd = fcntl(remote.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
        if (fd < 0) {
            *code = ScreenGrabber::DeviceOpenError;
            *errorText = QStringLiteral("Cannot use the screen-sharing connection: %1")
                             .arg(QString::fromLocal8Bit(strerror(errno)));
            return std::unique_ptr<engine::ImageSource>();
        }
        engine::PipeWireSourceOptions options;
        options.pointer = pointer.draw;
        return engine::openPipeWireSource(fd, node, rect, options, code, errorText);
    };
}
