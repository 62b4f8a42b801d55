#include "core/demo/DemoFixtures.h"
#include "core/demo/ScreenshotTour.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cadro {
namespace {

using testing::StoreHarness;

// The screenshot scenes need every tab filled, a day under way and a
// scheduled to-do; the sample must also survive a restart like real data.
TEST(DemoFixtures, FillsEveryTabStartsTheDayAndSurvivesARestart) {
    StoreHarness h;
    h.clock.set(h.berlin(2026, 3, 4, 9, 0));
    DemoFixtures::populate(h.store(), h.clock.now(), *h.calendar);

    auto& store = h.reopen();
    EXPECT_GT(store.state().active.size(), 2u);
    EXPECT_FALSE(store.state().parked.empty());
    ASSERT_FALSE(store.state().snoozed.empty());
    EXPECT_GT(*store.state().snoozed[0].snoozedUntil, h.clock.now());
    EXPECT_FALSE(store.state().brainDump.empty());
    EXPECT_TRUE(store.state().sessionOpen);
    ASSERT_TRUE(store.state().current());
    EXPECT_FALSE(store.state().currentIsHygiene());

    // The maintenance scene walks to the hygiene thread.
    advanceToHygiene(store);
    EXPECT_TRUE(store.state().currentIsHygiene());

    // A scheduled to-do comes up on its own when due.
    const auto scheduled = std::find_if(store.state().todos.begin(), store.state().todos.end(),
                                        [](const auto& todo) { return todo.schedule.has_value(); });
    ASSERT_NE(scheduled, store.state().todos.end());
    const std::string title = scheduled->title;
    const auto due = scheduled->schedule->nextOccurrence(h.clock.now(), *h.calendar);
    ASSERT_TRUE(due);
    store.processSchedules(*due + 20, true);
    ASSERT_TRUE(store.state().currentTodo());
    EXPECT_EQ(store.state().currentTodo()->title, title);
}

}  // namespace
}  // namespace cadro
