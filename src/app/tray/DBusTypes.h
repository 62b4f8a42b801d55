#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace cadro {

/// One image of a status notifier item: width, height and ARGB32 pixels in
/// network byte order (D-Bus "(iiay)").
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;

    static SniPixmap fromImage(const QImage& image);
};
using SniPixmaps = QList<SniPixmap>;

/// A status notifier item's tooltip (D-Bus "(sa(iiay)ss)").
struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString description;
};

/// One entry of an exported menu with its children (D-Bus "(ia{sv}av)", the
/// children being variants of the same structure).
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

/// The properties of one entry (D-Bus "(ia{sv})").
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

/// Properties of one entry that it no longer has (D-Bus "(ias)").
struct DBusMenuItemPropertyNames {
    int id = 0;
    QStringList names;
};
using DBusMenuItemPropertyNamesList = QList<DBusMenuItemPropertyNames>;

/// One event of a group sent by the host (D-Bus "(isvu)").
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

/// Makes the types above known to QtDBus; call before exporting anything.
void registerDBusTypes();

QDBusArgument& operator<<(QDBusArgument& out, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& in, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuItemPropertyNames& item);
const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuItemPropertyNames& item);
QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuEvent& event);

}  // namespace cadro

Q_DECLARE_METATYPE(cadro::SniPixmap)
Q_DECLARE_METATYPE(cadro::SniToolTip)
Q_DECLARE_METATYPE(cadro::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(cadro::DBusMenuItemProperties)
Q_DECLARE_METATYPE(cadro::DBusMenuItemPropertyNames)
Q_DECLARE_METATYPE(cadro::DBusMenuEvent)
