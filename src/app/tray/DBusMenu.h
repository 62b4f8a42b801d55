#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "app/MenuRenderer.h"
#endif
#include "app/tray/DBusTypes.h"

#include <QDBusAbstractAdaptor>

#include <functional>
#include <vector>

namespace cadro {

/// The status menu exported over D-Bus (com.canonical.dbusmenu), for panels
/// that draw the menu of a status notifier item themselves. Built from the
/// same items as the Qt menu; choosing an entry runs the same action.
class DBusMenu : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

  public:
    using ItemSource = std::function<std::vector<MenuItem>()>;

    /// `object` is the object registered on the bus; `items` gives the menu
    /// as it is now; `opened` is told when the host opens the menu.
    DBusMenu(QObject* object, ItemSource items, MenuRunner run, std::function<void()> opened);

    /// Takes the items afresh; tells the host when they changed. True when
    /// they did.
    bool refresh();

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

  public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   cadro::DBusMenuLayoutItem& layout);
    QList<cadro::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                            const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const QList<cadro::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

  signals:
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

  private:
    // One entry, numbered by its place in a walk of the tree (the root is 0).
    struct Entry {
        MenuItem item;
        QVariantMap properties;
        QList<int> children;
    };
    int add(const MenuItem& item);
    DBusMenuLayoutItem layoutOf(int id, int depth) const;
    bool handle(int id, const QString& eventId);

    ItemSource items_;
    MenuRunner run_;
    std::function<void()> opened_;
    std::vector<MenuItem> shown_;
    std::vector<Entry> entries_;
    uint revision_ = 0;
};

}  // namespace cadro
