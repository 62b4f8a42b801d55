#include "app/tray/TrayPresence.h"

#include "app/tray/DBusMenu.h"
#include "gui/StatusIcon.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>

namespace cadro {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// How long a panel may take to show up (at login, or while one restarts)
// before Cadro says it has no place in it.
constexpr int kGraceMilliseconds = 10'000;
// How often to ask a panel that did not take the item yet.
constexpr int kRetryMilliseconds = 1'000;
// How long after taking the item a host is looked at again.
constexpr int kSettleMilliseconds = 3'000;
// How often the item is offered again to one watcher that dropped it.
constexpr int kRechecks = 3;
// A click the host reports this far from the pointer was not where the
// pointer is: some hosts send (0, 0) or their own corner.
constexpr int kClickSlackPixels = 64;

}  // namespace

TrayPresence::TrayPresence(QMenu* menu, Hooks hooks, QObject* parent)
    : QObject(parent), menu_(menu), hooks_(std::move(hooks)), recheckBudget_(kRechecks) {
    grace_.setSingleShot(true);
    grace_.setInterval(kGraceMilliseconds);
    connect(&grace_, &QTimer::timeout, this, &TrayPresence::checkPlace);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        useFallback();
        grace_.start();
        return;
    }
    exportItem();
    watcher_ = new QDBusServiceWatcher(kWatcherService, bus,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                isRegistered_ = false;
                recheckBudget_ = kRechecks;
                if (owner.isEmpty()) {
                    // Panels restart (a reload, a screen lock in GNOME): give
                    // this one time to come back before falling back.
                    grace_.start();
                } else {
                    registerWithWatcher();  // a new or restarted panel
                }
            });
    if (bus.interface()->isServiceRegistered(kWatcherService)) {
        registerWithWatcher();
    } else {
        useFallback();
    }
    grace_.start();
}

TrayPresence::~TrayPresence() = default;

void TrayPresence::exportItem() {
    registerDBusTypes();
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The adaptors carry the interfaces; the objects only give them a path.
    auto* itemObject = new QObject(this);
    item_ = new StatusNotifierItem(
        itemObject, {[this](QPoint at) { popUpMenu(at); }, [this] { hooks_.middleClick(); }});
    auto* menuObject = new DBusMenuObject(this);
    dbusMenu_ = new DBusMenu(menuObject, hooks_.menuItems, hooks_.run, [this] { hooks_.seen(); });
    bus.registerObject(QString::fromLatin1(StatusNotifierItem::kItemPath), itemObject,
                       QDBusConnection::ExportAdaptors);
    bus.registerObject(StatusNotifierItem::kMenuPath, menuObject, QDBusConnection::ExportAdaptors);
    serviceName_ =
        QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    bus.registerService(serviceName_);
}

void TrayPresence::registerWithWatcher() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << serviceName_;
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (!answer->isError()) {
                    registered();
                    return;
                }
                // A watcher that has just started may not answer yet, and
                // some refuse an item they already took up on their own
                // (they look for items on the bus as they start).
                whenListed([this](bool listed) {
                    if (listed)
                        registered();
                    else if (grace_.isActive())
                        askAgainLater();  // after the grace time checkPlace decides
                });
            });
}

void TrayPresence::whenListed(std::function<void(bool)> then) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << kWatcherService << QStringLiteral("RegisteredStatusNotifierItems");
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, then = std::move(then)](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                const QList<QVariant> values = answer->reply().arguments();
                const QStringList items =
                    values.isEmpty()
                        ? QStringList()
                        : qvariant_cast<QDBusVariant>(values.first()).variant().toStringList();
                // Watchers list an item by the name it gave, or by its
                // connection's unique name with the object path.
                const QString uniqueName = QDBusConnection::sessionBus().baseService();
                then(std::any_of(items.begin(), items.end(), [&](const QString& item) {
                    return item.startsWith(serviceName_) || item == uniqueName ||
                           item.startsWith(uniqueName + '/');
                }));
            });
}

void TrayPresence::askAgainLater() {
    QTimer::singleShot(kRetryMilliseconds, this, [this] {
        if (!isRegistered_ && hasWatcher())
            registerWithWatcher();
    });
}

void TrayPresence::registered() {
    isRegistered_ = true;
    if (fallback_)
        fallback_->hide();
    // A host may still drop the item while it sets it up (GNOME's extension
    // does when it meets an item twice at its start): look again once it has
    // settled, and offer the item anew if it went.
    QTimer::singleShot(kSettleMilliseconds, this, [this] {
        if (!isRegistered_ || recheckBudget_ <= 0)
            return;
        whenListed([this](bool listed) {
            if (listed || !isRegistered_ || recheckBudget_-- <= 0)
                return;
            isRegistered_ = false;
            registerWithWatcher();
        });
    });
}

bool TrayPresence::hasWatcher() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kWatcherService);
}

void TrayPresence::useFallback() {
    if (!fallback_) {
        fallback_ = new QSystemTrayIcon(this);
        fallback_->setContextMenu(menu_);
        connect(fallback_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason why) {
                    if (why == QSystemTrayIcon::Trigger)
                        popUpMenu(QCursor::pos());  // a left click opens the same menu
                    else if (why == QSystemTrayIcon::MiddleClick)
                        hooks_.middleClick();
                });
    }
    fallback_->setIcon(StatusIcon::icon(look_.tint, look_.needsAttention));
    fallback_->setToolTip(look_.title);
    fallback_->show();
}

void TrayPresence::checkPlace() {
    if (isRegistered_)
        return;
    // Qt's own icon would register with a watcher that is there, showing
    // Cadro twice: only where none is.
    if (hasWatcher()) {
        registerWithWatcher();
        return;
    }
    useFallback();
    if (QSystemTrayIcon::isSystemTrayAvailable() || hasToldNoTray_)
        return;
    hasToldNoTray_ = true;  // once per run: it comes back on its own
    hooks_.noTray();
}

void TrayPresence::show(const TrayLook& look) {
    const bool newIcon = look.tint != look_.tint || look.needsAttention != look_.needsAttention;
    look_ = look;
    if (item_)
        item_->show(look);
    if (fallback_) {
        if (newIcon)
            fallback_->setIcon(StatusIcon::icon(look.tint, look.needsAttention));
        fallback_->setToolTip(look.title);
    }
}

void TrayPresence::refreshMenu() {
    if (dbusMenu_)
        dbusMenu_->refresh();
}

void TrayPresence::popUpMenu(QPoint at) {
    // A place the host reports as (0, 0) or far from the pointer is not where
    // the click was; Wayland tells a client nothing of the pointer outside
    // its windows, so there the host's word stands.
    const QPoint pointer = QCursor::pos();
    const bool knowsPointer = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (knowsPointer && (at.isNull() || (at - pointer).manhattanLength() > kClickSlackPixels))
        at = pointer;
    menu_->popup(at);
}

}  // namespace cadro
