#include "app/tray/DBusMenu.h"

#include "gui/StatusIcon.h"

#include <QBuffer>
#include <QTimer>

namespace cadro {
namespace {

// "Ctrl+Alt+Super+N" as the host wants it: [["Control", "Alt", "Super", "N"]].
QList<QStringList> shortcutKeys(const std::string& shortcut) {
    QStringList keys = QString::fromStdString(shortcut).split('+', Qt::SkipEmptyParts);
    for (QString& key : keys) {
        if (key == "Ctrl")
            key = "Control";
    }
    return {keys};
}

QByteArray png(const QPixmap& pixmap) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return bytes;
}

QVariantMap propertiesOf(const MenuItem& item) {
    QVariantMap properties;
    if (item.isSeparator) {
        properties["type"] = QStringLiteral("separator");
        return properties;
    }
    // An underscore marks the access key; a title's own underscores stay text.
    properties["label"] = QString::fromStdString(item.title).replace('_', QStringLiteral("__"));
    // Said even when true: a host that missed a removal still shows the truth.
    properties["enabled"] = item.enabled;
    if (!item.submenu.empty())
        properties["children-display"] = QStringLiteral("submenu");
    if (item.checkable) {
        properties["toggle-type"] = QStringLiteral("checkmark");
        properties["toggle-state"] = item.checked ? 1 : 0;
    }
    if (item.dotColorHex) {
        QPixmap dot = StatusIcon::dot(*item.dotColorHex, 2);
        if (!dot.isNull())
            properties["icon-data"] = png(dot);
    }
    if (!item.shortcut.empty())
        properties["shortcut"] = QVariant::fromValue(shortcutKeys(item.shortcut));
    return properties;
}

// What a property is when an entry does not carry it.
QVariant defaultOf(const QString& name) {
    static const QVariantMap defaults{
        {"type", QStringLiteral("standard")},
        {"label", QString()},
        {"enabled", true},
        {"visible", true},
        {"icon-name", QString()},
        {"icon-data", QByteArray()},
        {"toggle-type", QString()},
        {"toggle-state", -1},
        {"children-display", QString()},
        {"disposition", QStringLiteral("normal")},
        {"accessible-desc", QString()},
        {"shortcut", QVariant::fromValue(QList<QStringList>())},
    };
    return defaults.value(name);
}

QVariantMap only(const QVariantMap& properties, const QStringList& names) {
    if (names.isEmpty())
        return properties;
    QVariantMap out;
    for (const QString& name : names) {
        auto found = properties.find(name);
        if (found != properties.end())
            out.insert(name, *found);
    }
    return out;
}

}  // namespace

DBusMenu::DBusMenu(DBusMenuObject* object, ItemSource items, MenuRunner run,
                   std::function<void()> opened)
    : QDBusAbstractAdaptor(object),
      items_(std::move(items)),
      run_(std::move(run)),
      opened_(std::move(opened)),
      object_(object) {
    refresh();
}

int DBusMenu::idFor(const QString& key) {
    auto found = ids_.find(key);
    if (found == ids_.end())
        found = ids_.insert(key, int(ids_.size()) + 1);  // the root is 0
    return *found;
}

void DBusMenu::add(Entries& into, int parent, const QString& parentKey,
                   const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        // Hosts fix whether an entry has a submenu or a check mark when they
        // first meet it, so an entry with one is another than the same without.
        const QString own = parentKey + '/' + QString::fromStdString(item.key) +
                            (item.submenu.empty() ? "" : "+") + (item.checkable ? "~" : "");
        QString key = own;
        // Keys are unique among siblings; should two ever meet, the later
        // one still gets an id of its own.
        for (int n = 2; ids_.contains(key) && into.contains(ids_.value(key)); ++n)
            key = own + '#' + QString::number(n);
        const int id = idFor(key);
        MenuItem flat = item;
        flat.submenu.clear();
        into.insert(id, {std::move(flat), propertiesOf(item), {}});
        into[parent].children.append(id);
        add(into, id, key, item.submenu);
    }
}

