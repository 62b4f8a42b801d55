#include "core/settings/TodoText.h"

#include "core/schedule/ScheduleLabels.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro::testing {
namespace {

TEST(EstimateLabel, NamedChoicesElseMinutes) {
    EXPECT_EQ(estimateLabel(60), "1 hr");
    EXPECT_EQ(estimateLabel(45), "45 min");
}

TEST(TodoRowText, DescribesWhatTheRowShows) {
    StoreHarness h;
    const Date now = h.clock.now();
    const TodoSchedule daily{now, {{18, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    const Uuid id = *h->addTodo("Water the plants", 5, daily);

    TodoRowText text = describeTodoRow(h.store(), *h->todo(id), *h.calendar, now);
    EXPECT_EQ(text.title, "Water the plants");
    EXPECT_EQ(text.schedule, shortLabel(daily, *h.calendar));
    EXPECT_EQ(text.estimate, "5 min");
    EXPECT_EQ(text.until, std::nullopt);
    EXPECT_EQ(text.description, *text.schedule + ", 5 min");
    EXPECT_FALSE(text.isUp);

    // Snoozed: "Until" comes first, and goes once the time has passed.
    h->snoozeTodo(id, now + 3600);
    text = describeTodoRow(h.store(), *h->todo(id), *h.calendar, now);
    ASSERT_TRUE(text.until);
    EXPECT_EQ(text.until->rfind("Until ", 0), 0u);
    EXPECT_EQ(text.description.rfind(*text.until + ", ", 0), 0u);
    text = describeTodoRow(h.store(), *h->todo(id), *h.calendar, now + 3601);
    EXPECT_EQ(text.until, std::nullopt);
}

}  // namespace
}  // namespace cadro::testing
