#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;

struct TodoDay : StoreHarness {
    TodoDay() { store().setTodoChancePercent(100); }
    std::string upTitle() {
        const Todo* todo = store().currentTodo();
        return todo ? todo->title : "(thread " + currentTitle() + ")";
    }
    std::vector<Uuid> ids = openDay({"A", "B"});
};

// Weight is one over the estimate: at least one minute, no estimate as 30.
TEST(ChanceDraw, ShorterToDosComeUpMoreOften) {
    using Estimate = std::optional<std::int64_t>;
    struct Case {
        std::vector<std::pair<std::string, Estimate>> todos;
        std::vector<std::pair<double, std::string>> picks;  // roll, to-do drawn
    } cases[] = {
        {{{"zero", 0}, {"negative", -5}, {"one", 1}},
         {{0.32, "zero"}, {0.34, "negative"}, {0.67, "one"}}},
        {{{"ten", 10}, {"thirty", 30}}, {{0.74, "ten"}, {0.76, "thirty"}}},
        {{{"none", std::nullopt}, {"thirty", 30}}, {{0.49, "none"}, {0.51, "thirty"}}},
    };
    for (const auto& c : cases) {
        StoreHarness h;
        for (const auto& [title, minutes] : c.todos)
            h->addTodo(title, minutes);
        for (const auto& [roll, picked] : c.picks) {
            h.random.values = {roll};
            EXPECT_EQ(h->weightedRandomTodo()->title, picked) << roll;
        }
    }
}

TEST(ChanceDraw, ScheduledAndFutureSnoozedToDosAreNeverDrawnButAPassedSnoozeIs) {
    TodoDay h;
    TodoSchedule daily{h.clock.now(), {{9, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    h->addTodo("scheduled", 1, daily);
    auto later = *h->addTodo("later", 1);
    auto passed = *h->addTodo("passed", 30);
    h->snoozeTodo(later, h.clock.now() + 60);
    h->snoozeTodo(passed, h.clock.now() + 60);
    h.clock.advance(30);
    for (double r = 0; r < 1; r += 0.05) {
        h.random.values = {r};
        EXPECT_FALSE(h->weightedRandomTodo()) << r;  // only snoozed or scheduled
    }
    h.clock.advance(31);  // both snoozes passed; no wake-up pass has run
    h.random.values = {0.0};
    EXPECT_EQ(h->weightedRandomTodo()->title, "later");
    EXPECT_TRUE(h->todo(later)->snoozedUntil);
}

TEST(ChanceDraw, ChanceZeroNeverAndHundredAlwaysWhenSomethingIsEligible) {
    TodoDay h;
    h.random.values = {0.0};
    h->next();  // a roll that succeeds with nothing eligible falls through
    EXPECT_EQ(h.upTitle(), "(thread B)");
    h->addTodo("small", 5);
    h->setTodoChancePercent(0);
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(h.upTitle(), "(thread Cadro)");

    h->setTodoChancePercent(100);
    h.random.values = {0.999, 0.5};
    h->next();
    EXPECT_EQ(h.upTitle(), "small");
    EXPECT_EQ(h->currentID(), h->hygiene()->id);  // the thread stays underneath
}

TEST(TodoCycle, NextOnAToDoFinishesItWithoutDrawingAnother) {
    TodoDay h;
    auto one = *h->addTodo("one", 5);
    h->addTodo("two", 5);
    h.random.values = {0.0, 0.0};
    h->next();
    ASSERT_EQ(h.upTitle(), "one");
    auto slot = h->slot();
    h.random.values = {0.0, 0.0};
    h->next();  // done: "one" goes, and the next thread comes up
    EXPECT_EQ(h.upTitle(), "(thread B)");
    EXPECT_EQ(h->todos().size(), 1u);
    EXPECT_FALSE(h->todo(one));
    EXPECT_EQ(h->slot(), slot + 1);

    h.random.values = {0.0, 0.0};
    h->next();
    auto two = *h->currentTodoID();
    h->removeTodo(two);
    EXPECT_FALSE(h->currentTodoID());
}

TEST(TodoEditing, TitlesAreTrimmedOnlyWhenAddedAndANewScheduleFiresAfresh) {
    TodoDay h;
    EXPECT_FALSE(h->addTodo(" \n\t \xE2\x80\xA8"));
    EXPECT_TRUE(h->todos().empty());
    auto id = *h->addTodo("  Renew passport \n", 30);
    EXPECT_EQ(h->todo(id)->title, "Renew passport");
    h->updateTodo(id, "  spaced ");
    EXPECT_EQ(h->todo(id)->title, "  spaced ");
    h->setTodoMinutes(id, std::nullopt);
    EXPECT_FALSE(h->todo(id)->estimatedMinutes);

    // Replacing a schedule clears lastFiredAt, even with the same schedule.
    TodoSchedule daily{h.clock.now(), {{13, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    h->setTodoSchedule(id, daily);
    h->processSchedules(h.clock.now() + 10, false);
    ASSERT_TRUE(h->todo(id)->lastFiredAt);
    h->setTodoSchedule(id, daily);
    EXPECT_FALSE(h->todo(id)->lastFiredAt);
    EXPECT_EQ(h->todo(id)->schedule, daily);
}

}  // namespace
}  // namespace cadro
