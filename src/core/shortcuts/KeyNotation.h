#pragma once

#include "core/shortcuts/HotKeyAction.h"
#include "core/shortcuts/KeyCombo.h"

#include <string>
#include <vector>

namespace cadro {

/// One text per keycap, as a Linux desktop names the keys: the modifiers in
/// the order Ctrl, Alt, Shift, Super, each only when set, then the key.
std::vector<std::string> keycaps(const KeyCombo& combo);
/// The whole combo in one text: "Ctrl+Alt+Super+N".
std::string comboText(const KeyCombo& combo);

/// The recorder's answer to a key pressed without a modifier that keeps it
/// out of the way of typing.
std::string missingModifierMessage();
/// "Ctrl+Alt+Super+M is already used for Next with New Task."
std::string comboInUseMessage(const KeyCombo& combo, HotKeyAction usedBy);
/// Which standard editing keys work in every text field.
std::string editingKeysNote();

}  // namespace cadro
