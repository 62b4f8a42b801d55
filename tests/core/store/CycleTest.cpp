#include "core/actions/Actions.h"
#include "core/store/StoreFormat.h"
#include "core/store/TodoFinish.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;

std::string pickTitles(StoreHarness& h, int presses) {
    std::string seen;
    for (int i = 0; i < presses; ++i) {
        h->next();
        seen += h.currentTitle() + " ";
    }
    return seen;
}

// A, B (priority 2), C, D, then the hygiene thread; Start Day has made A
// current. `cadro next` walks it through two full rounds in the CLI tests.
struct WorkedExample : StoreHarness {
    WorkedExample() { store().reviseThread(ids[1], {.priority = 2}); }
    std::vector<Uuid> ids = openDay({"A", "B", "C", "D"});
};

// A, B, C and the hygiene thread; A current.
struct DayWithThreads : StoreHarness {
    std::vector<Uuid> ids = openDay({"A", "B", "C"});
    Uuid a = ids[0], b = ids[1], c = ids[2];
};

TEST(Cycle, WithEveryThreadPrioritisedTheLongestUnseenWinsAndTheSlotAlwaysAdvances) {
    WorkedExample h;
    for (auto id : {h.ids[0], h.ids[2], h.ids[3]})
        h->remove(id);
    h->reviseThread(h->state().hygiene()->id, {.priority = 5});
    h->reviseThread(h.ids[1], {.priority = 5});
    // Both just prioritised (no lastSlot): ring order; then neither is due
    // and the smaller lastSlot wins.
    EXPECT_EQ(pickTitles(h, 5), "B Cadro B Cadro B ");

    h->remove(h.ids[1]);
    auto before = h->state().slot;
    EXPECT_EQ(pickTitles(h, 3), "Cadro Cadro Cadro ");
    EXPECT_EQ(h->state().slot, before + 3);
}

TEST(Cycle, APrioritisedThreadWaitsForItsTurnEvenWhenLongestUnseen) {
    StoreHarness h;
    const auto ids = h.openDay({"P", "Q"});
    h->reviseThread(ids[0], {.priority = 20});
    EXPECT_EQ(pickTitles(h, 5), "P Q Cadro Q Cadro ");
}

TEST(Cycle, NeverShownThreadsComeInRingOrder) {
    WorkedExample h;
    h.addThread("E");
    h.addThread("F");
    EXPECT_EQ(pickTitles(h, 6), "B C D B E F ");
}

TEST(Cycle, ReseatingAfterADragFollowsTheNewOrderAndGivesTheCurrentTheNewestSlot) {
    WorkedExample h;
    h->next();  // B
    h->next();  // C
    std::int64_t slot = h->state().slot;
    h->moveActive({4}, 0);  // the hygiene thread to the top: M, A, B, C, D
    EXPECT_EQ(h->state().strand(h.ids[2])->lastSlot, slot - 1);
    EXPECT_EQ(h->state().strand(h.ids[1])->lastSlot, slot - 2);
    // The thread below C (D) comes next, then the ring wraps in its new order.
    EXPECT_EQ(pickTitles(h, 5), "D B Cadro A B ");
}

TEST(Cycle, ANewStoreHasOnlyTheHygieneThreadWhoseOldStepIsRenamed) {
    StoreHarness h;
    EXPECT_EQ(h.titles(), "Cadro ");
    EXPECT_FALSE(h->state().hasOwnThreads());
    EXPECT_FALSE(h->state().sessionOpen);

    auto state = h->state();
    state.active.front().step = "Brain dump \xE2\x80\x94 review & clear";
    state.active.front().title = "Housekeeping";
    state.parked = state.active;  // it may be parked as well
    state.active.clear();
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_EQ(h.titles(ThreadKind::parked), "Housekeeping ");
    EXPECT_EQ(h->state().parked.front().step, "Maintenance");

    state.parked.front().step = "Something else";
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_EQ(h->state().parked.front().step, "Something else");
}

