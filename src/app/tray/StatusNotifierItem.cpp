#include "app/tray/StatusNotifierItem.h"

#include "core/environment/AppId.h"
#include "gui/StatusIcon.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>

namespace cadro {

StatusNotifierItem::StatusNotifierItem(QObject* object, Clicks clicks)
    : QDBusAbstractAdaptor(object), clicks_(std::move(clicks)) {
    paint();
}

void StatusNotifierItem::paint() {
    pixmaps_.clear();
    attentionPixmaps_.clear();
    // Hosts pick the size that suits their panel.
    for (int size : StatusIcon::kPanelSizes) {
        pixmaps_.append(SniPixmap::fromImage(StatusIcon::panelImage(look_.tint, false, size)));
        attentionPixmaps_.append(
            SniPixmap::fromImage(StatusIcon::panelImage(look_.tint, true, size)));
    }
    emit NewIcon();
    emit NewAttentionIcon();
}

void StatusNotifierItem::show(const TrayLook& look) {
    const TrayLook before = look_;
    look_ = look;
    if (before.tint != look.tint)
        paint();
    if (before.title != look.title) {
        emit NewTitle();
        emit NewToolTip();
        announceTitle();
    }
    if (before.label != look.label)
        emit XAyatanaNewLabel(look.label, look.label);
    if (before.needsAttention != look.needsAttention)
        emit NewStatus(status());
}

// GNOME's AppIndicator extension was seen to keep an old title as the item's
// name (what a screen reader says) after NewTitle, while the label moved on;
// the standard change signal updates the copy it keeps directly.
void StatusNotifierItem::announceTitle() const {
    QDBusMessage changed = QDBusMessage::createSignal(
        QString::fromLatin1(kItemPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    changed << QStringLiteral("org.kde.StatusNotifierItem")
            << QVariantMap{{QStringLiteral("Title"), title()}} << QStringList{};
    QDBusConnection::sessionBus().send(changed);
}

QString StatusNotifierItem::id() const {
    return QString::fromUtf8(kAppId.data(), qsizetype(kAppId.size()));
}

QString StatusNotifierItem::status() const {
    return look_.needsAttention ? QStringLiteral("NeedsAttention") : QStringLiteral("Active");
}

QString StatusNotifierItem::iconName() const {
    // Hosts prefer a name to the pixmaps: while a thread's colour tints the
    // icon, no name, so that the colour shows. The symbolic icon otherwise,
    // which the panel recolours to suit itself.
    if (look_.tint)
        return {};
    return id() + QStringLiteral("-symbolic");
}

QString StatusNotifierItem::attentionIconName() const {
    // Always by name: a to-do that is up is shown without a thread's colour.
    return id() + QStringLiteral("-attention-symbolic");
}

QString StatusNotifierItem::iconThemePath() const {
    // The build writes the icons to data/icons beside bin/; an installed
    // Cadro has them in share/icons of its prefix, which the desktop may not
    // search.
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& folder :
         {QStringLiteral("../data/icons"), QStringLiteral("../share/icons")}) {
        const QFileInfo icons(bin.filePath(folder));
        if (icons.isDir() && icons.canonicalFilePath() != QStringLiteral("/usr/share/icons"))
            return icons.canonicalFilePath();
    }
    return {};
}

SniToolTip StatusNotifierItem::toolTip() const {
    // Hosts read the tooltip as markup: the user's text must stay text.
    return {QString(), {}, QStringLiteral("Cadro"), look_.title.toHtmlEscaped()};
}

void StatusNotifierItem::Activate(int x, int y) {
    clicks_.primary(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int, int) {
    clicks_.middle();
}

void StatusNotifierItem::ContextMenu(int x, int y) {
    clicks_.primary(QPoint(x, y));
}

void StatusNotifierItem::Scroll(int, const QString&) {}

}  // namespace cadro
