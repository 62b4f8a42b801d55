#include "core/shortcuts/HotKeyAction.h"
#include "core/shortcuts/KeyCombo.h"
#include "core/shortcuts/KeyNotation.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using Strings = std::vector<std::string>;

TEST(KeyCombo, KeycapsFollowTheFixedModifierOrderThenTheKey) {
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        Strings symbols;
        std::string linuxText;
    } cases[] = {
        {"all four",
         40,
         Modifier::command | Modifier::shift | Modifier::option | Modifier::control,
         {"⌃", "⌥", "⇧", "⌘", "K"},
         "Ctrl+Alt+Shift+Super+K"},
        {"unknown bits add nothing", 40, 0x0400 | Modifier::control, {"⌃", "K"}, "Ctrl+K"},
        {"none", 40, 0, {"K"}, "K"},
        {"a symbol key is named on Linux", 116, Modifier::control, {"⌃", "K"}, "Ctrl+Page Up"},
        {"an arrow", 123, Modifier::option, {"⌥", "K"}, "Alt+Left"},
    };
    for (const auto& c : cases) {
        KeyCombo combo{c.keyCode, c.modifiers, "K"};
        EXPECT_EQ(keycaps(combo, KeyNotation::macSymbols), c.symbols) << c.name;
        EXPECT_EQ(comboText(combo, KeyNotation::linuxNames), c.linuxText) << c.name;
    }
}

TEST(KeyCombo, RecorderMessagesNameTheKeysOfThePlatform) {
    const KeyCombo m = defaultCombo(HotKeyAction::nextWithNewTask);
    EXPECT_EQ(comboInUseMessage(m, HotKeyAction::nextWithNewTask, KeyNotation::linuxNames),
              "Ctrl+Alt+Super+M is already used for Next with New Task.");
}

TEST(KeyCombo, KeyLabels) {
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::string characters;
        std::string label;
    } cases[] = {
        {"letter upper-cased", 45, "n", "N"},
        {"special code wins over characters", 49, " ", "Space"},
        {"arrow", 123, "\xEF\x9C\x82", "←"},
        {"no characters", 50, "", "?"},
        {"accented letter", 8, "é", "É"},
        {"sharp s grows", 27, "ß", "SS"},
        {"digit unchanged", 18, "1", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyLabel(c.keyCode, c.characters), c.label) << c.name;
    }
}

TEST(KeyCombo, KeyEventsNeedControlOptionOrCommand) {
    struct Case {
        const char* name;
        std::uint32_t mask;
        std::optional<std::uint32_t> modifiers;  // nullopt: no combo
    } cases[] = {
        {"shift alone", Modifier::shift, std::nullopt},
        {"nothing", 0, std::nullopt},
        {"caps lock and num lock only", 0x0400 | 0x10000, std::nullopt},
        {"control", Modifier::control, Modifier::control},
        {"option", Modifier::option, Modifier::option},
        {"command with shift", Modifier::command | Modifier::shift,
         Modifier::command | Modifier::shift},
        {"caps lock dropped", Modifier::control | 0x0400, Modifier::control},
    };
    for (const auto& c : cases) {
        auto combo = comboFromKeyEvent(0, c.mask, "a");
        ASSERT_EQ(combo.has_value(), c.modifiers.has_value()) << c.name;
        if (combo) {
            EXPECT_EQ(*combo, (KeyCombo{0, *c.modifiers, "A"})) << c.name;
        }
    }
}

TEST(KeyCombo, JsonRoundTripAndStrictReading) {
    KeyCombo combo{45, 6400, "N"};
    EXPECT_EQ(json::encode(combo).dump(), R"({"keyCode":45,"modifiers":6400,"key":"N"})");
    EXPECT_EQ(json::decodeKeyCombo(json::Value::parse(json::encode(combo).dump()), "next"), combo);

    const char* bad[] = {
        R"({"keyCode":45,"modifiers":6400})",
        R"({"keyCode":45,"key":"N"})",
        R"({"keyCode":-1,"modifiers":6400,"key":"N"})",
        R"({"keyCode":4294967296,"modifiers":6400,"key":"N"})",
        R"({"keyCode":45.5,"modifiers":6400,"key":"N"})",
        R"({"keyCode":"45","modifiers":6400,"key":"N"})",
        R"({"keyCode":45,"modifiers":6400,"key":7})",
        R"([45,6400,"N"])",
    };
    for (const char* text : bad) {
        EXPECT_THROW(json::decodeKeyCombo(json::Value::parse(text), "next"), json::DecodeError)
            << text;
    }
}

}  // namespace
}  // namespace cadro