TEST(Editing, RemovingTheCurrentThreadPicksTheNextAndTheHygieneThreadStaysInAnyList) {
    DayWithThreads h;
    ASSERT_EQ(h->state().active[2].id, h.c);
    h->remove(h->state().active[2].id);  // an id held in the list itself
    EXPECT_EQ(h.currentTitle(), "A");
    h->remove(h.a);
    EXPECT_EQ(h.currentTitle(), "B");
    const Uuid hygiene = h->state().hygiene()->id;
    h->remove(hygiene);
    h->park(hygiene);
    h->remove(hygiene);
    EXPECT_EQ(h.titles(), "B ");
    EXPECT_EQ(h.titles(ThreadKind::parked), "Cadro ");
}

TEST(Editing, StepsWalkThePlanAndEditsReachWhicheverListHoldsTheThread) {
    StoreHarness h;
    auto a = h.addThread("A");
    h->reviseThread(a, {.nextSteps = std::vector<std::string>{"first", "second"}});
    EXPECT_TRUE(h->advanceCurrentStep());
    EXPECT_EQ(h->state().strand(a)->step, "first");
    EXPECT_TRUE(h->advanceCurrentStep());
    auto bytes = testing::readFile(h.file());
    EXPECT_FALSE(h->advanceCurrentStep());
    EXPECT_EQ(h->state().strand(a)->step, "second");
    EXPECT_EQ(testing::readFile(h.file()), bytes);

    // Titles are stored as given, in whichever list.
    h->park(a);
    h->reviseThread(a, {.title = " Renamed ", .step = ""});
    EXPECT_EQ(h->state().strand(a)->title, " Renamed ");
    actions::setCurrentStep(h.store(), "ignored");  // nothing current in the ring now
    EXPECT_EQ(h->state().strand(a)->step, "");
}

TEST(Editing, PriorityIsAtLeastOneAndMakesAnActiveThreadDueAtOnce) {
    DayWithThreads h;
    h->next();  // B
    h->next();  // C
    h->reviseThread(h.b, {.priority = 0});
    EXPECT_EQ(h->state().strand(h.b)->priority, 1);
    h->next();
    EXPECT_EQ(h.currentTitle(), "B");
    h->reviseThread(h.b, {.priority = -4});
    EXPECT_EQ(h->state().strand(h.b)->priority, 1);

    h->park(h.c);
    h->next();
    auto parkedSlot = h->state().strand(h.c)->lastSlot;
    h->reviseThread(h.c, {.priority = 3});  // parked: only the priority changes
    EXPECT_EQ(h->state().strand(h.c)->lastSlot, parkedSlot);
}

TEST(Editing, MovedRowsKeepTheirOrderAndNewThreadsJoinBeforeTheHygieneThreadWhileItIsLast) {
    StoreHarness h;
    for (const char* t : {"A", "B", "C", "D"})
        h.addThread(t);
    h->moveActive({0, 2}, 4);  // A and C before the hygiene thread
    EXPECT_EQ(h.titles(), "B D A C Cadro ");
    h.addThread("E");
    EXPECT_EQ(h.titles(), "B D A C E Cadro ");
    h->moveActive({5}, 0);  // the hygiene thread to the top
    h.addThread("F");
    EXPECT_EQ(h.titles(), "Cadro B D A C E F ");
}

TEST(Editing, ObserversHearEachChangedPropertyOncePerOperation) {
    StoreHarness h;
    auto a = h.addThread("A");
    std::vector<StoreProperty> heard;
    auto sub = h->subscribe([&](StoreProperty p) { heard.push_back(p); });
    h->park(a);
    EXPECT_EQ(heard, (std::vector<StoreProperty>{StoreProperty::active, StoreProperty::parked,
                                                 StoreProperty::currentID}));
    heard.clear();
    h->startDay();  // the hygiene thread, current already, starts the round
    EXPECT_EQ(heard,
              (std::vector<StoreProperty>{StoreProperty::active, StoreProperty::sessionOpen}));
    heard.clear();
    h->wakeDueSnoozes(true);
    EXPECT_TRUE(heard.empty());
}

