#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cadro::x11 {

/// The X keysym of a virtual key code as stored in combos (45 → XK_n), or
/// nullopt for keys without a counterpart here. Letters map to their lower-case
/// keysyms, which name the key whatever the shift state.
std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode);

/// The X modifier mask of a combo's modifier bits: Control → Control,
/// Option → Mod1 (Alt), Shift → Shift, Command → Mod4 (Super).
std::uint16_t modifierMaskFor(std::uint32_t modifiers);

/// A combo as desktops' shortcut settings write it ("CTRL+ALT+LOGO+n"), or
/// empty for a key without a counterpart here.
std::string shortcutTrigger(std::uint32_t keyCode, std::uint32_t modifiers);

}  // namespace cadro::x11
