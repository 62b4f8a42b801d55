#pragma once

#include "core/autostart/LaunchAtLogin.h"
#include "core/base/Calendar.h"
#include "core/base/Date.h"
#include "core/base/Uuid.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "core/store/ThreadStore.h"
#include "core/updates/UpdateChecker.h"

#include <optional>
#include <string>
#include <vector>

namespace cadro {

/// Everything the status menu (and the shortcuts and the command line) can do.
enum class MenuAction {
    startDay,
    endDay,
    openBrainDump,
    next,
    nextWithNewTask,
    nextTypedTask,
    editStep,
    add,
    addTodo,
    parkCurrent,
    snoozeDefault,
    snoozePreset,
    snoozeCustom,
    unpark,
    wake,
    downloadUpdate,
    toggleLaunchAtLogin,
    checkForUpdates,
    settings,
    quit,
    undo,
};

/// One line of the status menu, as the toolkit should draw it.
struct MenuItem {
    bool isSeparator = false;
    /// What the entry is ("next", "wake:<thread id>", "thread:<id>.step"...):
    /// unique among its siblings and the same in every rebuild, so that a
    /// panel can keep track of an entry while the menu around it changes.
    std::string key;
    std::string title;
    bool enabled = true;
    std::optional<MenuAction> action;
    /// A thread's id or a snooze preset's id, handed back to the action.
    std::string representedObject;
    /// Draw a small dot of this colour ("#RRGGBB") as the item's image.
    std::optional<std::string> dotColorHex;
    /// Shows a check mark that is on when `checked`.
    bool checkable = false;
    bool checked = false;
    std::string tooltip;
    /// The global shortcut of the item's action ("Ctrl+Alt+Super+N"), shown
    /// in the menu's shortcut column.
    std::string shortcut;
    std::vector<MenuItem> submenu;

    static MenuItem separator();
    /// A disabled line that only shows information.
    static MenuItem info(std::string key, std::string title);
    static MenuItem command(std::string title, MenuAction action, bool enabled = true);

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

/// What the menu is built from.
struct StatusMenuInputs {
    const ThreadStore& store;
    const ShortcutSettings& shortcuts;
    const UpdateChecker* updates = nullptr;
    const LaunchAtLogin* launchAtLogin = nullptr;
    const Calendar& calendar;
    Date now;
    /// What undo would take back; no Undo item without it.
    std::optional<std::string> undoLabel = std::nullopt;
};

/// The closed-day, to-do or thread menu for the state of the store. Pure: the
/// caller wakes due snoozes first, as opening the menu does.
std::vector<MenuItem> buildStatusMenu(const StatusMenuInputs& inputs);

/// A command item that shows the global shortcut of `shortcutAction`.
MenuItem commandWithShortcut(std::string title, MenuAction action,
                             const ShortcutSettings& shortcuts, HotKeyAction shortcutAction,
                             bool enabled = true);

/// The thread id an item carries, or nothing when the text is not an id.
std::optional<Uuid> uuidPayload(const std::string& representedObject);

}  // namespace cadro
