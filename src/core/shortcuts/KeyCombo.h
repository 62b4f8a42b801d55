#pragma once

#include "core/base/Json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// Modifier bits in the classic event-manager layout, the form in which combos
/// are stored. On Linux Command stands for Super and Option for Alt.
namespace Modifier {
inline constexpr std::uint32_t command = 0x0100;
inline constexpr std::uint32_t shift = 0x0200;
inline constexpr std::uint32_t option = 0x0800;
inline constexpr std::uint32_t control = 0x1000;
/// Control, Option and Command: a combo needs at least one of them.
inline constexpr std::uint32_t required = control | option | command;
inline constexpr std::uint32_t all = control | option | shift | command;
}  // namespace Modifier

/// One global shortcut: a key and its modifiers, plus the label shown for the
/// key (people see it through KeyNotation.h). Key codes are the hardware-independent virtual key
/// codes (45 is N); the X11 layer maps them by table.
struct KeyCombo {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::string key;

    /// Same key code and modifier mask; the label is not compared.
    bool sameKeys(const KeyCombo& other) const {
        return keyCode == other.keyCode && modifiers == other.modifiers;
    }

    friend bool operator==(const KeyCombo&, const KeyCombo&) = default;
};

/// The label of a special key (Space, arrows, F1-F12, ...), or nullopt.
std::optional<std::string_view> specialKeyLabel(std::uint32_t keyCode);

/// The label of a pressed key: its special label, else the characters the key
/// types without modifiers, upper-cased ("?" when it types none).
std::string keyLabel(std::uint32_t keyCode, std::string_view charactersIgnoringModifiers);

/// Builds a combo from a key press. `modifierMask` uses the bits of Modifier;
/// other bits (caps lock, num lock, ...) are ignored. A press without Control,
/// Option or Command gives no combo: Shift alone is not enough.
std::optional<KeyCombo> comboFromKeyEvent(std::uint32_t keyCode, std::uint32_t modifierMask,
                                          std::string_view charactersIgnoringModifiers);

namespace json {
/// {"keyCode": 45, "modifiers": 6400, "key": "N"}
OrderedValue encode(const KeyCombo& combo);
/// All three keys are required; numbers must be whole and fit 32 bits.
KeyCombo decodeKeyCombo(const Value& value, const std::string& path);
}  // namespace json

}  // namespace cadro