TEST(Parking, ParkingTheCurrentThreadPicksANewOneAndUnparkingRejoinsBeforeHygiene) {
    DayWithThreads h;
    h->park(*h->state().currentID);
    EXPECT_EQ(h.currentTitle(), "B");
    h->park(h.c);  // not current: only moves
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(h.titles(ThreadKind::parked), "A C ");

    h->unpark(h.a);
    EXPECT_EQ(h.titles(), "B A Cadro ");
    EXPECT_FALSE(h->state().strand(h.a)->lastSlot);  // comes up ahead of shown threads
    h->next();
    EXPECT_EQ(h.currentTitle(), "A");

    // After End Day unparking makes a thread current, but Next stays ignored.
    h->endDay();
    h->unpark(h.c);
    auto picked = h->state().currentID;
    ASSERT_TRUE(picked);
    EXPECT_FALSE(h->state().sessionOpen);
    h->next();
    EXPECT_EQ(h->state().currentID, picked);
}

TEST(Parking, UnknownOrWrongListIdsAndAPassThatWakesNothingWriteNothing) {
    DayWithThreads h;
    h->snooze(h.c, h.clock.now() + 600);
    auto bytes = testing::readFile(h.file());
    auto mtime = std::filesystem::last_write_time(h.file());
    h->park(Uuid::random());
    h->unpark(h.b);  // active, not parked
    h->wake(h.b);    // active, not snoozed
    h->snooze(Uuid::random(), h.clock.now());
    h->wakeDueSnoozes(true);
    EXPECT_EQ(std::filesystem::last_write_time(h.file()), mtime);
    EXPECT_EQ(testing::readFile(h.file()), bytes);
}

TEST(Snoozing, SnoozingTheCurrentThreadPicksAtOnceOthersOnlyMoveAndWakingPicksWhenNoneIs) {
    DayWithThreads h;
    h->snooze(h.c, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "A");
    h->snooze(h.a, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(h.titles(ThreadKind::snoozed), "C A ");
    h->wake(h.c);  // rejoins the ring before the hygiene thread
    EXPECT_EQ(h.titles(), "B C Cadro ");
    EXPECT_FALSE(h->state().strand(h.c)->snoozedUntil);

    // Waking with nothing current in an open day picks the woken thread, and
    // saves the pick.
    for (auto id : {h.b, h.c, h->state().hygiene()->id})
        h->snooze(id, h.clock.now() + 30);
    EXPECT_FALSE(h->state().currentID);
    h.clock.advance(30);       // exactly due
    h->wakeDueSnoozes(false);  // the pick is saved even so
    h.reopen();
    EXPECT_EQ(h.currentTitle(), "B");
}

TEST(Snoozing, DueThreadsWakeInSnoozeOrderBeforeHygieneAndComeUpFirst) {
    DayWithThreads h;
    h->next();  // B
    h->snooze(h.c, h.clock.now() + 60);
    h->snooze(h.a, h.clock.now() + 60);
    h.clock.advance(61);
    h->next();  // wakes them first
    EXPECT_EQ(h.titles(), "B C A Cadro ");
    EXPECT_FALSE(h->state().strand(h.a)->snoozedUntil);
    EXPECT_EQ(h.currentTitle(), "C");
    h->next();
    EXPECT_EQ(h.currentTitle(), "A");
}

struct TodoDay : StoreHarness {
    TodoDay() { store().setPreferences({.todoChancePercent = 100}); }
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
            EXPECT_EQ(weightedRandomTodo(h->state().todos, Date{}, roll)->title, picked) << roll;
        }
    }
}

