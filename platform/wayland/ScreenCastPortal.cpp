#include "platform/wayland/ScreenCastPortal.h"

#include "core/Translate.h"
#include "platform/wayland/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace platform::wayland {
namespace {

constexpr TranslationContext kTr{"ScreenSharing"};

const char kService[] = "org.freedesktop.portal.Desktop";
const char kPath[] = "/org/freedesktop/portal/desktop";
const char kScreenCast[] = "org.freedesktop.portal.ScreenCast";
const char kSession[] = "org.freedesktop.portal.Session";

// A portal method call (not the user's answer, which may take as long as the user likes)
// that has not returned in this long is taken as a hung portal: long enough for a busy
// desktop to start the portal on demand.
constexpr int kCallTimeoutMs = 15000;

// Bits of AvailableSourceTypes and AvailableCursorModes, and the persist mode that keeps a
// choice until the user revokes it, as the portal documentation numbers them.
constexpr uint kMonitor = 1;
constexpr uint kCursorEmbedded = 2;
constexpr uint kCursorMetadata = 4;
constexpr uint kPersistUntilRevoked = 2;
// Restore tokens and persist modes came with version 4 of the interface.
constexpr uint kRestoreVersion = 4;

QString cancelledText() {
    return kTr.tr("Screen sharing was cancelled, so there is nothing to record.");
}

QString unavailableText(const QString& why) {
    return kTr
        .tr("This desktop offers no screen sharing to programs (%1). Install "
            "xdg-desktop-portal and the portal package for your desktop, then try again.")
        .arg(why);
}

} // namespace

ScreenCastPortal::ScreenCastPortal(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus) {}

ScreenCastPortal::~ScreenCastPortal() {
    close();
}

void ScreenCastPortal::open(const Options& options) {
    close();
    options_ = options;
    retried_ = false;
    readProperties();
}

void ScreenCastPortal::close() {
    ++attempt_;
    delete pending_;
    if (!session_.isEmpty()) {
        bus_.disconnect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed()));
        // Nobody waits for the answer: the session is gone for us either way.
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
        session_.clear();
    }
    open_ = false;
    cast_ = Cast();
}

void ScreenCastPortal::readProperties() {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath,
                                                       "org.freedesktop.DBus.Properties", "GetAll");
    call << QString::fromLatin1(kScreenCast);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    const quint64 attempt = attempt_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, attempt] {
        watcher->deleteLater();
        if (attempt != attempt_)
            return;
        QDBusPendingReply<QVariantMap> reply = *watcher;
        if (reply.isError())
            return fail(Failure::Unavailable, unavailableText(reply.error().message()));
        const QVariantMap properties = reply.value();
        version_ = properties.value("version").toUInt();
        cursorModes_ = properties.value("AvailableCursorModes").toUInt();
        if (!(properties.value("AvailableSourceTypes").toUInt() & kMonitor))
            return fail(Failure::Unavailable,
                        unavailableText(kTr.tr("it cannot share whole monitors")));
        createSession();
    });
}

void ScreenCastPortal::createSession() {
    QVariantMap options;
    options.insert("session_handle_token", PortalRequest::newToken("clipnest_session"));
    ask("CreateSession", {}, options, [this](const QVariantMap& results) {
        session_ = results.value("session_handle").toString();
        if (session_.isEmpty())
            return fail(Failure::Refused,
                        kTr.tr("The desktop's screen sharing made no session. Try again."));
        bus_.connect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed()));
        selectSources();
    });
}

void ScreenCastPortal::selectSources() {
    QVariantMap options;
    options.insert("types", kMonitor);
    options.insert("multiple", true);
    cast_.pointerAsMetadata = options_.pointerAsMetadata && (cursorModes_ & kCursorMetadata);
    if (cast_.pointerAsMetadata)
        options.insert("cursor_mode", kCursorMetadata);
    else if (cursorModes_ & kCursorEmbedded)
        options.insert("cursor_mode", kCursorEmbedded);
    if (version_ >= kRestoreVersion) {
        options.insert("persist_mode", kPersistUntilRevoked);
        if (!options_.restoreToken.isEmpty())
            options.insert("restore_token", options_.restoreToken);
    }
    ask("SelectSources", {QVariant::fromValue(QDBusObjectPath(session_))}, options,
        [this](const QVariantMap&) { start(); });
}

