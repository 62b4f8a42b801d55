#include "app/tray/DesktopNotifications.h"

#include "core/shell/AppId.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QVariantMap>

namespace cadro {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
/// A notification server that does not answer in this time is taken as absent.
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

bool DesktopNotifications::serverHasActions() {
    // Asked each time: the server may have been replaced since.
    QDBusReply<QStringList> capabilities = QDBusConnection::sessionBus().call(
        call(QStringLiteral("GetCapabilities")), QDBus::Block, kCallTimeoutMilliseconds);
    return capabilities.isValid() && capabilities.value().contains(QStringLiteral("actions"));
}

void DesktopNotifications::show(const QString& summary, const QString& body,
                                const QList<Action>& actions, ActionHandler onAction) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QStringList actionList;
    if (serverHasActions()) {
        for (const Action& action : actions)
            actionList << action.key << action.label;
    }
    const QString appIcon = QString::fromUtf8(kAppId.data(), qsizetype(kAppId.size()));
    QVariantMap hints{{QStringLiteral("desktop-entry"), appIcon}};
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << QStringLiteral("Cadro") << shownId_ << appIcon << summary << body << actionList
           << hints << -1;
    auto* pending =
        new QDBusPendingCallWatcher(bus.asyncCall(notify, kCallTimeoutMilliseconds), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, onAction = std::move(onAction)](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                QDBusReply<uint> id = *answer;
                if (!id.isValid())
                    return;
                shownId_ = id.value();
                onAction_ = onAction;
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString& key) {
    if (id != shownId_ || !onAction_)
        return;
    ActionHandler handler = std::move(onAction_);
    onAction_ = nullptr;
    handler(key);
}

void DesktopNotifications::closed(uint id, uint) {
    if (id == shownId_)
        onAction_ = nullptr;
}

}  // namespace cadro
