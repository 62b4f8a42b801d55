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

// A, B (priority 2), C, D, then the hygiene thread; Start Day has made A current.
struct WorkedExample : StoreHarness {
    WorkedExample() {
        a = addThread("A");
        b = addThread("B", 2);
        c = addThread("C");
        d = addThread("D");
        store().startDay();
    }
    Uuid a, b, c, d;
};

TEST(Cycle, WorkedExampleOverTwoFullRounds) {
    WorkedExample h;
    ASSERT_EQ(h.currentTitle(), "A");
    EXPECT_EQ(pickTitles(h, 12), "B C D B Cadro A B C D B Cadro A ");
}

TEST(Cycle, SlotAdvancesOnEveryPickEvenWithOnlyTheHygieneThread) {
    WorkedExample h;
    for (auto id : {h.a, h.b, h.c, h.d})
        h->remove(id);
    auto before = h->slot();
    EXPECT_EQ(pickTitles(h, 3), "Cadro Cadro Cadro ");
    EXPECT_EQ(h->slot(), before + 3);
}

TEST(Cycle, NextWithTheDayClosedChangesNothing) {
    StoreHarness h;
    h.addThread("A");
    auto bytes = testing::readFile(h.file());
    auto state = h->persistedState();
    h->next();
    EXPECT_EQ(h->persistedState(), state);
    EXPECT_EQ(testing::readFile(h.file()), bytes);
}

TEST(Cycle, EveryThreadPrioritisedAndNoneDueGivesTheLongestUnseen) {
    WorkedExample h;
    for (auto id : {h.a, h.c, h.d})
        h->remove(id);
    // Ring: B (priority 2), hygiene. Give the hygiene thread a priority too.
    h->setPriority(h->hygiene()->id, 5);
    h->setPriority(h.b, 5);
    h->next();  // both lack lastSlot (just prioritised): B first in ring order
    EXPECT_EQ(h.currentTitle(), "B");
    h->next();
    EXPECT_EQ(h.currentTitle(), "Cadro");
    // Now neither is due (5 slots must pass): the smaller lastSlot wins.
    EXPECT_EQ(pickTitles(h, 3), "B Cadro B ");
}

TEST(Cycle, NeverShownThreadsComeInRingOrder) {
    WorkedExample h;
    auto e = h.addThread("E");
    auto f = h.addThread("F");
    (void)e;
    (void)f;
    // Never-shown threads tie and go in ring order; B returns when due.
    EXPECT_EQ(pickTitles(h, 6), "B C D B E F ");
}

TEST(Cycle, JoiningTheRingKeepsAHygieneThreadLast) {
    StoreHarness h;
    h.addThread("A");
    h.addThread("B");
    ASSERT_TRUE(h->active().back().isHygiene);
    EXPECT_EQ(h->active()[1].title, "B");

    // Dragged elsewhere, the hygiene thread no longer pins newcomers.
    h->moveActive({2}, 0);
    ASSERT_TRUE(h->active().front().isHygiene);
    h.addThread("C");
    EXPECT_EQ(h->active().back().title, "C");
}

TEST(Cycle, ReseatingAfterADragFollowsTheNewOrder) {
    WorkedExample h;
    h->next();  // B
    h->next();  // C
    ASSERT_EQ(h.currentTitle(), "C");
    // Drag the hygiene thread (last) to the top: ring is M, A, B, C, D.
    h->moveActive({4}, 0);
    ASSERT_EQ(h->active().front().title, "Cadro");
    // The thread below C (D) comes next, then the ring wraps in its new order,
    // B returning when due.
    EXPECT_EQ(pickTitles(h, 5), "D B Cadro A B ");
}

TEST(Cycle, ReseatGivesTheCurrentThreadTheNewestSlot) {
    WorkedExample h;
    h->next();  // B current
    std::int64_t slot = h->slot();
    h->moveActive({0}, 3);  // A moves below C: B, C, A, D, M
    for (const auto& s : h->active()) {
        if (s.title == "B") {
            EXPECT_EQ(s.lastSlot, slot - 1);
        }
        if (s.title == "C") {
            EXPECT_EQ(s.lastSlot, slot - 5);
        }
    }
}

TEST(Cycle, HygieneThreadIsCreatedOnceAndItsOldStepRenamed) {
    StoreHarness h;
    ASSERT_EQ(h->active().size(), 1u);
    const Strand& hygiene = h->active().front();
    EXPECT_TRUE(hygiene.isHygiene);
    EXPECT_EQ(hygiene.title, "Cadro");
    EXPECT_EQ(hygiene.step, "Maintenance");
    EXPECT_FALSE(h->hasOwnThreads());
    EXPECT_TRUE(std::filesystem::exists(h.file()));

    auto state = h->persistedState();
    state.active.front().step = "Brain dump \xE2\x80\x94 review & clear";
    state.active.front().title = "Housekeeping";
    state.parked = state.active;  // it may be parked as well
    state.active.clear();
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    ASSERT_EQ(h->parked().size(), 1u);
    EXPECT_TRUE(h->active().empty());
    EXPECT_EQ(h->parked().front().step, "Maintenance");
    EXPECT_EQ(h->parked().front().title, "Housekeeping");

    state.parked.front().step = "Something else";
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_EQ(h->parked().front().step, "Something else");
}

}  // namespace
}  // namespace cadro