TEST(ChanceDraw, ScheduledAndFutureSnoozedToDosAreNeverDrawnButAPassedSnoozeIs) {
    TodoDay h;
    TodoSchedule daily{h.clock.now(), {{9, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    h->addTodo("scheduled", 1, daily);
    auto later = *h->addTodo("later", 1);
    auto passed = *h->addTodo("passed", 30);
    h->snooze(later, h.clock.now() + 60);
    h->snooze(passed, h.clock.now() + 60);
    h.clock.advance(30);
    for (double r = 0; r < 1; r += 0.05)
        EXPECT_FALSE(weightedRandomTodo(h->state().todos, h.clock.now(), r)) << r;
    h.clock.advance(31);  // both snoozes passed; no wake-up pass has run
    EXPECT_EQ(weightedRandomTodo(h->state().todos, h.clock.now(), 0.0)->title, "later");
    EXPECT_TRUE(h->state().todo(later)->snoozedUntil);
}

TEST(ChanceDraw, ChanceZeroNeverHundredAlwaysAndNextOnAToDoDrawsNoOther) {
    TodoDay h;
    h.random.values = {0.0};
    h->next();  // a roll that succeeds with nothing eligible falls through
    EXPECT_EQ(h.up(), "thread B");
    auto small = *h->addTodo("small", 5);
    h->setPreferences({.todoChancePercent = 0});
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(h.up(), "thread Cadro");

    h->setPreferences({.todoChancePercent = 100});
    h.random.values = {0.999, 0.5};
    h->next();
    EXPECT_EQ(h.up(), "small");
    EXPECT_EQ(h->state().currentID, h->state().hygiene()->id);  // the thread stays underneath

    // Next on a to-do finishes it and brings up the next thread, drawing no other.
    h->addTodo("two", 5);
    auto slot = h->state().slot;
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(h.up(), "thread A");
    EXPECT_FALSE(h->state().todo(small));
    EXPECT_EQ(h->state().slot, slot + 1);
}

TEST(TodoEditing, TitlesAreTrimmedOnlyWhenAddedAndANewScheduleFiresAfresh) {
    TodoDay h;
    EXPECT_FALSE(h->addTodo(" \n\t \xE2\x80\xA8"));
    EXPECT_TRUE(h->state().todos.empty());
    auto id = *h->addTodo("  Renew passport \n", 30);
    EXPECT_EQ(h->state().todo(id)->title, "Renew passport");
    h->reviseTodo(id, {.title = "  spaced "});
    EXPECT_EQ(h->state().todo(id)->title, "  spaced ");

    // Replacing a schedule clears lastFiredAt, even with the same schedule.
    TodoSchedule daily{h.clock.now(), {{13, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    h->reviseTodo(id, {.schedule = daily});
    h->processSchedules(h.clock.now() + 10, false);
    ASSERT_TRUE(h->state().todo(id)->lastFiredAt);
    h->reviseTodo(id, {.schedule = daily});
    EXPECT_FALSE(h->state().todo(id)->lastFiredAt);
}

// The day is open on 2026-03-04 in Berlin with A, B and C, the user is on A.
struct FiringDay : DayWithThreads {
    FiringDay() { store().setPreferences({.todoChancePercent = 0}); }
    TodoSchedule at(int hour, int minute, bool daily = false) {
        TodoSchedule s{berlin(2026, 3, 4, 0, 0), {{hour, minute}}, std::nullopt};
        if (daily)
            s.repeatRule = RepeatRule{1, RepeatUnit::day, {}, {}};
        return s;
    }
    void tick(bool canPresent = true) { store().processSchedules(clock.now(), canPresent); }
    // Sets the clock to March `day` at the given Berlin time, then ticks.
    void tickAt(int day, int hour, int minute, int second = 0, bool canPresent = true) {
        clock.set(berlin(2026, 3, day, hour, minute, second));
        tick(canPresent);
    }
};

TEST(ScheduleFiring, FiresWithinAMinuteOnceAndNeverLate) {
    FiringDay h;
    auto id = *h->addTodo("stretch", 5, h.at(14, 0, true));
    h.tickAt(4, 13, 59, 59);
    EXPECT_EQ(h.up(), "thread A");
    h.tickAt(4, 14, 0, 30);
    EXPECT_EQ(h.up(), "stretch");
    EXPECT_EQ(h->state().todo(id)->lastFiredAt, h.berlin(2026, 3, 4, 14, 0));
    h->next();  // done: back to A, the repeating to-do stays
    EXPECT_EQ(h.up(), "thread A");
    ASSERT_TRUE(h->state().todo(id));
    h.clock.advance(30);  // 14:01:00, still inside the window of the same occurrence
    h.tick();
    EXPECT_EQ(h.up(), "thread A");

    // Tomorrow the app was not running at 14:00: 61 s late is too late.
    h.tickAt(5, 14, 1, 1);
    EXPECT_EQ(h.up(), "thread A");
    h.tickAt(6, 14, 1);  // exactly 60 s: still fires
    EXPECT_EQ(h.up(), "stretch");
}

TEST(ScheduleFiring, WaitsWhileItMayNotPresentThenShowsAtTheFirstAllowedCall) {
    FiringDay h;
    auto id = *h->addTodo("call mum", 10, h.at(14, 0));
    auto gone = *h->addTodo("removed meanwhile", 10, h.at(14, 0));
    h.tickAt(4, 14, 0, 5, false);
    EXPECT_EQ(h.up(), "thread A");
    EXPECT_TRUE(h->state().pendingScheduledTodoIDs.count(id));
    h->remove(gone);
    EXPECT_EQ(h->state().pendingScheduledTodoIDs, std::set<Uuid>{id});
    h.tickAt(4, 14, 7, 0, false);  // long after the window
    EXPECT_EQ(h.up(), "thread A");
    h.tick(true);
    EXPECT_EQ(h.up(), "call mum");
    h.reopen();  // it fired once, and that was saved
    EXPECT_EQ(h->state().todo(id)->lastFiredAt, h.berlin(2026, 3, 4, 14, 0));
}

TEST(ScheduleFiring, NoneFiresInAClosedDayAndTwoDueShowInListOrderTheFirstSetAsideMeanwhile) {
    FiringDay h;
    h->setPreferences({.defaultSnoozeMinutes = 30});
    auto first = *h->addTodo("first", 5, h.at(14, 0));
    h->addTodo("second", 5, h.at(14, 0));
    h->endDay();
    h.clock.set(h.berlin(2026, 3, 4, 14, 0, 10));
    auto bytes = testing::readFile(h.file());
    h.tick();
    EXPECT_EQ(testing::readFile(h.file()), bytes);
    h->startDay();
    h.tick();  // still within the minute, the day open now: fires
    EXPECT_EQ(h.up(), "first");
    h.clock.advance(30);
    h.tick();
    EXPECT_EQ(h.up(), "second");
    EXPECT_EQ(h->state().todo(first)->snoozedUntil, h.berlin(2026, 3, 4, 14, 30, 40));
    EXPECT_FALSE(h->state().interruptedTodoID);
}

TEST(ScheduleFiring, AnInterruptedChanceToDoComesBackUnlessItWasSnoozedMeanwhile) {
    for (bool snoozed : {false, true}) {
        SCOPED_TRACE(snoozed);
        FiringDay h;
        auto chance = *h->addTodo("chance", 5);  // drawn between A and B
        h->setPreferences({.todoChancePercent = 100});
        h.random.values = {0.0, 0.0};
        h->next();
        h->setPreferences({.todoChancePercent = 0});
        h->addTodo("meds", 1, h.at(14, 0));
        h.tickAt(4, 14, 0, 20);
        EXPECT_EQ(h.up(), "meds");
        if (snoozed)
            h->snooze(chance, h.clock.now() + 600);
        h->next();
        EXPECT_EQ(h.up(), snoozed ? "thread A" : "chance");
        EXPECT_FALSE(h->state().interruptedTodoID);
        h->next();  // the chance to-do sat between threads: moving on
        EXPECT_EQ(h.up(), "thread B");
    }
}

TEST(ScheduleFiring, FinishingReturnsToTheSameThreadOrPicksWhenItWasParked) {
    FiringDay h;
    auto oneOff = *h->addTodo("once", 5, h.at(14, 0));
    h.tickAt(4, 14, 0);
    auto slot = h->state().slot;
    h->next();
    EXPECT_EQ(h.up(), "thread A");
    EXPECT_EQ(h->state().slot, slot);       // the cycle did not move
    EXPECT_FALSE(h->state().todo(oneOff));  // a one-off is gone when done

    h->addTodo("again", 5, h.at(15, 0));
    h.tickAt(4, 15, 0);
    h->park(h.a);
    h->next();
    EXPECT_EQ(h.up(), "thread B");

    // A one-off with a later time today stays when done.
    TodoSchedule twice{h.berlin(2026, 3, 4, 0, 0), {{16, 0}, {18, 0}}, std::nullopt};
    auto meds = *h->addTodo("meds", 1, twice);
    h.tickAt(4, 16, 0);
    ASSERT_EQ(h.up(), "meds");
    h->next();
    EXPECT_TRUE(h->state().todo(meds));
    // Removing it while it is up moves on the same way.
    h.tickAt(4, 18, 0);
    ASSERT_EQ(h.up(), "meds");
    h->remove(meds);
    EXPECT_EQ(h.up(), "thread B");
}

TEST(ScheduleFiring, ASnoozedScheduledToDoComesBackAtItsTimeWithTheSnoozeCleared) {
    FiringDay h;
    auto id = *h->addTodo("report", 30, h.at(14, 0));
    h.tickAt(4, 14, 0);
    h->snooze(id, h.berlin(2026, 3, 4, 15, 0));
    EXPECT_EQ(h.up(), "thread A");  // scheduled: back to the same thread
    h.tickAt(4, 14, 59, 59);
    EXPECT_EQ(h.up(), "thread A");
    h->wakeDueSnoozes(true);  // the general pass leaves scheduled snoozes alone
    h.clock.set(h.berlin(2026, 3, 4, 15, 0, 10));
    h->wakeDueSnoozes(true);
    EXPECT_TRUE(h->state().todo(id)->snoozedUntil);
    h.tick();
    EXPECT_EQ(h.up(), "report");
    EXPECT_FALSE(h->state().todo(id)->snoozedUntil);
}

TEST(FinishingAToDo, FinishesTheTimeThatWaitsElseOneUnseenTodayElseTheNext) {
    auto calendar = Calendar::make("Europe/Berlin", "en_US");
    auto at = [&](int day, int hour, int minute = 0) {
        return *calendar->compose(2026, 3, day, hour, minute, 0);
    };
    const TodoSchedule once{at(4, 0), {{12, 35}}, std::nullopt};
    const TodoSchedule daily{at(1, 0), {{9, 0}}, RepeatRule{}};
    struct Row {
        const char* name;
        std::optional<TodoSchedule> schedule;
        std::optional<Date> lastFiredAt;
        bool waiting;
        Date now;
        TodoFinish finish;
    } rows[] = {
        {"one-off passed unseen", once, {}, false, at(4, 13), {at(4, 12, 35), {}}},
        {"one-off shown, snoozed", once, at(4, 12, 35), true, at(4, 13), {at(4, 12, 35), {}}},
        {"daily, today's passed unseen", daily, at(3, 9), false, at(4, 10), {at(4, 9), at(5, 9)}},
        {"daily, yesterday's unseen", daily, at(2, 9), false, at(4, 8), {at(4, 9), at(5, 9)}},
        {"daily, today's done already", daily, at(4, 9), false, at(4, 10), {at(5, 9), at(6, 9)}},
    };
    for (const auto& row : rows) {
        const Todo todo{{}, "", {}, {}, {}, row.schedule, row.lastFiredAt};
        EXPECT_EQ(planFinish(todo, row.waiting, row.now, *calendar), row.finish) << row.name;
    }
}

}  // namespace
}  // namespace cadro
