#include "core/shortcuts/KeyNotation.h"

#include <array>
#include <utility>

namespace cadro {
namespace {

struct ModifierName {
    std::uint32_t bit;
    const char* name;
};

constexpr std::array<ModifierName, 4> kModifiers{{
    {Modifier::control, "Ctrl"},
    {Modifier::option, "Alt"},
    {Modifier::shift, "Shift"},
    {Modifier::command, "Super"},
}};

// The keys whose stored label is a Mac symbol, by key code, as a Linux
// keyboard names them.
constexpr std::array<std::pair<std::uint32_t, const char*>, 12> kLinuxKeyNames{{
    {36, "Return"},
    {48, "Tab"},
    {51, "Backspace"},
    {117, "Delete"},
    {123, "Left"},
    {124, "Right"},
    {126, "Up"},
    {125, "Down"},
    {115, "Home"},
    {119, "End"},
    {116, "Page Up"},
    {121, "Page Down"},
}};

std::string keyName(const KeyCombo& combo) {
    for (const auto& [code, name] : kLinuxKeyNames) {
        if (code == combo.keyCode)
            return name;
    }
    return combo.key;
}

}  // namespace

std::vector<std::string> keycaps(const KeyCombo& combo) {
    std::vector<std::string> out;
    for (const ModifierName& modifier : kModifiers) {
        if (combo.modifiers & modifier.bit)
            out.emplace_back(modifier.name);
    }
    out.push_back(keyName(combo));
    return out;
}

std::string comboText(const KeyCombo& combo) {
    std::string out;
    for (const std::string& cap : keycaps(combo))
        out += (out.empty() ? "" : "+") + cap;
    return out;
}

std::string missingModifierMessage() {
    return "Include Super, Alt or Ctrl so the shortcut doesn't get in the way of typing.";
}

std::string comboInUseMessage(const KeyCombo& combo, HotKeyAction usedBy) {
    return comboText(combo) + " is already used for " + std::string(title(usedBy)) + ".";
}

std::string editingKeysNote() {
    return "Cut, copy, paste, select all and undo (Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A, Ctrl+Z) "
           "work in every text field.";
}

}  // namespace cadro
