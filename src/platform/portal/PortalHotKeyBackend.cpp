#include "platform/portal/PortalHotKeyBackend.h"

#include "platform/x11/X11KeyTable.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QTimer>

namespace cadro {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// A portal that does not answer in this time is taken as absent.
constexpr int kProbeTimeoutMilliseconds = 1000;

QString pathOrString(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

}  // namespace

PortalHotKeyBackend::PortalHotKeyBackend(EventSink events, TriggerSink triggers, QObject* parent)
    : QObject(parent), events_(std::move(events)), triggers_(std::move(triggers)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                SLOT(activated(QDBusMessage)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("Deactivated"), this,
                SLOT(deactivated(QDBusMessage)));
}

void PortalHotKeyBackend::probe(QObject* context, std::function<void(bool offered)> answer) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    auto* pending = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(get, kProbeTimeoutMilliseconds), context);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, context,
                     [answer = std::move(answer)](QDBusPendingCallWatcher* reply) {
                         reply->deleteLater();
                         answer(!reply->isError());
                     });
}

bool PortalHotKeyBackend::grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) {
    const std::optional<HotKeyAction> action = hotKeyActionFromId(id);
    if (!action)
        return false;
    const std::string_view name = rawValue(*action);
    const std::string_view description = title(*action);
    wanted_.append({QString::fromUtf8(name.data(), qsizetype(name.size())),
                    {{QStringLiteral("description"),
                      QString::fromUtf8(description.data(), qsizetype(description.size()))},
                     {QStringLiteral("preferred_trigger"),
                      QString::fromStdString(x11::shortcutTrigger(keyCode, modifiers))}}});
    bindSoon();
    return true;
}

void PortalHotKeyBackend::releaseAll() {
    wanted_.clear();
}

void PortalHotKeyBackend::bindSoon() {
    // One binding for the whole registration, once all its grabs are in.
    if (bindQueued_)
        return;
    bindQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bindQueued_ = false;
        bind();
    });
}

void PortalHotKeyBackend::bind() {
    if (wanted_.isEmpty())
        return;
    if (session_.isEmpty()) {
        if (requests_ == 0) {
            request(QStringLiteral("CreateSession"), {}, SLOT(sessionCreated(uint, QVariantMap)));
        }
        return;  // binds when the session is there
    }
    request(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(wanted_), QString()},
        SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalHotKeyBackend::request(const QString& method, QList<QVariant> arguments,
                                  const char* slot) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("cadro%1").arg(++requests_);
    // The portal answers on a request object whose path it derives from our
    // name and the token: listen there before asking, so no answer is missed.
    const QString sender = bus.baseService().mid(1).replace('.', '_');
    bus.connect(kService,
                QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token),
                QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"), this,
                slot);
    QVariantMap options{{QStringLiteral("handle_token"), token}};
    if (method == QStringLiteral("CreateSession"))
        options[QStringLiteral("session_handle_token")] = token;
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    bus.asyncCall(call);
}

void PortalHotKeyBackend::sessionCreated(uint response, const QVariantMap& results) {
    if (response != 0 || !session_.isEmpty())
        return;
    session_ = pathOrString(results.value(QStringLiteral("session_handle")));
    bind();
}

void PortalHotKeyBackend::shortcutsBound(uint response, const QVariantMap& results) {
    if (response != 0)
        return;
    std::map<std::uint32_t, QString> triggers;
    for (const PortalShortcut& bound :
         qdbus_cast<PortalShortcuts>(results.value(QStringLiteral("shortcuts")))) {
        if (auto action = hotKeyActionFromRawValue(bound.id.toStdString()))
            triggers[hotKeyId(*action)] =
                bound.properties.value(QStringLiteral("trigger_description")).toString();
    }
    triggers_(triggers);
}

void PortalHotKeyBackend::activated(const QDBusMessage& signal) {
    report(signal, HotKeyEvent::pressed);
}

void PortalHotKeyBackend::deactivated(const QDBusMessage& signal) {
    report(signal, HotKeyEvent::released);
}

void PortalHotKeyBackend::report(const QDBusMessage& signal, HotKeyEvent event) {
    // (session, shortcut id, timestamp, options); only our session's shortcuts.
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || pathOrString(arguments[0]) != session_)
        return;
    if (auto action = hotKeyActionFromRawValue(arguments[1].toString().toStdString()))
        events_(hotKeyId(*action), event);
}

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

}  // namespace cadro
