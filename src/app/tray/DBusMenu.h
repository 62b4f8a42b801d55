#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "app/MenuRenderer.h"
#endif
#include "app/tray/DBusTypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QHash>

#include <functional>
#include <vector>

namespace cadro {

/// The object the exported menu is registered as; it lets the menu answer a
/// call with an error.
class DBusMenuObject : public QObject, public QDBusContext {
    Q_OBJECT
  public:
    using QObject::QObject;
};

/// The status menu exported over D-Bus (com.canonical.dbusmenu), for panels
/// that draw the menu of a status notifier item themselves. Built from the
/// same items as the Qt menu; choosing an entry runs the same action.
///
/// Hosts keep each entry by its id and merge the properties they are sent,
/// so an id stands for what the entry is (its key path in the menu), never
/// for its place, and is not given to another entry while the menu lives.
/// A change of properties only is sent as ItemsPropertiesUpdated, with the
/// properties an entry lost; a change of the tree additionally as
/// LayoutUpdated with a new revision.
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
    DBusMenu(DBusMenuObject* object, ItemSource items, MenuRunner run,
             std::function<void()> opened);

    /// Takes the items afresh; tells the host what changed. True when
    /// anything did.
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
    void ItemsPropertiesUpdated(const QList<cadro::DBusMenuItemProperties>& updatedProps,
                                const QList<cadro::DBusMenuItemPropertyNames>& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

  private:
    struct Entry {
        MenuItem item;  // without its submenu
        QVariantMap properties;
        QList<int> children;
    };
    using Entries = QHash<int, Entry>;

    void add(Entries& into, int parent, const QString& parentKey,
             const std::vector<MenuItem>& items);
    int idFor(const QString& key);
    DBusMenuLayoutItem layoutOf(int id, int depth, const QStringList& names) const;
    bool handle(int id, const QString& eventId);
    // Answers the current call with an InvalidArgs error.
    void refuse(const QString& message);

    ItemSource items_;
    MenuRunner run_;
    std::function<void()> opened_;
    DBusMenuObject* object_;
    std::vector<MenuItem> shown_;
    Entries entries_;
    // Every key ever shown keeps its id, so an id never changes its meaning.
    QHash<QString, int> ids_;
    // The properties each id was last shown with.
    QHash<int, QVariantMap> published_;
    uint revision_ = 0;
};

}  // namespace cadro
