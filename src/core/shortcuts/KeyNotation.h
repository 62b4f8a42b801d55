#pragma once

#include "core/shortcuts/HotKeyAction.h"
#include "core/shortcuts/KeyCombo.h"

#include <string>
#include <vector>

namespace cadro {

/// How a combo is written for people. Stored combos keep one format; only
/// their text differs: the symbols a Mac shows ("⌃⌥⌘N") or the key names a
/// Linux desktop shows ("Ctrl+Alt+Super+N").
enum class KeyNotation { macSymbols, linuxNames };

#ifdef __APPLE__
inline constexpr KeyNotation kPlatformKeyNotation = KeyNotation::macSymbols;
#else
inline constexpr KeyNotation kPlatformKeyNotation = KeyNotation::linuxNames;
#endif

/// One text per keycap: the modifiers in the order Control, Option (Alt),
/// Shift, Command (Super), each only when set, then the key.
std::vector<std::string> keycaps(const KeyCombo& combo,
                                 KeyNotation notation = kPlatformKeyNotation);
/// The whole combo in one text: "⌃⌥⌘N", or "Ctrl+Alt+Super+N".
std::string comboText(const KeyCombo& combo, KeyNotation notation = kPlatformKeyNotation);

/// The recorder's answer to a key pressed without a modifier that keeps it
/// out of the way of typing.
std::string missingModifierMessage(KeyNotation notation = kPlatformKeyNotation);
/// "Ctrl+Alt+Super+M is already used for Next with New Task."
std::string comboInUseMessage(const KeyCombo& combo, HotKeyAction usedBy,
                              KeyNotation notation = kPlatformKeyNotation);
/// Which standard editing keys work in every text field.
std::string editingKeysNote(KeyNotation notation = kPlatformKeyNotation);

}  // namespace cadro
