#pragma once

#include "app/MenuRenderer.h"
#include "app/tray/StatusNotifierItem.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace cadro {

class DBusMenu;

/// Cadro's one place in the panel: a status notifier item when the session
/// has a watcher for them, else the XEmbed tray icon. Moves between the two
/// when a watcher appears, restarts or goes away.
class TrayPresence : public QObject {
  public:
    struct Hooks {
        /// The status menu as it is now (for hosts that draw it).
        std::function<std::vector<MenuItem>()> menuItems;
        MenuRunner run;
        /// The user opened the menu or clicked the icon.
        std::function<void()> seen;
        /// The middle click.
        std::function<void()> middleClick;
        /// Neither a watcher nor an XEmbed tray came within the grace time;
        /// told once per run.
        std::function<void()> noTray;
    };

    /// `menu` is the Qt menu, shown by the XEmbed icon and on a click the
    /// host hands back to us.
    TrayPresence(QMenu* menu, Hooks hooks, QObject* parent = nullptr);
    ~TrayPresence() override;

    void show(const TrayLook& look);
    /// The store changed: the exported menu follows.
    void refreshMenu();

  private:
    void exportItem();
    void registerWithWatcher();
    // Whether the watcher lists the item (a refused registration may have
    // been taken all the same; a taken one may have been dropped).
    void whenListed(std::function<void(bool)> then);
    void askAgainLater();
    void registered();
    bool hasWatcher() const;
    void useFallback();
    // After the grace time: the XEmbed icon if no watcher took the item, and
    // the notice if nothing shows Cadro at all.
    void checkPlace();
    void popUpMenu(QPoint at);

    QMenu* menu_;
    Hooks hooks_;
    TrayLook look_;
    QString serviceName_;
    StatusNotifierItem* item_ = nullptr;
    DBusMenu* dbusMenu_ = nullptr;
    QDBusServiceWatcher* watcher_ = nullptr;
    // Made only once no watcher answered: Qt picks its own D-Bus tray when
    // one exists as it makes the icon, which would show Cadro twice.
    QSystemTrayIcon* fallback_ = nullptr;
    QTimer grace_;
    bool isRegistered_ = false;
    bool hasToldNoTray_ = false;
    int recheckBudget_ = 0;
};

}  // namespace cadro
