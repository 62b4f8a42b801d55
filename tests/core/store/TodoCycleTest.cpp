#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <map>

namespace cadro {
namespace {

using testing::StoreHarness;

struct TodoDay : StoreHarness {
    TodoDay() {
        a = addThread("A");
        b = addThread("B");
        store().startDay();
        store().setTodoChancePercent(100);
    }
    std::string upTitle() {
        const Todo* todo = store().currentTodo();
        return todo ? todo->title : "(thread " + currentTitle() + ")";
    }
    Uuid a, b;
};

TEST(ChanceDraw, ZeroAndNegativeEstimatesWeighLikeOneMinute) {
    TodoDay h;
    h->addTodo("zero", 0);
    h->addTodo("negative", -5);
    h->addTodo("one", 1);
    // Three equal weights: the draw splits [0, 1) into thirds.
    std::vector<std::string> picked;
    for (double r : {0.0, 0.32, 0.34, 0.65, 0.67, 0.999}) {
        h.random.values = {r};
        picked.push_back(h->weightedRandomTodo()->title);
    }
    EXPECT_EQ(picked,
              (std::vector<std::string>{"zero", "zero", "negative", "negative", "one", "one"}));
}

TEST(ChanceDraw, TenMinutesComeUpThreeTimesAsOftenAsThirty) {
    StoreHarness h;
    h->addTodo("ten", 10);
    h->addTodo("thirty", 30);
    SeededRandom seeded(42);  // fixed seed: the outcome is the same on every run
    auto deps = h.dependencies();
    deps.random = &seeded;
    deps.writesFile = false;
    ThreadStore store(h.folder(), deps);
    std::map<std::string, int> counts;
    for (int i = 0; i < 40000; ++i)
        ++counts[store.weightedRandomTodo()->title];
    double ratio = static_cast<double>(counts["ten"]) / counts["thirty"];
    EXPECT_NEAR(ratio, 3.0, 0.15);
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
    h->addTodo("small", 5);
    h->setTodoChancePercent(0);
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(h.upTitle(), "(thread B)");

    h->setTodoChancePercent(100);
    h.random.values = {0.999, 0.5};
    h->next();
    EXPECT_EQ(h.upTitle(), "small");
    EXPECT_EQ(h->currentID(), h.b);  // the thread stays underneath
}

TEST(ChanceDraw, ASuccessfulRollWithNothingEligibleFallsThroughToTheNextThread) {
    TodoDay h;
    h.random.values = {0.0};
    h->next();
    EXPECT_EQ(h.upTitle(), "(thread B)");
}

TEST(TodoCycle, NextOnAToDoFinishesItWithoutDrawingAnother) {
    TodoDay h;
    h->addTodo("one", 5);
    h->addTodo("two", 5);
    h.random.values = {0.0, 0.0};
    h->next();
    ASSERT_EQ(h.upTitle(), "one");
    auto slot = h->slot();
    h.random.values = {0.0, 0.0};
    h->next();  // done: "one" goes, and the next thread comes up
    EXPECT_EQ(h.upTitle(), "(thread B)");
    EXPECT_EQ(h->todos().size(), 1u);
    EXPECT_EQ(h->slot(), slot + 1);
}

TEST(TodoCycle, ADanglingCurrentToDoIdIsClearedByNext) {
    TodoDay h;
    auto id = *h->addTodo("gone", 5);
    h.random.values = {0.0, 0.0};
    h->next();
    ASSERT_EQ(h->currentTodoID(), id);
    h->removeTodo(id);
    EXPECT_FALSE(h->currentTodoID());
}

TEST(TodoEditing, TitlesAreTrimmedOnlyWhenAdded) {
    TodoDay h;
    EXPECT_FALSE(h->addTodo(" \n\t \xE2\x80\xA8"));
    EXPECT_TRUE(h->todos().empty());
    auto id = *h->addTodo("  Renew passport \n", 30);
    EXPECT_EQ(h->todo(id)->title, "Renew passport");
    h->updateTodo(id, "  spaced ");
    EXPECT_EQ(h->todo(id)->title, "  spaced ");
    h->setTodoMinutes(id, std::nullopt);
    EXPECT_FALSE(h->todo(id)->estimatedMinutes);
}

TEST(TodoEditing, ReplacingAScheduleClearsLastFiredEvenWhenItIsTheSame) {
    TodoDay h;
    TodoSchedule daily{h.clock.now(), {{13, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    auto id = *h->addTodo("water", 5, daily);
    h->processSchedules(h.clock.now() + 10, false);
    ASSERT_TRUE(h->todo(id)->lastFiredAt);
    h->setTodoSchedule(id, daily);
    EXPECT_FALSE(h->todo(id)->lastFiredAt);
    EXPECT_EQ(h->todo(id)->schedule, daily);
}

}  // namespace
}  // namespace cadro
