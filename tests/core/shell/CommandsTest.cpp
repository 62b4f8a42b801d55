#include "support/ShellHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::ShellHarness;
using Events = std::vector<std::string>;

struct OnThread : ShellHarness {
    OnThread() {
        a = addThread("Alpha");
        b = addThread("Beta");
        store().startDay();
    }
    Uuid a, b;
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

TEST(Commands, NextWithNewTaskWalksThePlanWithoutAsking) {
    OnThread h;
    h->setNextSteps(h.a, {"Ship"});
    h.commands.cmdNextWithNewTask();
    EXPECT_TRUE(h.recorder.events.empty());
    EXPECT_EQ(h->strand(h.a)->step, "Ship");
    EXPECT_EQ(h->currentID(), h.b);
}

TEST(Commands, NextWithNewTaskAsksWhenThePlanIsEmptyAndCancelChangesNothing) {
    OnThread h;
    h->setCurrentStep("old");
    auto state = h->persistedState();
    h.commands.cmdNextWithNewTask();
    ASSERT_EQ(h.recorder.requests.size(), 1u);
    EXPECT_EQ(h.recorder.requests[0].title,
              "Next step for \xE2\x80\x9C"
              "Alpha\xE2\x80\x9D");
    EXPECT_EQ(h.recorder.requests[0].message,
              "No planned steps left. Type the next one, or leave empty to clear the current "
              "step.");
    EXPECT_EQ(h->persistedState(), state);

    h.recorder.answers = {std::string("")};  // an empty answer clears the step and moves on
    h.commands.cmdNextWithNewTask();
    EXPECT_EQ(h->strand(h.a)->step, "");
    EXPECT_EQ(h->currentID(), h.b);
}

TEST(Commands, TypedTaskIsTrimmedThenMovesOnEditStepKeepsSpaces) {
    OnThread h;
    h.recorder.answers = {std::string("  Draft intro \n")};
    h.commands.cmdNextTypedTask();
    EXPECT_EQ(h.recorder.requests[0].title,
              "New task for \xE2\x80\x9C"
              "Alpha\xE2\x80\x9D");
    EXPECT_EQ(h->strand(h.a)->step, "Draft intro");
    EXPECT_EQ(h->currentID(), h.b);

    h->setCurrentStep("current");
    h.recorder.answers = {std::string("  as typed  ")};
    h.commands.cmdEditStep();
    EXPECT_EQ(h.recorder.requests[1].initialText, "current");
    EXPECT_EQ(h.recorder.requests[1].message,
              "What are you working on right now? (Stays on this thread.)");
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
    EXPECT_EQ(h.defaults->getString(UIState::kSelectedTabKey), "brainDump");
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

TEST(Commands, UpdateAlertTexts) {
    EXPECT_EQ(
        Commands::updateAlert(std::nullopt, "1.0"),
        (AlertContent{"Couldn't check for updates", "Check your connection and try again.", {}}));
    EXPECT_EQ(Commands::updateAlert(UpdateCheckResult::upToDate(), "1.0"),
              (AlertContent{"You're up to date", "Cadro 1.0 is the latest version.", {}}));
    EXPECT_EQ(
        Commands::updateAlert(UpdateCheckResult::available({"1.4.2", "https://example.org/cadro"}),
                              ""),
        (AlertContent{"Cadro 1.4.2 is available", "You have Cadro .", {"Download", "Later"}}));
}

}  // namespace
}  // namespace cadro
