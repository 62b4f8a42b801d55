#include "support/ShellHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::ShellHarness;
using A = MenuAction;

std::vector<MenuAction> actionsOf(const std::vector<MenuItem>& menu) {
    std::vector<MenuAction> out;
    for (const auto& item : menu) {
        if (item.action)
            out.push_back(*item.action);
    }
    return out;
}

// The first item with this title or action.
template <class Key>
const MenuItem& find(const std::vector<MenuItem>& menu, const Key& key) {
    for (const auto& item : menu) {
        if constexpr (std::is_same_v<Key, MenuAction>) {
            if (item.action == key)
                return item;
        } else if (item.title == key) {
            return item;
        }
    }
    throw std::runtime_error("no such item");
}

// The information lines at the top, up to the first separator.
std::vector<std::string> header(const std::vector<MenuItem>& menu) {
    std::vector<std::string> out;
    for (const auto& item : menu) {
        if (item.isSeparator)
            break;
        EXPECT_FALSE(item.enabled) << item.title;
        out.push_back(item.title);
    }
    return out;
}

TEST(StatusMenu, EachStateOffersItsCommands) {
    const std::vector<A> footer = {A::toggleLaunchAtLogin, A::checkForUpdates, A::settings,
                                   A::quit};
    auto with = [&](std::vector<A> head) {
        head.insert(head.end(), footer.begin(), footer.end());
        return head;
    };
    ShellHarness h;
    h.addThread("A");
    h->addTodo("x", 5);
    EXPECT_EQ(actionsOf(h.menu()), with({A::startDay, A::openBrainDump}));
    EXPECT_FALSE(find(h.menu(), A::checkForUpdates).enabled);  // no update checker

    h->startDay();
    EXPECT_EQ(actionsOf(h.menu()),
              with({A::next, A::nextWithNewTask, A::nextTypedTask, A::editStep, A::add, A::addTodo,
                    A::parkCurrent, A::openBrainDump, A::endDay}));

    h->setTodoChancePercent(100);
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(actionsOf(h.menu()), with({A::next, A::openBrainDump, A::endDay}));  // Done
}

TEST(StatusMenu, HeaderDescribesTheCurrentThread) {
    ShellHarness h;
    h->startDay();
    EXPECT_EQ(header(h.menu()),
              (std::vector<std::string>{"Cadro", "   \xE2\x86\xB3 Add your first thread",
                                        "   1 active"}));

    auto a = h.addThread("Website", 2);
    h->setColor(a, "#8B7CF6");
    h->startDay();
    h->setNextSteps(a, {"only one"});
    EXPECT_EQ(header(h.menu())[1],
              "   \xE2\x86\xB3 (no step yet, use Edit Current Step\xE2\x80\xA6)");

    h->update(a, "Website", "  Write hero copy \n");
    h->setNextSteps(a, {"Pick screenshots", "Ship", "Tell Veda"});
    auto menu = h.menu();
    EXPECT_EQ(header(menu),
              (std::vector<std::string>{"Website", "   \xE2\x86\xB3 Write hero copy",
                                        "   next \xE2\x96\xB8 Pick screenshots (+2 more)",
                                        "   priority 2 \xC2\xB7 2 active"}));
    EXPECT_EQ(menu[0].dotColorHex, h->strand(a)->colorHex);
}

TEST(StatusMenu, NoActiveThreadsDisablesTheThreadActions) {
    ShellHarness h;
    h->park(h->hygiene()->id);
    h->startDay();
    auto menu = h.menu();
    EXPECT_EQ(menu[0].title, "No active threads");
    for (auto action : {A::next, A::nextWithNewTask, A::parkCurrent, A::editStep})
        EXPECT_FALSE(find(menu, action).enabled);
    const MenuItem& snooze = find(menu, "Snooze Current");
    EXPECT_FALSE(snooze.enabled || !snooze.submenu.empty());
    EXPECT_TRUE(find(menu, A::add).enabled);
}

TEST(StatusMenu, ToDoMenuShowsEstimateAndSchedule) {
    ShellHarness h;
    h.openDay({"A"});
    TodoSchedule s{h.berlin(2026, 3, 2, 0, 0),
                   {{17, 30}, {8, 0}},
                   RepeatRule{1, RepeatUnit::week, {2, 5}, std::nullopt}};
    h->addTodo("Stretch", 45, s);
    h->processSchedules(h.berlin(2026, 3, 5, 8, 0, 10), true);  // a Thursday
    auto menu = h.menu();
    EXPECT_EQ(header(menu),
              (std::vector<std::string>{"TO-DO", "Stretch", "   ~45 min",
                                        "   \xE2\x86\xBA every Monday, Thursday at 08:00, 17:30"}));
    EXPECT_TRUE(find(menu, "Snooze Current").enabled);
}

TEST(StatusMenu, RevivalSubmenusCarryIdsAndShowOnlyWhenNonEmpty) {
    ShellHarness h;
    auto ids = h.openDay({"A", "Talk", "Japanese"});
    h->setColor(ids[1], "#FF9F0A");
    h->snooze(ids[1], h.berlin(2026, 3, 5, 9, 0));
    auto menu = h.menu();
    EXPECT_THROW(find(menu, "Parked (0)"), std::runtime_error);
    const MenuItem& snoozed = find(menu, "Snoozed (1)");
    ASSERT_EQ(snoozed.submenu.size(), 1u);
    EXPECT_EQ(snoozed.submenu[0].title.rfind("Talk \xC2\xB7 ", 0), 0u);
    EXPECT_NE(snoozed.submenu[0].title.find("omorrow"), std::string::npos);
    EXPECT_EQ(snoozed.submenu[0].dotColorHex, "#FF9F0A");
    EXPECT_EQ(snoozed.submenu[0].action, A::wake);
    EXPECT_EQ(uuidPayload(snoozed.submenu[0].representedObject), ids[1]);

    h->park(ids[2]);
    menu = h.menu();
    const MenuItem& parked = find(menu, "Parked (1)");
    ASSERT_EQ(parked.submenu.size(), 1u);
    EXPECT_EQ(parked.submenu[0].action, A::unpark);
    EXPECT_EQ(uuidPayload(parked.submenu[0].representedObject), ids[2]);

    EXPECT_FALSE(uuidPayload(""));
    EXPECT_FALSE(uuidPayload("15m"));
}

TEST(StatusMenu, SnoozeOffersTheDefaultFirstAndShortcutsFollowChangedCombos) {
    ShellHarness h;
    h->startDay();
    const auto snooze = find(h.menu(), "Snooze Current").submenu;
    ASSERT_GE(snooze.size(), 2u);
    EXPECT_EQ(snooze.front().title, "Default: 1h");
    EXPECT_EQ(snooze.front().action, A::snoozeDefault);
    EXPECT_EQ(snooze.back().action, A::snoozeCustom);

    EXPECT_EQ(find(h.menu(), A::nextWithNewTask).shortcut, "Ctrl+Alt+Super+M");
    h.shortcuts.setCombo(HotKeyAction::next, KeyCombo{49, 0x0100 | 0x0200, "Space"});
    EXPECT_EQ(find(h.menu(), A::next).shortcut, "Shift+Super+Space");
    EXPECT_EQ(find(h.menu(), A::add).shortcut, "");
}

}  // namespace
}  // namespace cadro