bool DBusMenu::refresh() {
    std::vector<MenuItem> items = items_();
    if (!entries_.empty() && items == shown_)
        return false;
    Entries next;
    next.insert(0, {MenuItem{}, {{"children-display", QStringLiteral("submenu")}}, {}});
    add(next, 0, QString(), items);

    // What a host that keeps its entries must change to match the new menu.
    // Compared with what each id last carried, also when it was away for a
    // while: some hosts keep entries they no longer show.
    bool newTree = entries_.size() != next.size();
    QList<DBusMenuItemProperties> updated;
    QList<DBusMenuItemPropertyNames> removed;
    for (auto entry = next.cbegin(); entry != next.cend(); ++entry) {
        auto shown = entries_.constFind(entry.key());
        newTree = newTree || shown == entries_.cend() || shown->children != entry->children;
        auto old = published_.constFind(entry.key());
        if (old == published_.cend())
            continue;
        QVariantMap changed;
        for (auto p = entry->properties.cbegin(); p != entry->properties.cend(); ++p) {
            auto was = old->constFind(p.key());
            if (was == old->cend() || *was != *p)
                changed.insert(p.key(), *p);
        }
        QStringList gone;
        for (auto p = old->cbegin(); p != old->cend(); ++p) {
            if (!entry->properties.contains(p.key()))
                gone.append(p.key());
        }
        if (!changed.isEmpty())
            updated.append({entry.key(), changed});
        if (!gone.isEmpty())
            removed.append({entry.key(), gone});
    }
    const bool first = entries_.empty();
    for (auto entry = next.cbegin(); entry != next.cend(); ++entry)
        published_.insert(entry.key(), entry->properties);
    entries_ = std::move(next);
    shown_ = std::move(items);
    if (!first && !newTree && updated.isEmpty() && removed.isEmpty())
        return false;  // nothing a host draws
    ++revision_;
    if (!updated.isEmpty() || !removed.isEmpty())
        emit ItemsPropertiesUpdated(updated, removed);
    if (first || newTree)
        emit LayoutUpdated(revision_, 0);
    return true;
}

void DBusMenu::refuse(const QString& message) {
    if (object_->calledFromDBus())
        object_->sendErrorReply(QDBusError::InvalidArgs, message);
}

DBusMenuLayoutItem DBusMenu::layoutOf(int id, int depth, const QStringList& names) const {
    const Entry& entry = *entries_.constFind(id);
    DBusMenuLayoutItem layout{id, only(entry.properties, names), {}};
    if (depth != 0) {
        for (int child : entry.children)
            layout.children.append(layoutOf(child, depth - 1, names));
    }
    return layout;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                         DBusMenuLayoutItem& layout) {
    if (!entries_.contains(parentId)) {
        refuse(QStringLiteral("No menu entry %1").arg(parentId));
        return revision_;
    }
    layout = layoutOf(parentId, recursionDepth, propertyNames);
    return revision_;
}

QList<DBusMenuItemProperties> DBusMenu::GetGroupProperties(const QList<int>& ids,
                                                           const QStringList& propertyNames) {
    QList<DBusMenuItemProperties> result;
    for (int id : ids) {
        auto entry = entries_.constFind(id);
        if (entry != entries_.cend())
            result.append({id, only(entry->properties, propertyNames)});
    }
    // Entries that went away meanwhile are left out, unless all did.
    if (result.isEmpty() && !ids.isEmpty())
        refuse(QStringLiteral("None of the menu entries exists"));
    return result;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
    auto entry = entries_.constFind(id);
    if (entry == entries_.cend()) {
        refuse(QStringLiteral("No menu entry %1").arg(id));
        return QDBusVariant(QString());
    }
    QVariant value = entry->properties.value(name, defaultOf(name));
    if (!value.isValid()) {
        refuse(QStringLiteral("No menu property %1").arg(name));
        return QDBusVariant(QString());
    }
    return QDBusVariant(value);
}

bool DBusMenu::handle(int id, const QString& eventId) {
    auto entry = entries_.constFind(id);
    if (entry == entries_.cend())
        return false;
    if (eventId == "opened" && id == 0) {
        opened_();
    } else if (eventId == "clicked") {
        const MenuItem& item = entry->item;
        if (item.enabled && item.action) {
            // Outside the D-Bus call: the action may open a prompt.
            QTimer::singleShot(0, this,
                               [this, action = *item.action, payload = item.representedObject] {
                                   run_(action, payload);
                                   refresh();
                               });
        }
    }
    return true;
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (!handle(id, eventId))
        refuse(QStringLiteral("No menu entry %1").arg(id));
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> idErrors;
    for (const DBusMenuEvent& event : events) {
        if (!handle(event.id, event.eventId))
            idErrors.append(event.id);
    }
    if (!events.isEmpty() && idErrors.size() == events.size())
        refuse(QStringLiteral("None of the menu entries exists"));
    return idErrors;
}

bool DBusMenu::AboutToShow(int id) {
    if (!entries_.contains(id)) {
        refuse(QStringLiteral("No menu entry %1").arg(id));
        return false;
    }
    // Submenus are kept current with the whole menu.
    if (id != 0)
        return false;
    opened_();
    return refresh();
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    QList<int> updatesNeeded;
    for (int id : ids) {
        if (!entries_.contains(id)) {
            idErrors.append(id);
        } else if (id == 0 && !updatesNeeded.contains(0)) {
            opened_();
            if (refresh())
                updatesNeeded.append(0);
        }
    }
    if (!ids.isEmpty() && idErrors.size() == ids.size())
        refuse(QStringLiteral("None of the menu entries exists"));
    return updatesNeeded;
}

}  // namespace cadro
