#include "core/shortcuts/KeyNotation.h"
#include "core/shortcuts/ShortcutSettings.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

constexpr const char* kKey = "shortcuts";

std::vector<std::string> compactCombos(const ShortcutSettings& settings) {
    std::vector<std::string> out;
    for (HotKeyAction action : kAllHotKeyActions)
        out.push_back(comboText(settings.combo(action), KeyNotation::macSymbols));
    return out;
}

TEST(ShortcutSettings, LoadsTheStoredMap) {
    const std::vector<std::string> defaults{"⌃⌥⌘N", "⌃⌥⌘M", "⌃⌥⌘I", "⌃⌥⌘S"};
    struct Case {
        const char* name;
        std::optional<std::string> data;
        std::vector<std::string> expected;
    } cases[] = {
        {"nothing stored", std::nullopt, defaults},
        {"empty object", "{}", defaults},
        {"only snooze",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"}})",
         {"⌃⌥⌘N", "⌃⌥⌘M", "⌃⌥⌘I", "⌃⌘S"}},
        {"unknown member ignored",
         R"({"later":{"keyCode":5,"modifiers":256,"key":"G"},)"
         R"("next":{"keyCode":49,"modifiers":2048,"key":"Space"}})",
         {"⌥Space", "⌃⌥⌘M", "⌃⌥⌘I", "⌃⌥⌘S"}},
        {"one member without key discards all",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"},)"
         R"("next":{"keyCode":45,"modifiers":256}})",
         defaults},
        {"a bad unknown member discards all too",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"},"later":3})", defaults},
        {"not an object", R"([{"keyCode":1,"modifiers":4352,"key":"S"}])", defaults},
        {"not JSON", "\xFF\xFE{", defaults},
        {"empty data", "", defaults},
    };
    for (const auto& c : cases) {
        auto store = std::make_shared<MemoryDefaults>();
        if (c.data)
            store->setData(kKey, *c.data);
        ShortcutSettings settings(store);
        EXPECT_EQ(compactCombos(settings), c.expected) << c.name;
        EXPECT_EQ(settings.combos().size(), 4u) << c.name;
        EXPECT_EQ(settings.isAllDefault(), c.expected == defaults) << c.name;
        EXPECT_FALSE(settings.isRecording()) << c.name;
        // Loading never rewrites what is stored, good or bad.
        EXPECT_EQ(store->getData(kKey), c.data) << c.name;
    }
}

TEST(ShortcutSettings, SavedCombosSurviveARestartAndResetAllSavesTheDefaults) {
    auto store = std::make_shared<MemoryDefaults>();
    ShortcutSettings settings(store);
    KeyCombo f5{96, Modifier::control, "F5"};
    settings.setCombo(HotKeyAction::nextTypedTask, f5);
    EXPECT_EQ(store->getData(kKey), std::nullopt);  // changes alone are not saved
    settings.save();
    EXPECT_EQ(ShortcutSettings(store).combo(HotKeyAction::nextTypedTask), f5);

    std::vector<ShortcutProperty> seen;
    auto sub = settings.subscribe([&](ShortcutProperty p) { seen.push_back(p); });
    settings.resetAll();
    EXPECT_TRUE(settings.isAllDefault());
    EXPECT_EQ(seen, std::vector<ShortcutProperty>{ShortcutProperty::combos});
    EXPECT_TRUE(ShortcutSettings(store).isAllDefault());
    ASSERT_TRUE(store->getData(kKey));
    EXPECT_EQ(ShortcutSettings::decode(*store->getData(kKey)).size(), 4u);
}

TEST(ShortcutSettings, LookupIgnoresTheLabelAndMissingActionsFallBack) {
    ShortcutSettings settings(std::make_shared<MemoryDefaults>());
    settings.setCombo(HotKeyAction::next, KeyCombo{45, 0x1900, "n"});
    EXPECT_TRUE(settings.isAllDefault());

    // A later action given the Next combo does not shadow Next.
    settings.setCombo(HotKeyAction::snooze, defaultCombo(HotKeyAction::next));
    EXPECT_FALSE(settings.isAllDefault());
    EXPECT_EQ(settings.action(KeyCombo{45, 0x1900, "whatever"}), HotKeyAction::next);
    EXPECT_EQ(settings.action(KeyCombo{1, 0x1900, "S"}), std::nullopt);
    EXPECT_EQ(settings.action(KeyCombo{45, 0x1800, "N"}), std::nullopt);

    // Actions missing from a new set fall back to their defaults.
    settings.setCombos({{HotKeyAction::snooze, KeyCombo{2, Modifier::option, "D"}}});
    EXPECT_EQ(settings.combo(HotKeyAction::next), defaultCombo(HotKeyAction::next));
    EXPECT_EQ(settings.action(defaultCombo(HotKeyAction::nextTypedTask)),
              HotKeyAction::nextTypedTask);
    EXPECT_FALSE(settings.isAllDefault());
}

}  // namespace
}  // namespace cadro
