#pragma once

#include "core/menu/StatusMenu.h"

#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace cadro {

/// Runs a chosen item's action with its represented object.
using MenuRunner = std::function<void(MenuAction, std::string)>;

/// Adds the items to `menu` as the toolkit's entries: titles, enabled states,
/// colour dots, check marks, tooltips and submenus. Choosing an entry runs
/// its action on a later pass of the event loop, outside the menu's handling.
void renderMenu(QMenu* menu, const std::vector<MenuItem>& items, const MenuRunner& run);

}  // namespace cadro
