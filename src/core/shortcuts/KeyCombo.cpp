#include "core/shortcuts/KeyCombo.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <limits>
#include <utility>

namespace cadro {
namespace {

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 25> kSpecialKeys{{
    {49, "Space"}, {36, "↩"},    {48, "⇥"},    {51, "⌫"},    {117, "⌦"}, {123, "←"}, {124, "→"},
    {126, "↑"},    {125, "↓"},   {115, "↖"},   {119, "↘"},   {116, "⇞"}, {121, "⇟"}, {122, "F1"},
    {120, "F2"},   {99, "F3"},   {118, "F4"},  {96, "F5"},   {97, "F6"}, {98, "F7"}, {100, "F8"},
    {101, "F9"},   {109, "F10"}, {103, "F11"}, {111, "F12"},
}};

// Locale-independent full upper-casing, so "ß" becomes "SS" whatever LANG says.
std::string upperCased(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    unicode.toUpper(icu::Locale::getRoot());
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

std::uint32_t readUInt32(const json::ObjectReader& reader, std::string_view key) {
    std::int64_t n = reader.integer(key);
    if (n < 0 || n > std::numeric_limits<std::uint32_t>::max()) {
        reader.fail(key, "is out of range");
    }
    return static_cast<std::uint32_t>(n);
}

}  // namespace

std::optional<std::string_view> specialKeyLabel(std::uint32_t keyCode) {
    for (const auto& [code, label] : kSpecialKeys) {
        if (code == keyCode)
            return label;
    }
    return std::nullopt;
}

std::string keyLabel(std::uint32_t keyCode, std::string_view charactersIgnoringModifiers) {
    if (auto special = specialKeyLabel(keyCode))
        return std::string(*special);
    if (charactersIgnoringModifiers.empty())
        return "?";
    return upperCased(charactersIgnoringModifiers);
}

std::optional<KeyCombo> comboFromKeyEvent(std::uint32_t keyCode, std::uint32_t modifierMask,
                                          std::string_view charactersIgnoringModifiers) {
    std::uint32_t modifiers = modifierMask & Modifier::all;
    if ((modifiers & Modifier::required) == 0)
        return std::nullopt;
    return KeyCombo{keyCode, modifiers, keyLabel(keyCode, charactersIgnoringModifiers)};
}

namespace json {

OrderedValue encode(const KeyCombo& combo) {
    OrderedValue out = OrderedValue::object();
    out["keyCode"] = combo.keyCode;
    out["modifiers"] = combo.modifiers;
    out["key"] = combo.key;
    return out;
}

KeyCombo decodeKeyCombo(const Value& value, const std::string& path) {
    ObjectReader reader(value, path);
    KeyCombo combo;
    combo.keyCode = readUInt32(reader, "keyCode");
    combo.modifiers = readUInt32(reader, "modifiers");
    combo.key = reader.string("key");
    return combo;
}

}  // namespace json
}  // namespace cadro
