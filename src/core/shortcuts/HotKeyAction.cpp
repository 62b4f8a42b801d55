#include "core/shortcuts/HotKeyAction.h"

namespace cadro {
namespace {

struct ActionInfo {
    HotKeyAction action;
    std::string_view rawValue;
    std::uint32_t keyCode;
    std::string_view key;
    std::string_view title;
    std::string_view helpText;
};

constexpr std::array<ActionInfo, 4> kActions{{
    {HotKeyAction::next, "next", 45, "N", "Next", "Move on to the next thread."},
    {HotKeyAction::nextWithNewTask, "nextWithNewTask", 46, "M", "Next with New Task",
     "Move this thread to its next planned step, then move on."},
    {HotKeyAction::nextTypedTask, "nextTypedTask", 34, "I", "Next with Typed Task",
     "Type this thread's new step, then move on."},
    {HotKeyAction::snooze, "snooze", 1, "S", "Snooze",
     "Set the current thread or to-do aside for the default time."},
}};

const ActionInfo& info(HotKeyAction action) {
    return kActions[static_cast<std::size_t>(action)];
}

}  // namespace

std::string_view rawValue(HotKeyAction action) {
    return info(action).rawValue;
}

std::optional<HotKeyAction> hotKeyActionFromRawValue(std::string_view text) {
    for (const auto& entry : kActions) {
        if (entry.rawValue == text)
            return entry.action;
    }
    return std::nullopt;
}

std::uint32_t hotKeyId(HotKeyAction action) {
    return static_cast<std::uint32_t>(action) + 1;
}

std::optional<HotKeyAction> hotKeyActionFromId(std::uint32_t id) {
    if (id < 1 || id > kAllHotKeyActions.size())
        return std::nullopt;
    return kAllHotKeyActions[id - 1];
}

KeyCombo defaultCombo(HotKeyAction action) {
    return KeyCombo{info(action).keyCode, Modifier::required, std::string(info(action).key)};
}

std::string_view title(HotKeyAction action) {
    return info(action).title;
}

std::string_view helpText(HotKeyAction action) {
    return info(action).helpText;
}

}  // namespace cadro
