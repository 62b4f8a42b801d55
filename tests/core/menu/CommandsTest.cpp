#include "support/ShellHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::ShellHarness;
using Events = std::vector<std::string>;

struct OnThread : ShellHarness {
    std::vector<Uuid> ids = openDay({"Alpha", "Beta"});
    Uuid a = ids[0], b = ids[1];
};

TEST(Commands, ActionsThatNeedACurrentItemBeepAndChangeNothing) {
    ShellHarness h;
    h->park(h->hygiene()->id);
    h->startDay();
    auto state = h->persistedState();
    for (auto action :
         {MenuAction::next, MenuAction::nextWithNewTask, MenuAction::nextTypedTask,
          MenuAction::editStep, MenuAction::snoozeDefault, MenuAction::snoozeCustom}) {
        h.commands.run(action);
    }
    EXPECT_EQ(h.recorder.events, Events(6, "beep"));
    EXPECT_EQ(h->persistedState(), state);
}

TEST(Commands, NextWithNewTaskWalksThePlanElseAsksAndCancelChangesNothing) {
    OnThread h;
    h->setNextSteps(h.a, {"Ship"});
    h.commands.cmdNextWithNewTask();
    EXPECT_TRUE(h.recorder.events.empty());
    EXPECT_EQ(h->strand(h.a)->step, "Ship");
    EXPECT_EQ(h->currentID(), h.b);

    h->setCurrentStep("old");
    auto state = h->persistedState();
    h.commands.cmdNextWithNewTask();
    ASSERT_EQ(h.recorder.requests.size(), 1u);
    EXPECT_NE(h.recorder.requests[0].title.find("Beta"), std::string::npos);
    EXPECT_EQ(h->persistedState(), state);

    h.recorder.answers = {std::string("")};  // an empty answer clears the step and moves on
    h.commands.cmdNextWithNewTask();
    EXPECT_EQ(h->strand(h.b)->step, "");
    EXPECT_EQ(h.currentTitle(), "Cadro");
}

TEST(Commands, TypedTaskIsTrimmedThenMovesOnEditStepKeepsSpaces) {
    OnThread h;
    h.recorder.answers = {std::string("  Draft intro \n")};
    h.commands.cmdNextTypedTask();
    EXPECT_NE(h.recorder.requests[0].title.find("Alpha"), std::string::npos);
    EXPECT_EQ(h->strand(h.a)->step, "Draft intro");
    EXPECT_EQ(h->currentID(), h.b);

    h->setCurrentStep("current");
    h.recorder.answers = {std::string("  as typed  ")};
    h.commands.cmdEditStep();
    EXPECT_EQ(h.recorder.requests[1].initialText, "current");
    EXPECT_EQ(h->strand(h.b)->step, "  as typed  ");
    EXPECT_EQ(h->currentID(), h.b);  // no Next
}

TEST(Commands, TypedTaskBeepsWhileAToDoIsUpButNewTaskFinishesIt) {
    OnThread h;
    h->addTodo("Call", 5);
    h->setTodoChancePercent(100);
    h.random.values = {0.0, 0.0};
    h.commands.cmdNext();
    ASSERT_TRUE(h->currentTodo());
    h.commands.cmdNextTypedTask();
    EXPECT_EQ(h.recorder.events, Events{"beep"});
    h->setTodoChancePercent(0);
    h.commands.cmdNextWithNewTask();
    EXPECT_FALSE(h->currentTodo());
    EXPECT_TRUE(h->todos().empty());
}

TEST(Commands, ReachingTheHygieneThreadOpensTheSettingsWindow) {
    OnThread h;
    h.commands.cmdNext();  // Beta
    EXPECT_TRUE(h.recorder.events.empty());
    h.commands.cmdNext();  // Cadro
    EXPECT_EQ(h.recorder.events, Events{"settings"});
}

TEST(Commands, WindowActionsSetTheTabAndSheetFirst) {
    OnThread h;
    h.commands.cmdAdd();
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::active);
    EXPECT_EQ(h.ui.sheet(), SettingsSheet::add());
    h.commands.cmdAddTodo();
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::todo);
    EXPECT_EQ(h.ui.sheet(), SettingsSheet::addTodo());
    h.commands.cmdSnoozeCustom();
    EXPECT_EQ(h.ui.sheet(), SettingsSheet::snooze(h.a));
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::todo);  // unchanged
    h.commands.cmdStartDay();
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::brainDump);
    EXPECT_EQ(h.recorder.events, Events(4, "settings"));
}

TEST(Commands, SnoozeDefaultAndPresetsSnoozeTheCurrentItem) {
    OnThread h;
    h->setDefaultSnoozeMinutes(90);
    Date now = h.clock.now();
    h.commands.cmdSnoozeDefault();
    EXPECT_EQ(h->strand(h.a)->snoozedUntil, now + 5400);
    h.commands.cmdSnoozePreset("evening");  // 13:00 in Berlin: today at 18:00
    EXPECT_EQ(h->strand(h.b)->snoozedUntil, h.berlin(2026, 3, 4, 18, 0));
    auto state = h->persistedState();
    h.commands.cmdSnoozePreset("fortnight");
    EXPECT_EQ(h->persistedState(), state);
}

TEST(Commands, RevivalActionsIgnorePayloadsThatAreNotIds) {
    OnThread h;
    h->park(h.b);
    h.commands.cmdUnpark("not an id");
    EXPECT_EQ(h->kindOf(h.b), ThreadKind::parked);
    h.commands.run(MenuAction::unpark, h.b.toString());
    EXPECT_EQ(h->kindOf(h.b), ThreadKind::active);
}

TEST(Commands, UpdateAlertsNameTheVersionsAndOfferADownloadOnlyWhenThereIsOne) {
    EXPECT_TRUE(Commands::updateAlert(std::nullopt, "1.0").buttons.empty());
    auto current = Commands::updateAlert(UpdateCheckResult::upToDate(), "1.0");
    EXPECT_NE(current.informativeText.find("1.0"), std::string::npos);
    EXPECT_TRUE(current.buttons.empty());
    auto newer = Commands::updateAlert(
        UpdateCheckResult::available({"1.4.2", "https://example.org/cadro"}), "1.0");
    EXPECT_NE(newer.message.find("1.4.2"), std::string::npos);
    EXPECT_EQ(newer.buttons.size(), 2u);
}

}  // namespace
}  // namespace cadro
