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

std::string ringOrder(StoreHarness& h) {
    std::string order;
    for (const auto& s : h->active())
        order += s.title + " ";
    return order;
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

TEST(Cycle, EveryThreadPrioritisedAndNoneDueGivesTheLongestUnseen) {
    WorkedExample h;
    for (auto id : {h.a, h.c, h.d})
        h->remove(id);
    h->setPriority(h->hygiene()->id, 5);
    h->setPriority(h.b, 5);
    // Both just prioritised (no lastSlot): ring order; then neither is due
    // and the smaller lastSlot wins.
    EXPECT_EQ(pickTitles(h, 5), "B Cadro B Cadro B ");
}

TEST(Cycle, NeverShownThreadsComeInRingOrder) {
    WorkedExample h;
    h.addThread("E");
    h.addThread("F");
    EXPECT_EQ(pickTitles(h, 6), "B C D B E F ");
}

TEST(Cycle, NewThreadsJoinBeforeTheHygieneThreadOnlyWhileItIsLast) {
    StoreHarness h;
    h.addThread("A");
    h.addThread("B");
    EXPECT_EQ(ringOrder(h), "A B Cadro ");
    h->moveActive({2}, 0);
    h.addThread("C");
    EXPECT_EQ(ringOrder(h), "Cadro A B C ");
}

TEST(Cycle, ReseatingAfterADragFollowsTheNewOrderAndGivesTheCurrentTheNewestSlot) {
    WorkedExample h;
    h->next();  // B
    h->next();  // C
    std::int64_t slot = h->slot();
    h->moveActive({4}, 0);  // the hygiene thread to the top: M, A, B, C, D
    EXPECT_EQ(h->strand(h.c)->lastSlot, slot - 1);
    EXPECT_EQ(h->strand(h.b)->lastSlot, slot - 2);
    // The thread below C (D) comes next, then the ring wraps in its new order.
    EXPECT_EQ(pickTitles(h, 5), "D B Cadro A B ");
}

TEST(Cycle, HygieneThreadIsCreatedOnceAndItsOldStepRenamed) {
    StoreHarness h;
    ASSERT_EQ(h->active().size(), 1u);
    EXPECT_TRUE(h->active().front().isHygiene);
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
