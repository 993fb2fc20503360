#include "platform/wayland/ScreenShare.h"

#include "core/SystemError.h"
#include "core/Translate.h"
#include "media/engine/PipeWireSource.h"
#include "media/engine/PipeWireStill.h"
#include "settings/AppSettings.h"

#include <QDBusConnection>
#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <fcntl.h>

namespace platform::wayland {

namespace {

constexpr TranslationContext kTr{"ScreenSharing"};

// A desktop sends a stream's first frame as soon as it starts; one that sends frames only
// when something changes may send nothing on a still screen. The overlay then opens without
// a picture (the live desktop shows through it, dimmed) rather than keep the user waiting.
constexpr int kStillWaitMs = 1500;

// PipeWire takes the descriptor it is given; the portal's stays with the session.
int duplicate(const QDBusUnixFileDescriptor& remote, QString* errorText) {
    const int fd = remote.isValid() ? fcntl(remote.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
    if (fd < 0)
        *errorText = kTr.tr("Cannot use the screen-sharing connection (%1). Open the capture "
                            "again.")
                         .arg(SystemError::describe(remote.isValid() ? errno : EBADF));
    return fd;
}

struct Still {
    QImage image;
    QString problem;
};

// On a worker thread: the first picture of a stream, whole.
Still takeStill(int fd, quint32 node) {
    Still still;
    engine::StillPicture picture;
    GrabberErrors::Error code = GrabberErrors::NoError;
    if (!engine::takePipeWireStill(fd, node, kStillWaitMs, &picture, &code, &still.problem))
        return still;
    // BGR0 is Qt's 32-bit RGB in memory on the little-endian machines this runs on.
    const QImage view(picture.pixels.data(), picture.size.width(), picture.size.height(),
                      picture.stride, QImage::Format_RGB32);
    still.image = view.copy();
    return still;
}

} // namespace

ScreenShare::ScreenShare(QObject* parent)
    : QObject(parent)
    , portal_(QDBusConnection::sessionBus())
    , shared_(std::make_shared<Shared>()) {
    connect(&portal_, &ScreenCastPortal::opened, this, &ScreenShare::onOpened);
    connect(&portal_, &ScreenCastPortal::failed, this,
            [this](ScreenCastPortal::Failure, const QString& message) { onFailed(message); });
    // The user stopped sharing from the desktop's indicator: a recording under way reads no
    // more and says so; nothing is left to release.
    connect(&portal_, &ScreenCastPortal::closedByDesktop, this, [this] { *shared_ = Shared(); });
}

ScreenShare::~ScreenShare() = default;

void ScreenShare::forget() {
    ++attempt_;
    done_ = nullptr;
    layout_.reset();
    awaited_ = 0;
    *shared_ = Shared();
}

void ScreenShare::capture(const QList<QScreen*>& screens, Done done) {
    forget();
    done_ = std::move(done);
    screens_.clear();
    for (QScreen* screen : screens)
        screens_.append(screen);
    pictures_ = QList<QPixmap>(screens.size());
    ScreenCastPortal::Options options;
    options.restoreToken = settings_.value(AppSettings::kScreenShareToken)
                               .toString()
                               .trimmed()
                               .left(AppSettings::kMaxScreenShareTokenLength);
    portal_.open(options);
}

void ScreenShare::release() {
    forget();
    portal_.close();
}

void ScreenShare::onFailed(const QString& message) {
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done({}, message);
}

void ScreenShare::onOpened() {
    const ScreenCastPortal::Cast& cast = portal_.cast();
    if (!cast.restoreToken.isEmpty() &&
        settings_.value(AppSettings::kScreenShareToken).toString() != cast.restoreToken)
        settings_.setValue(AppSettings::kScreenShareToken, cast.restoreToken);
    QList<CastLayout::Monitor> monitors;
    for (const QPointer<QScreen>& screen : std::as_const(screens_)) {
        CastLayout::Monitor monitor;
        if (screen) {
            monitor.geometry = screen->geometry();
            monitor.pixels =
                (QSizeF(monitor.geometry.size()) * screen->devicePixelRatio()).toSize();
        }
        monitors.append(monitor);
    }
    layout_ = std::make_unique<CastLayout>(monitors, cast.streams);
    shared_->remote = cast.remote;
    for (int k = 0; k < cast.streams.size(); ++k)
        shared_->streams.append(Slot{cast.streams[k].node, 0, QSize()});
    const quint64 attempt = attempt_;
    for (int k = 0; k < cast.streams.size(); ++k) {
        QString problem;
        const int fd = duplicate(cast.remote, &problem);
        if (fd < 0) {
            onFailed(problem);
            return;
        }
        ++awaited_;
        auto* watcher = new QFutureWatcher<Still>(this);
        connect(watcher, &QFutureWatcher<Still>::finished, this, [this, watcher, attempt, k] {
            watcher->deleteLater();
            const Still still = watcher->result();
            onStill(attempt, k, QPixmap::fromImage(still.image), still.problem);
        });
        watcher->setFuture(QtConcurrent::run(takeStill, fd, cast.streams[k].node));
    }
    finishIfComplete();
}

void ScreenShare::onStill(quint64 attempt, int stream, const QPixmap& picture,
                          const QString& problem) {
    if (attempt != attempt_ || !layout_)
        return;
    --awaited_;
    if (!problem.isEmpty())
        qWarning("No picture of shared monitor %d for the overlay: %s", stream,
                 qPrintable(problem));
    if (!picture.isNull()) {
        layout_->setStreamPixels(stream, picture.size());
        const int monitor = layout_->monitorOf(stream);
        if (monitor >= 0 && monitor < pictures_.size())
            pictures_[monitor] = picture;
    }
    finishIfComplete();
}

void ScreenShare::finishIfComplete() {
    if (awaited_ > 0 || !layout_ || !done_)
        return;
    // The streams' sizes are now the pictures' where a picture came, the guess otherwise.
    int offset = 0;
    for (int k = 0; k < shared_->streams.size(); ++k) {
        const int monitor = layout_->monitorOf(k);
        const QSize pixels = monitor >= 0 ? layout_->matches()[monitor].pixels : QSize();
        shared_->streams[k].offset = offset;
        shared_->streams[k].pixels = pixels;
        offset += std::max(0, pixels.width());
    }
    Done done = std::move(done_);
    done_ = nullptr;
    bool shown = false;
    for (const CastLayout::Match& match : layout_->matches())
        shown = shown || match.stream >= 0;
    if (!shown) {
        done({}, kTr.tr("The desktop shared no monitor this program can show. Try again, and "
                        "choose a whole monitor."));
        return;
    }
    done(pictures_, QString());
}

QRect ScreenShare::sourceArea(QScreen* screen, const QRect& pixels) const {
    const int monitor = screen ? int(screens_.indexOf(screen)) : -1;
    if (!layout_ || monitor < 0 || monitor >= layout_->matches().size())
        return QRect();
    const int stream = layout_->matches()[monitor].stream;
    if (stream < 0 || stream >= shared_->streams.size())
        return QRect();
    const Slot& slot = shared_->streams[stream];
    if (!QRect(QPoint(0, 0), slot.pixels).contains(pixels))
        return QRect();
    return pixels.translated(slot.offset, 0);
}

ScreenGrabber::SourceOpener ScreenShare::opener() const {
    const std::shared_ptr<const Shared> shared = shared_;
    return [shared](const QRect& rect, const ScreenGrabber::PointerOptions& pointer,
                    ScreenGrabber::Error* code,
                    QString* errorText) -> std::unique_ptr<engine::ImageSource> {
        for (const Slot& slot : shared->streams) {
            if (rect.x() < slot.offset || rect.x() >= slot.offset + slot.pixels.width())
                continue;
            const int fd = duplicate(shared->remote, errorText);
            if (fd < 0) {
                *code = ScreenGrabber::DeviceOpenError;
                return nullptr;
            }
            engine::PipeWireSourceOptions options;
            options.pointer = pointer.draw;
            return engine::openPipeWireSource(fd, slot.node, rect.translated(-slot.offset, 0),
                                              options, code, errorText);
        }
        *code = ScreenGrabber::DeviceOpenError;
        *errorText = kTr.tr("The screen is no longer shared with this program. Open the capture "
                            "again and let the desktop share it.");
        return nullptr;
    };
}

} // namespace platform::wayland
