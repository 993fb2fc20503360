#pragma once

#include "widgets/ScreenEdge.h"

#include <QLatin1String>
#include <QPoint>
#include <QSettings>
#include <QString>

#include <cstdlib>
#include <optional>

// Every key of the program's settings file and the value it stands for when it is missing.
// Readers and writers of a key go through here, so that a key is spelled once and every
// reader agrees on its default.
namespace AppSettings {

// "host[:port]" or an http:// or https:// address of the upload service.
constexpr QLatin1String kServiceHost("Service host");
// The reference service that `make run` starts on loopback: nothing leaves the machine until
// the user names another service.
constexpr QLatin1String kDefaultServiceHost("127.0.0.1:8080");

// The access token of a service that wants one ("Authorization: Bearer <token>"); missing or
// blank: uploads carry no Authorization header.
constexpr QLatin1String kServiceToken("Service token");

// The desktop's restore token for the monitors the user last agreed to share through the
// screen-cast portal (Wayland), so that the desktop asks once; missing or stale: it asks.
constexpr QLatin1String kScreenShareToken("Screen sharing token");
// A token is a short identifier; anything much longer is not one the desktop gave.
constexpr int kMaxScreenShareTokenLength = 512;

// Code of the interface language ("en", "es", "br"); missing until the first start chose one.
constexpr QLatin1String kLanguage("Language");

// True until the first start has written the first-run defaults.
constexpr QLatin1String kFirstRun("first");
constexpr bool kDefaultFirstRun = true;

// Whether the floating record button is shown. The first start turns it on.
constexpr QLatin1String kShowSnapButton("Show snap button");
constexpr bool kDefaultShowSnapButton = false;

// Where the user last docked the record button: the screen edge ("left", "top", "right",
// "bottom") and the button's top-left corner there, in desktop coordinates. Missing or broken:
// the button starts at the right edge, as on the first start.
constexpr QLatin1String kSnapButtonEdge("Snap button edge");
constexpr QLatin1String kSnapButtonPosition("Snap button position");
// Farther out than any desktop of monitors reaches: a point beyond is taken for a broken value.
constexpr int kMaxSnapButtonCoordinate = 1 << 20;

// True once the user has heard that this desktop (Wayland) cannot keep the record button at a
// screen edge; the button's own setting is kept for X11.
constexpr QLatin1String kNoRecordButtonSaid("Record button unavailable said");

// Seconds counted down over the selected area before a recording starts; 0: none.
constexpr QLatin1String kCountdownSeconds("Countdown seconds");
constexpr int kDefaultCountdownSeconds = 0;
// Longer than anyone waits on purpose; a larger stored number is taken for a broken value.
constexpr int kMaxCountdownSeconds = 10;

// The key combinations that start a capture and stop a recording, as Qt's portable key text
// ("Print", "Ctrl+Alt+R"); an empty value means none. Missing or unreadable: the default.
constexpr QLatin1String kCaptureShortcut("Capture shortcut");
constexpr QLatin1String kDefaultCaptureShortcut("Print");
constexpr QLatin1String kStopShortcut("Stop recording shortcut");
constexpr QLatin1String kDefaultStopShortcut("");

// What "Record with sound" records: "microphone", "computer" (what the speakers play) or
// "both" mixed into one sound track. Missing or unknown: the microphone, as before there was
// a choice.
constexpr QLatin1String kSoundSource("Sound source");
constexpr QLatin1String kSoundSourceMicrophone("microphone");
constexpr QLatin1String kSoundSourceComputer("computer");
constexpr QLatin1String kSoundSourceBoth("both");

// The area last recorded, in pixels of the X screen, under a key of its own for each set of
// monitors ("Last area/<monitors>"), so that it is offered again only where it was chosen.
constexpr QLatin1String kLastAreaGroup("Last area");

// The upload history: an array of elements holding a date-time and a link.
constexpr QLatin1String kHistoryArray("History");
constexpr QLatin1String kHistoryDate("Date");
constexpr QLatin1String kHistoryUrl("Url");
constexpr QLatin1String kHistoryRecorded("Recorded");

// The service host as the user wrote it, or the default when the value is missing or blank.
inline QString serviceHost(const QSettings& settings) {
    const QString host = settings.value(kServiceHost).toString().trimmed();
    return host.isEmpty() ? QString(kDefaultServiceHost) : host;
}

// The service token with surrounding white space dropped; empty when there is none.
inline QString serviceToken(const QSettings& settings) {
    return settings.value(kServiceToken).toString().trimmed();
}

inline bool showSnapButton(const QSettings& settings) {
    return settings.value(kShowSnapButton, kDefaultShowSnapButton).toBool();
}

inline QString edgeName(Edge edge) {
    switch (edge) {
    case Edge::Left:
        return QStringLiteral("left");
    case Edge::Top:
        return QStringLiteral("top");
    case Edge::Right:
        return QStringLiteral("right");
    case Edge::Bottom:
        return QStringLiteral("bottom");
    }
    return QString();
}

inline std::optional<Edge> snapButtonEdge(const QSettings& settings) {
    const QString name = settings.value(kSnapButtonEdge).toString().trimmed().toLower();
    for (Edge edge : {Edge::Left, Edge::Top, Edge::Right, Edge::Bottom}) {
        if (name == edgeName(edge))
            return edge;
    }
    return std::nullopt;
}

// Only a point stored as one, within reach of any desktop.
inline std::optional<QPoint> snapButtonPosition(const QSettings& settings) {
    const QVariant value = settings.value(kSnapButtonPosition);
    if (value.typeId() != QMetaType::QPoint)
        return std::nullopt;
    const QPoint p = value.toPoint();
    if (std::abs(p.x()) > kMaxSnapButtonCoordinate || std::abs(p.y()) > kMaxSnapButtonCoordinate)
        return std::nullopt;
    return p;
}

inline void setSnapButtonDock(QSettings& settings, Edge edge, const QPoint& position) {
    settings.setValue(kSnapButtonEdge, edgeName(edge));
    settings.setValue(kSnapButtonPosition, position);
}

// The countdown's length; a value that is no whole number from 0 to the maximum gives the
// default.
inline int countdownSeconds(const QSettings& settings) {
    bool ok = false;
    const int seconds = settings.value(kCountdownSeconds, kDefaultCountdownSeconds).toInt(&ok);
    return ok && seconds >= 0 && seconds <= kMaxCountdownSeconds ? seconds
                                                                 : kDefaultCountdownSeconds;
}

// One of the three kSoundSource values.
inline QString soundSource(const QSettings& settings) {
    const QString value = settings.value(kSoundSource).toString().trimmed().toLower();
    if (value == kSoundSourceComputer || value == kSoundSourceBoth)
        return value;
    return QString(kSoundSourceMicrophone);
}

inline bool isFirstRun(const QSettings& settings) {
    return settings.value(kFirstRun, kDefaultFirstRun).toBool();
}

// Whether a recording is sent to the service while it is being made, so that the link is ready
// at Stop. Off unless the user turns it on: it sends the video before the user chose to.
constexpr QLatin1String kUploadWhileRecording("Upload while recording");
constexpr bool kDefaultUploadWhileRecording = false;

// The space, in MiB, that recordings kept by the program (not saved elsewhere by the user) may
// take; 0: no bound. Missing: no bound, so that nothing kept is ever let go unasked.
constexpr QLatin1String kKeptRecordingsLimitMiB("Kept recordings limit MiB");
constexpr int kDefaultKeptRecordingsLimitMiB = 0;

inline bool uploadWhileRecording(const QSettings& settings) {
    return settings.value(kUploadWhileRecording, kDefaultUploadWhileRecording).toBool();
}

// A value that is no whole number from 0 up gives the default.
inline int keptRecordingsLimitMiB(const QSettings& settings) {
    bool ok = false;
    const int mib =
        settings.value(kKeptRecordingsLimitMiB, kDefaultKeptRecordingsLimitMiB).toInt(&ok);
    return ok && mib >= 0 ? mib : kDefaultKeptRecordingsLimitMiB;
}

// The folder the Save dialog opens in; missing, or no longer a folder: the user's videos folder
// (SaveTarget::proposedFolder(), which reads it through SaveTarget::folderFor()).
constexpr QLatin1String kSaveFolder("Save folder");

} // namespace AppSettings