void ScreenCastPortal::start() {
    ask("Start", {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {},
        [this](const QVariantMap& results) {
            QString problem;
            cast_.streams = readCastStreams(results.value("streams"), &problem);
            if (!problem.isEmpty())
                qWarning("The screen-cast portal's streams: %s", qPrintable(problem));
            if (cast_.streams.isEmpty())
                return fail(Failure::Refused, kTr.tr("The desktop shared no monitor. Try again."));
            const QVariant token = results.value("restore_token");
            cast_.restoreToken =
                token.metaType().id() == QMetaType::QString ? token.toString() : QString();
            openRemote();
        });
}

void ScreenCastPortal::openRemote() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kScreenCast, "OpenPipeWireRemote");
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    const quint64 attempt = attempt_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, attempt] {
        watcher->deleteLater();
        if (attempt != attempt_ || callFailed(watcher, "OpenPipeWireRemote"))
            return;
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        cast_.remote = reply.value();
        if (!cast_.remote.isValid())
            return fail(Failure::Refused,
                        kTr.tr("The desktop's screen sharing gave no connection to the "
                               "screen. Try again."));
        open_ = true;
        emit opened();
    });
}

void ScreenCastPortal::ask(const QString& method, QList<QVariant> args, QVariantMap options,
                           Answer answer) {
    delete pending_;
    auto* request = new PortalRequest(bus_, this);
    pending_ = request;
    step_ = method;
    if (!request->listening())
        return fail(Failure::Unavailable, unavailableText(kTr.tr("no session bus")));
    connect(request, &PortalRequest::answered, this,
            [this, answer](uint response, const QVariantMap& results) {
                onAnswer(response, results, answer);
            });
    options.insert("handle_token", request->token());
    args << options;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    const quint64 attempt = attempt_;
    const QByteArray step = method.toLatin1();
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, attempt, step] {
        watcher->deleteLater();
        if (attempt == attempt_)
            callFailed(watcher, step.constData());
    });
}

void ScreenCastPortal::onAnswer(uint response, const QVariantMap& results, const Answer& answer) {
    pending_->deleteLater();
    pending_ = nullptr;
    if (response == uint(PortalRequest::Response::Accepted))
        return answer(results);
    if (response == uint(PortalRequest::Response::Cancelled))
        return fail(Failure::Cancelled, cancelledText());
    if (retryWithoutToken())
        return;
    fail(Failure::Refused, kTr.tr("The desktop did not share the screen. Try again, and "
                                  "allow sharing when the desktop asks."));
}

bool ScreenCastPortal::retryWithoutToken() {
    // A remembered choice the desktop can no longer honour (a monitor unplugged, the
    // permission revoked, a token it does not know) ends the request, or the call; asking
    // the user afresh is what they expect.
    if (options_.restoreToken.isEmpty() || retried_)
        return false;
    retried_ = true;
    options_.restoreToken.clear();
    close();
    readProperties();
    return true;
}

bool ScreenCastPortal::callFailed(QDBusPendingCallWatcher* watcher, const char* step) {
    if (!watcher->isError())
        return false;
    if (qstrcmp(step, "SelectSources") == 0 && retryWithoutToken())
        return true;
    const QDBusError error = watcher->error();
    const Failure failure =
        error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::UnknownInterface
            ? Failure::Unavailable
            : Failure::Refused;
    const QString why = QStringLiteral("%1: %2").arg(QLatin1String(step), error.message());
    fail(failure, failure == Failure::Unavailable
                      ? unavailableText(why)
                      : kTr.tr("The desktop's screen sharing failed (%1). Try again.").arg(why));
    return true;
}

void ScreenCastPortal::fail(Failure failure, const QString& message) {
    close();
    emit failed(failure, message);
}

void ScreenCastPortal::onSessionClosed() {
    // The portal and its backend may both announce the end, and a signal already queued
    // still arrives after close(): only the first one for a live session counts.
    if (session_.isEmpty())
        return;
    const bool wasOpen = open_;
    // Already gone on the desktop's side: nothing to ask it to close.
    bus_.disconnect(kService, session_, kSession, "Closed", this, SLOT(onSessionClosed()));
    session_.clear();
    if (wasOpen) {
        close();
        emit closedByDesktop();
    } else if (pending_ && (step_ == "SelectSources" || step_ == "Start")) {
        // Some desktops answer a closed dialog by ending the whole session.
        fail(Failure::Cancelled, cancelledText());
    } else {
        fail(Failure::Refused, kTr.tr("The desktop ended screen sharing before it began. Try "
                                      "again."));
    }
}

} // namespace platform::wayland
