#include "core/actions/Actions.h"
#include "core/store/StoreFormat.h"
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

TEST(Snoozing, SnoozingTheCurrentThreadPicksAtOnceOthersOnlyMove) {
    DayWithThreads h;
    h->snooze(h.c, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "A");
    h->snooze(h.a, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(h.titles(ThreadKind::snoozed), "C A ");
    h->wake(h.c);  // rejoins the ring before the hygiene thread
    EXPECT_EQ(h.titles(), "B C Cadro ");
    EXPECT_FALSE(h->state().strand(h.c)->snoozedUntil);
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

TEST(Snoozing, WakingWithNothingCurrentInAnOpenDayPicksTheWokenThreadAndSavesIt) {
    DayWithThreads h;
    for (auto id : {h.a, h.b, h.c, h->state().hygiene()->id})
        h->snooze(id, h.clock.now() + 30);
    EXPECT_FALSE(h->state().currentID);
    h.clock.advance(30);       // exactly due
    h->wakeDueSnoozes(false);  // the pick is saved even so
    h.reopen();
    EXPECT_EQ(h.currentTitle(), "A");
}

}  // namespace
}  // namespace cadro
