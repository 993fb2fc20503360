#pragma once

#include "media/ScreenGrabber.h"
#include "platform/Platform.h"
#include "platform/wayland/CastLayout.h"
#include "platform/wayland/ScreenCastPortal.h"

#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSettings>

#include <memory>

namespace platform::wayland {

// The monitors as the desktop's screen-cast portal shares them, for one capture: opened when
// the overlay asks for the monitors' pictures, kept while the user selects and records, and
// closed at release(), so that the desktop's sharing indicator is on only while it must be.
// The user's answer to the desktop's dialog is kept as a restore token in the settings, so
// that the desktop asks once. The pictures are the first frame of each monitor's stream,
// taken on worker threads. GUI thread only.
class ScreenShare : public QObject, public ScreenPictures {
    Q_OBJECT
public:
    explicit ScreenShare(QObject* parent = nullptr);
    ~ScreenShare() override;

    void capture(const QList<QScreen*>& screens, Done done) override;
    void release() override;

    // What ScreenGrabber opens: the monitor and part of it that sourceArea() named.
    ScreenGrabber::SourceOpener opener() const;
    // An area of `screen`'s pixels as the opener takes it, empty when it cannot be recorded.
    QRect sourceArea(QScreen* screen, const QRect& pixels) const;

    // Where one shared monitor lies in the area the opener is given: streams side by side,
    // each from x = offset, so that one rectangle names a stream and a part of it.
    struct Slot {
        quint32 node = 0;
        int offset = 0;
        QSize pixels;
    };
    // What the opener reads; swapped whole on the GUI thread, read by the opener there too.
    struct Shared {
        QDBusUnixFileDescriptor remote;
        QList<Slot> streams;
    };

private:
    // Drops the cast's streams and any answer still to come.
    void forget();
    void onOpened();
    void onFailed(const QString& message);
    // A worker delivered the still picture of stream `stream` for `attempt`.
    void onStill(quint64 attempt, int stream, const QPixmap& picture, const QString& problem);
    void finishIfComplete();

    ScreenCastPortal portal_;
    QSettings settings_;
    QList<QPointer<QScreen>> screens_;
    Done done_;
    quint64 attempt_ = 0; // answers to an earlier capture are dropped
    std::unique_ptr<CastLayout> layout_;
    QList<QPixmap> pictures_; // per screen
    int awaited_ = 0;         // stills still to come
    std::shared_ptr<Shared> shared_;
};

} // namespace platform::wayland
