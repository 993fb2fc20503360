#include "platform/wayland/ShortcutsPortal.h"

#include "core/Translate.h"
#include "platform/wayland/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <QtDebug>

namespace platform::wayland::detail {

// One entry of the portal's a(sa{sv}) lists of shortcuts.
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& arg, const ShortcutEntry& e) {
    arg.beginStructure();
    arg << e.id << e.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ShortcutEntry& e) {
    arg.beginStructure();
    arg >> e.id >> e.properties;
    arg.endStructure();
    return arg;
}

} // namespace platform::wayland::detail

Q_DECLARE_METATYPE(platform::wayland::detail::ShortcutEntry)

namespace platform::wayland {
namespace {

using detail::ShortcutEntry;

constexpr TranslationContext kTr{"GlobalShortcuts"};

const char kService[] = "org.freedesktop.portal.Desktop";
const char kPath[] = "/org/freedesktop/portal/desktop";
const char kShortcuts[] = "org.freedesktop.portal.GlobalShortcuts";
const char kSession[] = "org.freedesktop.portal.Session";

// As for the screen-cast portal: a call (not the user's answer) not back in this long is a
// hung portal, with room for a busy desktop to start the portal on demand.
constexpr int kCallTimeoutMs = 15000;

// Names of keys as the portal's triggers spell them (the keyboard's own key names), for the
// keys beyond letters, digits and F-keys that someone would choose.
struct KeyName {
    int key;
    const char* name;
};
constexpr KeyName kKeyNames[] = {
    {Qt::Key_Print, "Print"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_ScrollLock, "Scroll_Lock"},
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_PageUp, "Prior"},
    {Qt::Key_PageDown, "Next"},
    {Qt::Key_Space, "space"},
    {Qt::Key_Escape, "Escape"},
    {Qt::Key_Return, "Return"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Backspace, "BackSpace"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Down, "Down"},
};

QString keyName(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(key)).toLower();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QString(QChar(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.key == key)
            return QString::fromLatin1(k.name);
    return QString();
}

QString tryAgainText() {
    return kTr.tr("Choose them again under \"Keyboard shortcuts...\" in the tray menu, or bind "
                  "clipnest --capture and clipnest --stop in the desktop's keyboard settings.");
}

// A combination held through the portal: the program says which it prefers, the desktop
// decides and reports presses.
class PortalShortcut : public GlobalShortcut {
public:
    PortalShortcut(ShortcutsPortal* portal, const QString& id, QObject* parent)
        : GlobalShortcut(parent)
        , portal_(portal)
        , id_(id) {
        connect(portal, &ShortcutsPortal::activated, this, [this](const QString& which) {
            if (which == id_ && !suspended_)
                emit pressed();
        });
        connect(portal, &ShortcutsPortal::failed, this, &GlobalShortcut::refused);
        connect(portal, &ShortcutsPortal::stateChanged, this,
                &GlobalShortcut::keptByDesktopChanged);
    }

    Result take(const QKeySequence& combination) override {
        if (keptByDesktop())
            return combination.isEmpty() ? Result::Taken : Result::KeptByDesktop;
        wanted_ = combination;
        if (portal_)
            portal_->prefer(id_, combination);
        return Result::Taken;
    }
    QKeySequence combination() const override { return keptByDesktop() ? QKeySequence() : wanted_; }
    bool keptByDesktop() const override {
        return !portal_ || portal_->state() == ShortcutsPortal::State::Absent;
    }
    // The desktop holds the keys, not this program: while the dialog is open a press is
    // only not acted on.
    void setSuspended(bool suspended) override { suspended_ = suspended; }

private:
    QPointer<ShortcutsPortal> portal_;
    QString id_;
    QKeySequence wanted_;
    bool suspended_ = false;
};

} // namespace

ShortcutsPortal::ShortcutsPortal(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus) {
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    if (bus_.isConnected())
        // The whole message: a slot of typed arguments cannot be connected before Qt has met
        // each D-Bus type once.
        bus_.connect(kService, kPath, kShortcuts, "Activated", this,
                     SLOT(onActivated(QDBusMessage)));
    readVersion();
}

ShortcutsPortal::~ShortcutsPortal() {
    closeSession();
}

GlobalShortcut* ShortcutsPortal::createShortcut(const QString& id, QObject* parent) {
    return new PortalShortcut(this, id, parent);
}

QString ShortcutsPortal::triggerOf(const QKeySequence& combination) {
    if (combination.isEmpty())
        return QString();
    const QKeyCombination first = combination[0];
    const QString key = keyName(first.key());
    if (key.isEmpty())
        return QString();
    QStringList parts;
    const Qt::KeyboardModifiers mods = first.keyboardModifiers();
    if (mods & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (mods & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (mods & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (mods & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

void ShortcutsPortal::readVersion() {
    if (!bus_.isConnected())
        return setState(State::Absent);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    call << QString::fromLatin1(kShortcuts) << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *watcher;
        // No portal, or one without this interface (xdg-desktop-portal before 1.18).
        const bool present = !reply.isError() && reply.value().variant().toUInt() >= 1;
        if (!present)
            qDebug().noquote() << "No global-shortcuts portal:" << reply.error().message();
        setState(present ? State::Present : State::Absent);
        if (present && !preferred_.isEmpty())
            scheduleBind();
    });
}

void ShortcutsPortal::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}

void ShortcutsPortal::prefer(const QString& id, const QKeySequence& combination) {
    preferred_.insert(id, combination);
    if (state_ == State::Present)
        scheduleBind();
}

void ShortcutsPortal::scheduleBind() {
    // Both shortcuts change together at start and from the dialog: one question to the
    // desktop, not two.
    if (bindQueued_)
        return;
    bindQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bindQueued_ = false;
        bind();
    });
}

