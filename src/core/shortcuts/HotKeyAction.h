#pragma once

#include "core/shortcuts/KeyCombo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace cadro {

/// The four commands that can have a global shortcut, in their fixed order.
enum class HotKeyAction { next, nextWithNewTask, nextTypedTask, snooze };

inline constexpr std::array<HotKeyAction, 4> kAllHotKeyActions{
    HotKeyAction::next, HotKeyAction::nextWithNewTask, HotKeyAction::nextTypedTask,
    HotKeyAction::snooze};

/// "next", "nextWithNewTask", "nextTypedTask", "snooze": the stored names.
std::string_view rawValue(HotKeyAction action);
std::optional<HotKeyAction> hotKeyActionFromRawValue(std::string_view text);
/// 1 to 4, the id under which the key is grabbed.
std::uint32_t hotKeyId(HotKeyAction action);
std::optional<HotKeyAction> hotKeyActionFromId(std::uint32_t id);
/// Control-Option-Command with N, M, I or S.
KeyCombo defaultCombo(HotKeyAction action);
std::string_view title(HotKeyAction action);
std::string_view helpText(HotKeyAction action);

}  // namespace cadro
