#include "support/ShellHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::ShellHarness;
using Titles = std::vector<std::string>;

const MenuItem& find(const std::vector<MenuItem>& menu, const std::string& title) {
    for (const auto& item : menu) {
        if (item.title == title)
            return item;
    }
    throw std::runtime_error("no item " + title);
}

const Titles kFooter = {"---", "Launch at Login", "Check for Updates\xE2\x80\xA6",
                        "Settings\xE2\x80\xA6", "Quit Cadro"};

Titles with(Titles head, const Titles& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(StatusMenu, ClosedDayOffersOnlyStartDayAndTheBrainDump) {
    ShellHarness h;
    h.addThread("A");
    h->addTodo("x", 5);
    auto menu = h.menu();
    EXPECT_EQ(ShellHarness::titles(menu),
              with({"Your day hasn't started", "---", "Start Day", "Open Brain Dump\xE2\x80\xA6"},
                   kFooter));
    EXPECT_FALSE(menu[0].enabled);
    EXPECT_EQ(menu[2].action, MenuAction::startDay);
    EXPECT_FALSE(find(menu, "Check for Updates\xE2\x80\xA6").enabled);  // no update checker
}

TEST(StatusMenu, ThreadMenuItemByItem) {
    ShellHarness h;
    auto a = h.addThread("Website", 2);
    h->setColor(a, "#8B7CF6");
    h->update(a, "Website", "  Write hero copy \n");
    h->setNextSteps(a, {"Pick screenshots", "Ship", "Tell Veda"});
    auto parked = h.addThread("Japanese");
    h->park(parked);
    h->startDay();
    auto menu = h.menu();
    EXPECT_EQ(
        ShellHarness::titles(menu),
        with({"Website", "   \xE2\x86\xB3 Write hero copy",
              "   next \xE2\x96\xB8 Pick screenshots (+2 more)", "   priority 2 \xC2\xB7 2 active",
              "---", "Next", "Next with New Task", "Next with Typed Task\xE2\x80\xA6",
              "Edit Current Step\xE2\x80\xA6", "---", "Add Thread\xE2\x80\xA6",
              "Add To-Do\xE2\x80\xA6", "Park Current Thread", "Snooze Current", "Parked (1)", "---",
              "Open Brain Dump\xE2\x80\xA6", "End Day"},
             kFooter));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(menu[i].enabled) << i;
    EXPECT_EQ(menu[0].dotColorHex, "#8B7CF6");
    EXPECT_TRUE(find(menu, "Park Current Thread").enabled);

    const MenuItem& parkedMenu = find(menu, "Parked (1)");
    ASSERT_EQ(parkedMenu.submenu.size(), 1u);
    EXPECT_EQ(parkedMenu.submenu[0].title, "Japanese");
    EXPECT_EQ(parkedMenu.submenu[0].action, MenuAction::unpark);
    EXPECT_EQ(uuidPayload(parkedMenu.submenu[0].representedObject), parked);

    const MenuItem& snooze = find(menu, "Snooze Current");
    EXPECT_EQ(ShellHarness::titles(snooze.submenu),
              (Titles{"Default: 1h", "---", "In 15 Minutes", "In 1 Hour", "In 3 Hours",
                      "This Evening (6 PM)", "Tomorrow Morning (9 AM)", "---",
                      "Specific Time\xE2\x80\xA6"}));
    EXPECT_EQ(snooze.submenu[6].representedObject, "tomorrow");
}

TEST(StatusMenu, HeaderWordingForStepsAndTheFirstRun) {
    ShellHarness h;
    h->startDay();
    auto menu = h.menu();
    EXPECT_EQ(menu[0].title, "Cadro");
    EXPECT_EQ(menu[1].title, "   \xE2\x86\xB3 Add your first thread");
    EXPECT_EQ(menu[2].title, "   1 active");

    auto a = h.addThread("Blank");
    h->startDay();
    ASSERT_EQ(h->currentID(), a);
    h->setNextSteps(a, {"only one"});
    menu = h.menu();
    EXPECT_EQ(menu[1].title, "   \xE2\x86\xB3 (no step yet, use Edit Current Step\xE2\x80\xA6)");
    EXPECT_EQ(menu[2].title, "   next \xE2\x96\xB8 only one");
}

TEST(StatusMenu, NoActiveThreadsDisablesTheThreadActions) {
    ShellHarness h;
    h->park(h->hygiene()->id);
    h->startDay();
    auto menu = h.menu();
    EXPECT_EQ(menu[0].title, "No active threads");
    for (const char* title :
         {"Next", "Park Current Thread", "Edit Current Step\xE2\x80\xA6", "Snooze Current"}) {
        EXPECT_FALSE(find(menu, title).enabled) << title;
    }
    EXPECT_TRUE(find(menu, "Snooze Current").submenu.empty());
    EXPECT_TRUE(find(menu, "Add Thread\xE2\x80\xA6").enabled);
}

TEST(StatusMenu, ToDoMenuShowsEstimateAndScheduleAndDoneIsNext) {
    ShellHarness h;
    h.addThread("A");
    h->startDay();
    TodoSchedule s{h.berlin(2026, 3, 2, 0, 0),
                   {{17, 30}, {8, 0}},
                   RepeatRule{1, RepeatUnit::week, {2, 5}, std::nullopt}};
    h->addTodo("Stretch", 45, s);
    h->processSchedules(h.berlin(2026, 3, 5, 8, 0, 10), true);  // a Thursday
    auto menu = h.menu();
    EXPECT_EQ(ShellHarness::titles(menu),
              with({"TO-DO", "Stretch", "   ~45 min",
                    "   \xE2\x86\xBA every Monday, Thursday at 08:00, 17:30", "---", "Done",
                    "Snooze Current", "---", "Open Brain Dump\xE2\x80\xA6", "End Day"},
                   kFooter));
    EXPECT_EQ(find(menu, "Done").action, MenuAction::next);
    EXPECT_TRUE(find(menu, "Snooze Current").enabled);
}

TEST(StatusMenu, ShortcutsFollowChangedCombosInTheShortcutColumn) {
    ShellHarness h;
    h->startDay();
    EXPECT_EQ(find(h.menu(), "Next with New Task").shortcut, "Ctrl+Alt+Super+M");
    KeyCombo shiftCmdSpace{49, 0x0100 | 0x0200, "Space"};
    h.shortcuts.setCombo(HotKeyAction::next, shiftCmdSpace);
    EXPECT_EQ(find(h.menu(), "Next").shortcut, "Shift+Super+Space");
    EXPECT_EQ(find(h.menu(), "Add Thread\xE2\x80\xA6").shortcut, "");
}

TEST(StatusMenu, SnoozedThreadsShowTheirWakeTimeAndSubmenusOnlyWhenNonEmpty) {
    ShellHarness h;
    auto a = h.addThread("A");
    auto talk = h.addThread("Talk");
    h->setColor(talk, "#FF9F0A");
    h->startDay();
    h->snooze(talk, h.berlin(2026, 3, 5, 9, 0));
    auto menu = h.menu();
    EXPECT_THROW(find(menu, "Parked (0)"), std::runtime_error);
    const MenuItem& snoozed = find(menu, "Snoozed (1)");
    ASSERT_EQ(snoozed.submenu.size(), 1u);
    EXPECT_EQ(snoozed.submenu[0].title.rfind("Talk \xC2\xB7 ", 0), 0u);
    EXPECT_NE(snoozed.submenu[0].title.find("omorrow"), std::string::npos);
    EXPECT_EQ(snoozed.submenu[0].dotColorHex, "#FF9F0A");
    EXPECT_EQ(snoozed.submenu[0].action, MenuAction::wake);
    (void)a;
}

TEST(StatusMenu, UuidPayloadAcceptsOnlyIds) {
    EXPECT_FALSE(uuidPayload(""));
    EXPECT_FALSE(uuidPayload("15m"));
    auto id = Uuid::random();
    EXPECT_EQ(uuidPayload(id.toString()), id);
}

}  // namespace
}  // namespace cadro
