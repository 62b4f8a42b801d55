#include "app/tray/DBusMenu.h"

#include "app/StatusIcon.h"

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
    if (!item.enabled)
        properties["enabled"] = false;
    if (!item.submenu.empty())
        properties["children-display"] = QStringLiteral("submenu");
    if (item.checked) {
        properties["toggle-type"] = QStringLiteral("checkmark");
        properties["toggle-state"] = 1;
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

}  // namespace

DBusMenu::DBusMenu(QObject* object, ItemSource items, MenuRunner run, std::function<void()> opened)
    : QDBusAbstractAdaptor(object),
      items_(std::move(items)),
      run_(std::move(run)),
      opened_(std::move(opened)) {
    refresh();
}

bool DBusMenu::refresh() {
    std::vector<MenuItem> items = items_();
    if (!entries_.empty() && items == shown_)
        return false;
    shown_ = std::move(items);
    entries_.clear();
    entries_.push_back({MenuItem::info(""), {{"children-display", QStringLiteral("submenu")}}, {}});
    for (const MenuItem& item : shown_) {
        const int id = add(item);
        entries_[0].children.append(id);
    }
    ++revision_;
    emit LayoutUpdated(revision_, 0);
    return true;
}

int DBusMenu::add(const MenuItem& item) {
    const int id = int(entries_.size());
    entries_.push_back({item, propertiesOf(item), {}});
    for (const MenuItem& child : item.submenu) {
        const int childId = add(child);
        entries_[std::size_t(id)].children.append(childId);
    }
    return id;
}

DBusMenuLayoutItem DBusMenu::layoutOf(int id, int depth) const {
    const Entry& entry = entries_[std::size_t(id)];
    DBusMenuLayoutItem layout{id, entry.properties, {}};
    if (depth != 0) {
        for (int child : entry.children)
            layout.children.append(layoutOf(child, depth - 1));
    }
    return layout;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList&,
                         DBusMenuLayoutItem& layout) {
    if (parentId < 0 || std::size_t(parentId) >= entries_.size())
        parentId = 0;
    layout = layoutOf(parentId, recursionDepth);
    return revision_;
}

QList<DBusMenuItemProperties> DBusMenu::GetGroupProperties(const QList<int>& ids,
                                                           const QStringList&) {
    QList<DBusMenuItemProperties> result;
    for (int id : ids) {
        if (id >= 0 && std::size_t(id) < entries_.size())
            result.append({id, entries_[std::size_t(id)].properties});
    }
    return result;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
    if (id < 0 || std::size_t(id) >= entries_.size())
        return QDBusVariant(QVariant());
    return QDBusVariant(entries_[std::size_t(id)].properties.value(name));
}

bool DBusMenu::handle(int id, const QString& eventId) {
    if (id < 0 || std::size_t(id) >= entries_.size())
        return false;
    if (eventId == "opened" && id == 0) {
        opened_();
    } else if (eventId == "clicked") {
        const MenuItem& item = entries_[std::size_t(id)].item;
        if (item.enabled && item.action) {
            // Outside the D-Bus call: the action may open a prompt.
            QTimer::singleShot(
                0, this, [run = run_, action = *item.action, payload = item.representedObject] {
                    run(action, payload);
                });
        }
    }
    return true;
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    handle(id, eventId);
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> idErrors;
    for (const DBusMenuEvent& event : events) {
        if (!handle(event.id, event.eventId))
            idErrors.append(event.id);
    }
    return idErrors;
}

bool DBusMenu::AboutToShow(int id) {
    if (id != 0)
        return false;
    opened_();
    return refresh();
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    QList<int> updatesNeeded;
    for (int id : ids) {
        if (id < 0 || std::size_t(id) >= entries_.size())
            idErrors.append(id);
        else if (AboutToShow(id))
            updatesNeeded.append(id);
    }
    return updatesNeeded;
}

}  // namespace cadro
