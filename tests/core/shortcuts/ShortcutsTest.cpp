#include "core/shortcuts/HotKeyAction.h"
#include "core/shortcuts/HotKeyManager.h"
#include "core/shortcuts/KeyCombo.h"
#include "core/shortcuts/KeyNotation.h"
#include "core/shortcuts/ShortcutSettings.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <utility>

namespace cadro {
namespace {

TEST(KeyCombo, KeycapsFollowTheFixedModifierOrderThenTheKey) {
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        std::vector<std::string> caps;
    } cases[] = {
        {"all four", 40, Modifier::all, {"Ctrl", "Alt", "Shift", "Super", "K"}},
        {"unknown bits add nothing", 40, 0x0400 | Modifier::control, {"Ctrl", "K"}},
        {"a symbol key is named", 116, Modifier::control, {"Ctrl", "Page Up"}},
        {"an arrow", 123, Modifier::option, {"Alt", "Left"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keycaps(KeyCombo{c.keyCode, c.modifiers, "K"}), c.caps) << c.name;
}

TEST(KeyCombo, KeyLabels) {
    struct Case {
        const char* name;
        std::uint32_t keyCode;
        std::string characters;
        std::string label;
    } cases[] = {
        {"special code wins over characters", 49, " ", "Space"},
        {"arrow", 123, "\xEF\x9C\x82", "←"},
        {"no characters", 50, "", "?"},
        {"accented letter", 8, "é", "É"},
        {"sharp s grows", 27, "ß", "SS"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyLabel(c.keyCode, c.characters), c.label) << c.name;
}

TEST(KeyCombo, KeyEventsNeedControlOptionOrCommand) {
    struct Case {
        const char* name;
        std::uint32_t mask;
        std::optional<KeyCombo> combo;
    } cases[] = {
        {"shift alone", Modifier::shift, std::nullopt},
        {"caps lock and num lock only", 0x0400 | 0x10000, std::nullopt},
        {"control", Modifier::control, KeyCombo{0, Modifier::control, "A"}},
        {"command with shift", Modifier::command | Modifier::shift,
         KeyCombo{0, Modifier::command | Modifier::shift, "A"}},
        {"caps lock dropped", Modifier::control | 0x0400, KeyCombo{0, Modifier::control, "A"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(comboFromKeyEvent(0, c.mask, "a"), c.combo) << c.name;
}

// Reading the stored form is checked with the stored shortcut map below.
TEST(KeyCombo, JsonIsWrittenInTheStoredFormAndReadStrictly) {
    KeyCombo combo{45, 6400, "N"};
    EXPECT_EQ(json::encode(combo).dump(), R"({"keyCode":45,"modifiers":6400,"key":"N"})");

    const char* bad[] = {
        R"({"keyCode":-1,"modifiers":6400,"key":"N"})",
        R"({"keyCode":4294967296,"modifiers":6400,"key":"N"})",
        R"({"keyCode":45.5,"modifiers":6400,"key":"N"})",
        R"({"keyCode":45,"modifiers":6400,"key":7})",
        R"([45,6400,"N"])",
    };
    for (const char* text : bad) {
        EXPECT_THROW(json::decodeKeyCombo(json::Value::parse(text), "next"), json::DecodeError)
            << text;
    }
}

constexpr const char* kKey = "shortcuts";

std::vector<std::string> compactCombos(const ShortcutSettings& settings) {
    std::vector<std::string> out;
    for (HotKeyAction action : kAllHotKeyActions)
        out.push_back(comboText(settings.combo(action)));
    return out;
}

TEST(HotKeyAction, IdsAndStoredNamesLeadBackToTheirActionAndNothingElseDoes) {
    for (auto action : kAllHotKeyActions) {
        EXPECT_EQ(hotKeyActionFromId(hotKeyId(action)), action);
        EXPECT_EQ(hotKeyActionFromRawValue(rawValue(action)), action);
    }
    EXPECT_FALSE(hotKeyActionFromId(0));
    EXPECT_FALSE(hotKeyActionFromId(kAllHotKeyActions.size() + 1));
    EXPECT_FALSE(hotKeyActionFromRawValue("Next"));
}

TEST(ShortcutSettings, LoadsTheStoredMap) {
    const std::vector<std::string> defaults{"Ctrl+Alt+Super+N", "Ctrl+Alt+Super+M",
                                            "Ctrl+Alt+Super+I", "Ctrl+Alt+Super+S"};
    struct Case {
        const char* name;
        std::optional<std::string> data;
        std::vector<std::string> expected;
    } cases[] = {
        {"nothing stored", std::nullopt, defaults},
        {"only snooze",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"}})",
         {"Ctrl+Alt+Super+N", "Ctrl+Alt+Super+M", "Ctrl+Alt+Super+I", "Ctrl+Super+S"}},
        {"unknown member ignored",
         R"({"later":{"keyCode":5,"modifiers":256,"key":"G"},)"
         R"("next":{"keyCode":49,"modifiers":2048,"key":"Space"}})",
         {"Alt+Space", "Ctrl+Alt+Super+M", "Ctrl+Alt+Super+I", "Ctrl+Alt+Super+S"}},
        {"one member without key discards all",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"},)"
         R"("next":{"keyCode":45,"modifiers":256}})",
         defaults},
        {"a bad unknown member discards all too",
         R"({"snooze":{"keyCode":1,"modifiers":4352,"key":"S"},"later":3})", defaults},
        {"not JSON", "\xFF\xFE{", defaults},
    };
    for (const auto& c : cases) {
        auto store = std::make_shared<MemoryDefaults>();
        if (c.data)
            store->setData(kKey, *c.data);
        ShortcutSettings settings(store);
        EXPECT_EQ(compactCombos(settings), c.expected) << c.name;
        EXPECT_EQ(settings.isAllDefault(), c.expected == defaults) << c.name;
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

// Grabs in memory; every grab succeeds.
class MemoryBackend : public HotKeyBackend {
  public:
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> grabs;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override {
        grabs[id] = {keyCode, modifiers};
        return true;
    }
    void releaseAll() override { grabs.clear(); }
};

struct HotKeyManagerTest : ::testing::Test {
    MemoryBackend backend;
    HotKeyManager manager{backend};
    std::vector<HotKeyAction> ran;
    std::function<void(HotKeyAction)> run = [this](HotKeyAction action) { ran.push_back(action); };

    void press(std::uint32_t id) { manager.handle(id, HotKeyEvent::pressed); }
    void release(std::uint32_t id) { manager.handle(id, HotKeyEvent::released); }
};

TEST_F(HotKeyManagerTest, EachPressRunsItsActionOnceUntilAShortcutIsBeingRecorded) {
    const std::uint32_t controlCommand = Modifier::control | Modifier::command;
    registerHotKeys(manager, {{HotKeyAction::snooze, {17, controlCommand, "T"}}}, false, run);
    // In order under their ids, with the default for a combo not given.
    EXPECT_EQ(backend.grabs.size(), 4u);
    EXPECT_EQ(backend.grabs.at(1), std::make_pair(45u, Modifier::required));
    EXPECT_EQ(backend.grabs.at(4), std::make_pair(17u, controlCommand));

    press(1);
    press(1);  // auto-repeat while held
    EXPECT_EQ(manager.heldDown(), std::set<std::uint32_t>{1});
    release(1);
    EXPECT_TRUE(manager.heldDown().empty());
    press(1);
    press(4);  // holding one key does not block another
    press(2);
    // Stray releases, unknown ids and a key still held do nothing.
    release(3);
    press(9);
    press(4);
    EXPECT_EQ(ran, (std::vector{HotKeyAction::next, HotKeyAction::next, HotKeyAction::snooze,
                                HotKeyAction::nextWithNewTask}));

    // While a shortcut is being recorded nothing is registered at all.
    registerHotKeys(manager, {}, true, run);
    EXPECT_TRUE(backend.grabs.empty());
    press(3);
    EXPECT_EQ(ran.size(), 4u) << "no callbacks survive unregistering";
}

TEST_F(HotKeyManagerTest, CallbackMayReplaceTheRegistrationsWhileRunning) {
    int nested = 0;
    manager.replaceAll({{1, 45, Modifier::required, [&] {
                             manager.replaceAll({{1, 45, Modifier::required, [&] { ++nested; }}});
                         }}});
    press(1);
    EXPECT_TRUE(manager.heldDown().empty()) << "the new registrations start with nothing held";
    press(1);
    EXPECT_EQ(nested, 1);
}

}  // namespace
}  // namespace cadro
