#include "app/tray/StatusNotifierItem.h"

#include "app/StatusIcon.h"
#include "core/environment/AppId.h"

#include <QGuiApplication>

namespace cadro {

StatusNotifierItem::StatusNotifierItem(QObject* object, Clicks clicks)
    : QDBusAbstractAdaptor(object), clicks_(std::move(clicks)) {
    paint();
    qApp->installEventFilter(this);
}

void StatusNotifierItem::paint() {
    pixmaps_.clear();
    // Hosts pick the size that suits their panel.
    for (qreal scale : {1.0, 2.0, 3.0})
        pixmaps_.append(SniPixmap::fromImage(StatusIcon::make(look_.tint, scale).toImage()));
    emit NewIcon();
}

bool StatusNotifierItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        paint();
    return QDBusAbstractAdaptor::eventFilter(watched, event);
}

void StatusNotifierItem::show(const TrayLook& look) {
    const TrayLook before = look_;
    look_ = look;
    if (before.tint != look.tint)
        paint();
    if (before.title != look.title) {
        emit NewTitle();
        emit NewToolTip();
    }
    if (before.label != look.label)
        emit XAyatanaNewLabel(look.label, look.label);
    if (before.needsAttention != look.needsAttention)
        emit NewStatus(status());
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

SniToolTip StatusNotifierItem::toolTip() const {
    return {QString(), {}, QStringLiteral("Cadro"), look_.title};
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
