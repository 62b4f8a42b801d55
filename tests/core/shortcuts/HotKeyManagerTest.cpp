#include "core/shortcuts/HotKeyManager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace cadro {
namespace {

// Grabs in memory; combos listed in `taken` belong to another program.
class MemoryBackend : public HotKeyBackend {
  public:
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> grabs;
    int releases = 0;

    bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) override {
        if (taken.contains({keyCode, modifiers})) {
            return false;
        }
        grabs[id] = {keyCode, modifiers};
        return true;
    }
    void releaseAll() override {
        grabs.clear();
        ++releases;
    }
};

constexpr std::uint32_t kControlOptionCommand = Modifier::required;

struct HotKeyManagerTest : ::testing::Test {
    MemoryBackend backend;
    HotKeyManager manager{backend};
    std::map<std::uint32_t, int> runs;

    std::vector<HotKeyManager::Binding> fourShortcuts() {
        std::vector<HotKeyManager::Binding> bindings;
        const std::uint32_t keys[] = {45, 46, 34, 1};  // N, M, I, S
        for (std::uint32_t id = 1; id <= 4; ++id) {
            bindings.push_back(
                {id, keys[id - 1], kControlOptionCommand, [this, id] { ++runs[id]; }});
        }
        return bindings;
    }

    void press(std::uint32_t id) { manager.handle(id, HotKeyEvent::pressed); }
    void release(std::uint32_t id) { manager.handle(id, HotKeyEvent::released); }
};

TEST_F(HotKeyManagerTest, HoldingAKeyRunsItOnceAndStrayEventsDoNothing) {
    manager.replaceAll(fourShortcuts());
    press(1);
    press(1);  // auto-repeat while held
    press(1);
    EXPECT_EQ(runs[1], 1);
    EXPECT_EQ(manager.heldDown(), std::set<std::uint32_t>{1});

    release(1);
    EXPECT_TRUE(manager.heldDown().empty());
    press(1);
    EXPECT_EQ(runs[1], 2);

    // Holding one key does not block another.
    press(4);
    EXPECT_EQ(runs[4], 1);

    // Unknown ids and stray releases do nothing.
    runs.clear();
    release(1);
    press(9);
    release(9);
    release(3);
    press(4);  // still held
    EXPECT_TRUE(runs.empty());

    manager.unregisterAll();
    press(1);
    EXPECT_TRUE(runs.empty()) << "no callbacks survive unregistering";
    EXPECT_TRUE(backend.grabs.empty());
}

TEST_F(HotKeyManagerTest, RefusedGrabLeavesOnlyThatShortcutSilent) {
    backend.taken.insert({46, kControlOptionCommand});
    manager.replaceAll(fourShortcuts());

    using Entry = std::optional<std::uint32_t>;
    EXPECT_EQ(manager.registrations(), (std::vector<Entry>{1, std::nullopt, 3, 4}));
    EXPECT_EQ(backend.grabs.size(), 3u);
    EXPECT_FALSE(backend.grabs.contains(2));
    press(1);
    press(3);
    EXPECT_EQ(runs[1], 1);
    EXPECT_EQ(runs[3], 1);
}

TEST_F(HotKeyManagerTest, CallbackMayReplaceTheRegistrationsWhileRunning) {
    int nested = 0;
    manager.replaceAll(
        {{1, 45, kControlOptionCommand, [&] {
              manager.replaceAll({{1, 45, kControlOptionCommand, [&] { ++nested; }}});
          }}});
    press(1);
    EXPECT_TRUE(manager.heldDown().empty()) << "the new registrations start with nothing held";
    press(1);
    EXPECT_EQ(nested, 1);
}

TEST_F(HotKeyManagerTest, ActionsRegisterInOrderWithDefaultsForMissingCombos) {
    std::vector<HotKeyAction> ran;
    const auto run = [&](HotKeyAction action) { ran.push_back(action); };
    registerHotKeys(manager,
                    {{HotKeyAction::snooze, {17, Modifier::control | Modifier::command, "T"}}},
                    false, run);

    EXPECT_EQ(backend.grabs.at(1), std::make_pair(45u, kControlOptionCommand));
    EXPECT_EQ(backend.grabs.at(2), std::make_pair(46u, kControlOptionCommand));
    EXPECT_EQ(backend.grabs.at(3), std::make_pair(34u, kControlOptionCommand));
    EXPECT_EQ(backend.grabs.at(4), std::make_pair(17u, Modifier::control | Modifier::command));
    press(4);
    press(2);
    EXPECT_EQ(ran, (std::vector{HotKeyAction::snooze, HotKeyAction::nextWithNewTask}));

    // While a shortcut is being recorded nothing is registered at all.
    registerHotKeys(manager, {}, true, run);
    EXPECT_TRUE(backend.grabs.empty());
    press(1);
    EXPECT_EQ(ran.size(), 2u);
}

}  // namespace
}  // namespace cadro