void ShortcutsPortal::bind() {
    // A session's shortcuts are bound once; new preferences take a new session.
    closeSession();
    triggers_.clear();
    bool any = false;
    for (const QKeySequence& combination : preferred_)
        any = any || !combination.isEmpty();
    if (!any)
        return;
    QVariantMap options;
    options.insert("session_handle_token", PortalRequest::newToken("clipnest_keys"));
    PortalRequest* asked = request("CreateSession", {}, options);
    if (!asked)
        return;
    connect(asked, &PortalRequest::answered, this,
            [this, asked](uint response, const QVariantMap& results) {
                settle(asked);
                const QString session = results.value("session_handle").toString();
                if (response != uint(PortalRequest::Response::Accepted) || session.isEmpty())
                    return emit failed(kTr.tr("The desktop made no place for the program's key "
                                              "combinations. %1")
                                           .arg(tryAgainText()));
                session_ = session;
                bindIn(session);
            });
}

void ShortcutsPortal::bindIn(const QString& session) {
    QList<ShortcutEntry> entries;
    for (auto it = preferred_.cbegin(); it != preferred_.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        ShortcutEntry entry{it.key(), {{"description", description(it.key())}}};
        const QString trigger = triggerOf(it.value());
        if (!trigger.isEmpty())
            entry.properties.insert("preferred_trigger", trigger);
        entries << entry;
    }
    PortalRequest* asked = request(
        "BindShortcuts",
        {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(entries), QString()},
        {});
    if (asked)
        connect(asked, &PortalRequest::answered, this, &ShortcutsPortal::onBound);
}

void ShortcutsPortal::onBound(uint response, const QVariantMap& results) {
    settle(qobject_cast<PortalRequest*>(sender()));
    if (response == uint(PortalRequest::Response::Cancelled)) {
        closeSession();
        return emit failed(
            kTr.tr("The desktop's question about key combinations was closed, so none are "
                   "bound. %1")
                .arg(tryAgainText()));
    }
    if (response != uint(PortalRequest::Response::Accepted)) {
        closeSession();
        return emit failed(
            kTr.tr("The desktop did not bind the key combinations. %1").arg(tryAgainText()));
    }
    // What the desktop reports is only shown: an answer of another shape binds nothing less.
    const QVariant listed = results.value("shortcuts");
    if (listed.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = listed.value<QDBusArgument>();
        if (arg.currentSignature() == QLatin1String("a(sa{sv})")) {
            for (const ShortcutEntry& e : qdbus_cast<QList<ShortcutEntry>>(arg))
                triggers_.insert(e.id, e.properties.value("trigger_description").toString());
        }
    }
    emit bound();
}

PortalRequest* ShortcutsPortal::request(const QString& method, QList<QVariant> args,
                                        QVariantMap options) {
    delete pending_;
    auto* asked = new PortalRequest(bus_, this);
    pending_ = asked;
    if (!asked->listening()) {
        delete asked;
        emit failed(
            kTr.tr("The desktop's key combinations cannot be reached. %1").arg(tryAgainText()));
        return nullptr;
    }
    options.insert("handle_token", asked->token());
    args << options;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kShortcuts, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, asked = QPointer<PortalRequest>(asked), method] {
                watcher->deleteLater();
                if (!watcher->isError() || !asked || asked != pending_)
                    return;
                delete asked;
                emit failed(kTr.tr("The desktop's key combinations failed (%1: %2). %3")
                                .arg(method, watcher->error().message(), tryAgainText()));
            });
    return asked;
}

void ShortcutsPortal::settle(PortalRequest* answered) {
    // It is still sending its answer: it goes once that is done, and is no longer pending.
    if (!answered)
        return;
    answered->deleteLater();
    if (pending_ == answered)
        pending_ = nullptr;
}

void ShortcutsPortal::closeSession() {
    delete pending_;
    if (session_.isEmpty())
        return;
    // Nobody waits for the answer: the session is gone for us either way.
    bus_.asyncCall(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
    session_.clear();
}

void ShortcutsPortal::onActivated(const QDBusMessage& message) {
    // (o session, s id, t time, a{sv} options); a message of another shape is no press.
    const QList<QVariant> args = message.arguments();
    if (session_.isEmpty() || args.size() < 2 || !args[0].canConvert<QDBusObjectPath>())
        return;
    if (args[0].value<QDBusObjectPath>().path() == session_)
        emit activated(args[1].toString());
}

QString ShortcutsPortal::description(const QString& id) {
    if (id == QLatin1String("capture"))
        return kTr.tr("Start a Clipnest capture");
    if (id == QLatin1String("stop"))
        return kTr.tr("Stop the Clipnest recording");
    return id;
}

} // namespace platform::wayland
