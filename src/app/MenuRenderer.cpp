#include "app/MenuRenderer.h"

#include "gui/StatusIcon.h"

#include <QMenu>
#include <QTimer>

namespace cadro {

void renderMenu(QMenu* menu, const std::vector<MenuItem>& items, const MenuRunner& run) {
    menu->setToolTipsVisible(true);
    for (const MenuItem& item : items) {
        if (item.isSeparator) {
            menu->addSeparator();
            continue;
        }
        QString title = QString::fromStdString(item.title);
        if (!item.submenu.empty()) {
            QMenu* sub = menu->addMenu(title);
            renderMenu(sub, item.submenu, run);
            sub->menuAction()->setEnabled(item.enabled);
            continue;
        }
        // Text after a tab goes to the menu's shortcut column; the key itself is
        // grabbed globally, so it is not set as the action's shortcut.
        if (!item.shortcut.empty())
            title += '\t' + QString::fromStdString(item.shortcut);
        QAction* action = menu->addAction(title);
        action->setEnabled(item.enabled);
        if (item.dotColorHex) {
            QPixmap dot = StatusIcon::dot(*item.dotColorHex, menu->devicePixelRatioF());
            if (!dot.isNull()) {
                // The dot keeps its colour on the disabled header line too.
                QIcon icon(dot);
                icon.addPixmap(dot, QIcon::Disabled);
                action->setIcon(icon);
            }
        }
        if (item.checkable) {
            action->setCheckable(true);
            action->setChecked(item.checked);
        }
        if (!item.tooltip.empty())
            action->setToolTip(QString::fromStdString(item.tooltip));
        if (item.action) {
            MenuAction what = *item.action;
            std::string payload = item.representedObject;
            QObject::connect(action, &QAction::triggered, menu, [run, what, payload] {
                // Leave the menu's own event handling before opening prompts.
                QTimer::singleShot(0, [run, what, payload] { run(what, payload); });
            });
        }
    }
}

}  // namespace cadro
