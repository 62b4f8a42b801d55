#include "app/tray/DesktopNotifications.h"

#include "core/environment/AppId.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QVariantMap>

namespace cadro {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// A notification server that does not answer in this time is taken as absent.
constexpr int kCallTimeoutMilliseconds = 1000;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

}  // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(closed(uint, uint)));
}

void DesktopNotifications::show(const QString& summary, const QString& body,
                                const QList<Action>& actions, ActionHandler onAction,
                                bool resident) {
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    // Only the newest of several quick ones is worth showing.
    waiting_ = Request{summary, body, actions, std::move(onAction), resident};
    sendWaiting();
}

void DesktopNotifications::withdraw() {
    waiting_.reset();
    onAction_ = nullptr;
    if (shownId_ == 0 || !QDBusConnection::sessionBus().isConnected())
        return;
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << shownId_;
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
    // The id stays for `replaces_id`: servers ignore one they no longer show.
}

void DesktopNotifications::notice(const QString& summary, const QString& body,
                                  std::function<void()> unreachable) {
    if (!QDBusConnection::sessionBus().isConnected()) {
        unreachable();
        return;
    }
    const QString appIcon = QString::fromUtf8(kAppId.data(), qsizetype(kAppId.size()));
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QStringLiteral("Cadro") << uint(0) << appIcon << summary << body << QStringList()
           << QVariantMap{{QStringLiteral("desktop-entry"), appIcon}} << -1;
    auto* sent = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(notify, kCallTimeoutMilliseconds), this);
    connect(sent, &QDBusPendingCallWatcher::finished, this,
            [unreachable = std::move(unreachable)](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (answer->isError())
                    unreachable();
            });
}

void DesktopNotifications::sendWaiting() {
    if (isSending_ || !waiting_)
        return;
    isSending_ = true;
    // Asked each time: the server may have been replaced since. Never
    // blocking: the server may be busy calling us.
    auto* asked = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call(QStringLiteral("GetCapabilities")),
                                                kCallTimeoutMilliseconds),
        this);
    connect(asked, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                QDBusReply<QStringList> capabilities = *answer;
                Request request = std::move(*waiting_);
                waiting_.reset();
                send(request, capabilities.isValid() &&
                                  capabilities.value().contains(QStringLiteral("actions")));
            });
}

void DesktopNotifications::send(const Request& request, bool withActions) {
    QStringList actionList;
    if (withActions) {
        for (const Action& action : request.actions)
            actionList << action.key << action.label;
    }
    const QString appIcon = QString::fromUtf8(kAppId.data(), qsizetype(kAppId.size()));
    QVariantMap hints{{QStringLiteral("desktop-entry"), appIcon}};
    if (request.resident)
        hints.insert(QStringLiteral("resident"), true);
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QStringLiteral("Cadro") << shownId_ << appIcon << request.summary << request.body
           << actionList << hints << -1;
    auto* sent = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(notify, kCallTimeoutMilliseconds), this);
    connect(sent, &QDBusPendingCallWatcher::finished, this,
            [this, onAction = request.onAction](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                QDBusReply<uint> id = *answer;
                if (id.isValid()) {
                    shownId_ = id.value();
                    onAction_ = onAction;
                }
                isSending_ = false;
                sendWaiting();
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString& key) {
    if (id != shownId_ || !onAction_)
        return;
    ActionHandler handler = std::move(onAction_);
    onAction_ = nullptr;
    handler(key);
}

void DesktopNotifications::closed(uint id, uint reason) {
    // An expired one may live on in the server's history, where its buttons
    // still work.
    constexpr uint kExpired = 1;
    if (id == shownId_ && reason != kExpired)
        onAction_ = nullptr;
}

}  // namespace cadro
