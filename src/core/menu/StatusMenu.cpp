#include "core/menu/StatusMenu.h"

#include "core/base/Utf8.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/SnoozePreset.h"
#include "core/shortcuts/KeyNotation.h"
#include "core/status/StatusTitle.h"

namespace cadro {
namespace {

constexpr const char* kIndent = "   ";

std::string actionKey(MenuAction action) {
    switch (action) {
        case MenuAction::startDay:
            return "startDay";
        case MenuAction::endDay:
            return "endDay";
        case MenuAction::openBrainDump:
            return "openBrainDump";
        case MenuAction::next:
            return "next";
        case MenuAction::nextWithNewTask:
            return "nextWithNewTask";
        case MenuAction::nextTypedTask:
            return "nextTypedTask";
        case MenuAction::editStep:
            return "editStep";
        case MenuAction::add:
            return "add";
        case MenuAction::addTodo:
            return "addTodo";
        case MenuAction::parkCurrent:
            return "parkCurrent";
        case MenuAction::snoozeDefault:
            return "snoozeDefault";
        case MenuAction::snoozePreset:
            return "snoozePreset";
        case MenuAction::snoozeCustom:
            return "snoozeCustom";
        case MenuAction::unpark:
            return "unpark";
        case MenuAction::wake:
            return "wake";
        case MenuAction::downloadUpdate:
            return "downloadUpdate";
        case MenuAction::toggleLaunchAtLogin:
            return "launchAtLogin";
        case MenuAction::checkForUpdates:
            return "checkForUpdates";
        case MenuAction::settings:
            return "settings";
        case MenuAction::quit:
            return "quit";
        case MenuAction::undo:
            return "undo";
    }
    return "action";
}

// A separator is known by the entry below it, so that it stays one entry
// while that entry stays.
void keySeparators(std::vector<MenuItem>& menu) {
    for (std::size_t i = menu.size(); i-- > 0;) {
        if (menu[i].isSeparator)
            menu[i].key = "-" + (i + 1 < menu.size() ? menu[i + 1].key : std::string("end"));
        keySeparators(menu[i].submenu);
    }
}

MenuItem snoozeItem(const StatusMenuInputs& in, bool enabled) {
    MenuItem item = MenuItem::info("snooze", "Snooze Current");
    item.enabled = enabled;
    if (!enabled)
        return item;
    item.submenu.push_back(
        commandWithShortcut("Default: " + durationLabel(in.store.state().defaultSnoozeMinutes),
                            MenuAction::snoozeDefault, in.shortcuts, HotKeyAction::snooze));
    item.submenu.push_back(MenuItem::separator());
    for (const auto& preset : allSnoozePresets()) {
        MenuItem presetItem = MenuItem::command(preset.label, MenuAction::snoozePreset);
        presetItem.representedObject = preset.id;
        presetItem.key += ":" + preset.id;
        item.submenu.push_back(presetItem);
    }
    item.submenu.push_back(MenuItem::separator());
    item.submenu.push_back(
        MenuItem::command("Specific Time\xE2\x80\xA6", MenuAction::snoozeCustom));
    return item;
}

void addRevivalSubmenu(std::vector<MenuItem>& menu, const StatusMenuInputs& in, ThreadKind kind) {
    const auto& threads = in.store.state().threads(kind);
    if (threads.empty())
        return;
    const bool parked = kind == ThreadKind::parked;
    MenuItem parent =
        MenuItem::info(parked ? "parked" : "snoozed",
                       (parked ? "Parked (" : "Snoozed (") + std::to_string(threads.size()) + ")");
    parent.enabled = true;
    for (const auto& thread : threads) {
        std::string label = thread.title;
        if (!parked) {
            label += " \xC2\xB7 " +
                     formatWakeTime(thread.snoozedUntil.value_or(in.now), in.calendar, in.now);
        }
        MenuItem entry =
            MenuItem::command(std::move(label), parked ? MenuAction::unpark : MenuAction::wake);
        entry.representedObject = thread.id.toString();
        entry.key += ":" + entry.representedObject;
        entry.dotColorHex = thread.colorHex;
        parent.submenu.push_back(std::move(entry));
    }
    menu.push_back(std::move(parent));
}

void addFooter(std::vector<MenuItem>& menu, const StatusMenuInputs& in) {
    if (in.undoLabel) {
        // A long title would make the whole menu as wide as this item.
        constexpr std::size_t kLabelCharacters = 40;
        std::string label = prefixCharacters(*in.undoLabel, kLabelCharacters);
        if (label.size() < in.undoLabel->size())
            label = prefixCharacters(label, kLabelCharacters - 1) + "\xE2\x80\xA6";
        menu.push_back(MenuItem::command("Undo " + label, MenuAction::undo));
    }
    menu.push_back(MenuItem::separator());
    if (in.updates && in.updates->available()) {
        menu.push_back(
            MenuItem::command("Download Cadro " + in.updates->available()->version + "\xE2\x80\xA6",
                              MenuAction::downloadUpdate));
        menu.back().key += ":" + in.updates->available()->version;
    }
    MenuItem login = MenuItem::command("Launch at Login", MenuAction::toggleLaunchAtLogin);
    login.checkable = true;
    std::optional<std::string> reason;
    if (in.launchAtLogin) {
        login.checked = in.launchAtLogin->isEnabled();
        reason = in.launchAtLogin->unavailableReason();
    }
    login.enabled = in.launchAtLogin && !reason;
    if (reason)
        login.tooltip = *reason;
    menu.push_back(std::move(login));
    // Panels draw no tooltips: the reason also stands on a line of its own.
    if (reason)
        menu.push_back(MenuItem::info("launchAtLogin.reason", kIndent + *reason));
    menu.push_back(MenuItem::command("Check for Updates\xE2\x80\xA6", MenuAction::checkForUpdates,
                                     in.updates && in.updates->isConfigured()));
    menu.push_back(MenuItem::command("Settings\xE2\x80\xA6", MenuAction::settings));
    menu.push_back(MenuItem::command("Quit Cadro", MenuAction::quit));
}

std::vector<MenuItem> closedDayMenu(const StatusMenuInputs& in) {
    std::vector<MenuItem> menu;
    menu.push_back(MenuItem::info("closedDay", "Your day hasn't started"));
    menu.push_back(MenuItem::separator());
    menu.push_back(MenuItem::command("Start Day", MenuAction::startDay));
    menu.push_back(MenuItem::command("Open Brain Dump\xE2\x80\xA6", MenuAction::openBrainDump));
    addFooter(menu, in);
    return menu;
}

std::vector<MenuItem> todoMenu(const StatusMenuInputs& in, const Todo& todo) {
    std::vector<MenuItem> menu;
    const std::string key = "todo:" + todo.id.toString();
    menu.push_back(MenuItem::info("todoHeading", "TO-DO"));
    menu.push_back(MenuItem::info(key, todo.title));
    if (todo.estimatedMinutes) {
        menu.push_back(MenuItem::info(
            key + ".estimate",
            std::string(kIndent) + "~" + std::to_string(*todo.estimatedMinutes) + " min"));
    }
    if (todo.schedule) {
        menu.push_back(MenuItem::info(key + ".schedule",
                                      kIndent + menuDescription(*todo.schedule, in.calendar)));
    }
    menu.push_back(MenuItem::separator());
    menu.push_back(commandWithShortcut("Done", MenuAction::next, in.shortcuts, HotKeyAction::next));
    menu.back().key = "done";
    menu.push_back(snoozeItem(in, true));
    menu.push_back(MenuItem::separator());
    menu.push_back(MenuItem::command("Open Brain Dump\xE2\x80\xA6", MenuAction::openBrainDump));
    menu.push_back(MenuItem::command("End Day", MenuAction::endDay));
    addFooter(menu, in);
    return menu;
}

void addThreadHeader(std::vector<MenuItem>& menu, const StatusMenuInputs& in) {
    const Strand* thread = in.store.state().current();
    if (!thread) {
        menu.push_back(MenuItem::info("noThreads", "No active threads"));
        return;
    }
    const std::string key = "thread:" + thread->id.toString();
    MenuItem title = MenuItem::info(key, thread->title);
    title.dotColorHex = thread->colorHex;
    menu.push_back(std::move(title));

    std::string label = threadStepLabel(in.store, *thread);
    if (label.empty())
        label = "(no step yet, use Edit Current Step\xE2\x80\xA6)";
    menu.push_back(MenuItem::info(key + ".step", std::string(kIndent) + "\xE2\x86\xB3 " + label));

    if (!thread->nextSteps.empty()) {
        std::string line = std::string(kIndent) + "next \xE2\x96\xB8 " + thread->nextSteps.front();
        if (thread->nextSteps.size() > 1) {
            line += " (+" + std::to_string(thread->nextSteps.size() - 1) + " more)";
        }
        menu.push_back(MenuItem::info(key + ".next", std::move(line)));
    }
    std::string counts = kIndent;
    if (thread->priority)
        counts += "priority " + std::to_string(*thread->priority) + " \xC2\xB7 ";
    counts += std::to_string(in.store.state().active.size()) + " active";
    menu.push_back(MenuItem::info(key + ".counts", std::move(counts)));
}

std::vector<MenuItem> threadMenu(const StatusMenuInputs& in) {
    const bool hasThread = in.store.state().current() != nullptr;
    std::vector<MenuItem> menu;
    addThreadHeader(menu, in);
    menu.push_back(MenuItem::separator());
    menu.push_back(
        commandWithShortcut("Next", MenuAction::next, in.shortcuts, HotKeyAction::next, hasThread));
    menu.push_back(commandWithShortcut("Next with New Task", MenuAction::nextWithNewTask,
                                       in.shortcuts, HotKeyAction::nextWithNewTask, hasThread));
    menu.push_back(commandWithShortcut("Next with Typed Task\xE2\x80\xA6",
                                       MenuAction::nextTypedTask, in.shortcuts,
                                       HotKeyAction::nextTypedTask, hasThread));
    menu.push_back(
        MenuItem::command("Edit Current Step\xE2\x80\xA6", MenuAction::editStep, hasThread));
    menu.push_back(MenuItem::separator());
    menu.push_back(MenuItem::command("Add Thread\xE2\x80\xA6", MenuAction::add));
    menu.push_back(MenuItem::command("Add To-Do\xE2\x80\xA6", MenuAction::addTodo));
    menu.push_back(MenuItem::command("Park Current Thread", MenuAction::parkCurrent, hasThread));
    menu.push_back(snoozeItem(in, hasThread));
    addRevivalSubmenu(menu, in, ThreadKind::parked);
    addRevivalSubmenu(menu, in, ThreadKind::snoozed);
    menu.push_back(MenuItem::separator());
    menu.push_back(MenuItem::command("Open Brain Dump\xE2\x80\xA6", MenuAction::openBrainDump));
    menu.push_back(MenuItem::command("End Day", MenuAction::endDay));
    addFooter(menu, in);
    return menu;
}

}  // namespace

MenuItem MenuItem::separator() {
    MenuItem item;
    item.isSeparator = true;
    item.enabled = false;
    return item;
}

MenuItem MenuItem::info(std::string key, std::string title) {
    MenuItem item;
    item.key = std::move(key);
    item.title = std::move(title);
    item.enabled = false;
    return item;
}

MenuItem MenuItem::command(std::string title, MenuAction action, bool enabled) {
    MenuItem item;
    item.key = actionKey(action);
    item.title = std::move(title);
    item.action = action;
    item.enabled = enabled;
    return item;
}

MenuItem commandWithShortcut(std::string title, MenuAction action,
                             const ShortcutSettings& shortcuts, HotKeyAction shortcutAction,
                             bool enabled) {
    MenuItem item = MenuItem::command(std::move(title), action, enabled);
    item.shortcut = comboText(shortcuts.combo(shortcutAction));
    return item;
}

std::optional<Uuid> uuidPayload(const std::string& representedObject) {
    return Uuid::parse(representedObject);
}

std::vector<MenuItem> buildStatusMenu(const StatusMenuInputs& in) {
    std::vector<MenuItem> menu;
    if (!in.store.state().sessionOpen)
        menu = closedDayMenu(in);
    else if (const Todo* todo = in.store.state().currentTodo())
        menu = todoMenu(in, *todo);
    else
        menu = threadMenu(in);
    keySeparators(menu);
    return menu;
}

}  // namespace cadro
