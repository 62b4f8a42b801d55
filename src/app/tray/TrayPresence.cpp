#include "app/tray/TrayPresence.h"

#include "app/StatusIcon.h"
#include "app/tray/DBusMenu.h"

#include <QApplication>
#include <QCursor>
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
// How long a panel may take to show up (at login, or while one restarts)
// before Cadro says it has no place in it.
constexpr int kGraceMilliseconds = 10'000;
// A click the host reports this far from the pointer was not where the
// pointer is: some hosts send (0, 0) or their own corner.
constexpr int kClickSlackPixels = 64;

}  // namespace

TrayPresence::TrayPresence(QMenu* menu, Hooks hooks, QObject* parent)
    : QObject(parent), menu_(menu), hooks_(std::move(hooks)) {
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
                isRegistered_ = true;
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
    fallback_->setIcon(StatusIcon::icon(look_.tint, look_.needsAttention));
    fallback_->setToolTip(look_.title);
    fallback_->show();
}

void TrayPresence::checkPlace() {
    if (isRegistered_)
        return;
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

QPoint TrayPresence::menuPlace(QPoint reported, QPoint pointer, bool knowsPointer) {
    if (!knowsPointer)
        return reported;
    if (reported.isNull() || (reported - pointer).manhattanLength() > kClickSlackPixels)
        return pointer;
    return reported;
}

void TrayPresence::popUpMenu(QPoint at) {
    // Wayland tells a client nothing of the pointer outside its windows.
    const bool knowsPointer = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    menu_->popup(menuPlace(at, QCursor::pos(), knowsPointer));
}

}  // namespace cadro
