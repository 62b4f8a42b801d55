#include "app/tray/TrayPresence.h"

#include "app/StatusIcon.h"
#include "app/tray/DBusMenu.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QSystemTrayIcon>

namespace cadro {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");

}  // namespace

TrayPresence::TrayPresence(QMenu* menu, Hooks hooks, QObject* parent)
    : QObject(parent), menu_(menu), hooks_(std::move(hooks)) {
    qApp->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        useFallback();
        return;
    }
    exportItem();
    watcher_ = new QDBusServiceWatcher(kWatcherService, bus,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                if (owner.isEmpty()) {
                    useFallback();
                } else {
                    registerWithWatcher();  // a new or restarted panel
                }
            });
    if (bus.interface()->isServiceRegistered(kWatcherService)) {
        registerWithWatcher();
    } else {
        useFallback();
    }
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
    bus.registerObject(kItemPath, itemObject, QDBusConnection::ExportAdaptors);
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
                if (answer->isError()) {
                    useFallback();
                    return;
                }
                if (fallback_)
                    fallback_->hide();
            });
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
    fallback_->setIcon(StatusIcon::icon(look_.tint));
    fallback_->setToolTip(look_.title);
    fallback_->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        hooks_.noTray();
}

void TrayPresence::show(const TrayLook& look) {
    const bool newTint = look.tint != look_.tint;
    look_ = look;
    if (item_)
        item_->show(look);
    if (fallback_) {
        if (newTint)
            fallback_->setIcon(StatusIcon::icon(look.tint));
        fallback_->setToolTip(look.title);
    }
}

void TrayPresence::refreshMenu() {
    if (dbusMenu_)
        dbusMenu_->refresh();
}

bool TrayPresence::eventFilter(QObject* watched, QEvent* event) {
    // A new palette: the plain icon takes the new colours (the status
    // notifier item follows on its own).
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && fallback_)
        fallback_->setIcon(StatusIcon::icon(look_.tint));
    return QObject::eventFilter(watched, event);
}

void TrayPresence::popUpMenu(QPoint at) {
    menu_->popup(at);
}

}  // namespace cadro
