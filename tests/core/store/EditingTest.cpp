#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;

TEST(Editing, TheHygieneThreadCannotBeRemovedFromAnyList) {
    StoreHarness h;
    h.addThread("A");
    Uuid hygiene = h->hygiene()->id;
    h->remove(hygiene);
    ASSERT_TRUE(h->strand(hygiene));
    h->park(hygiene);
    h->remove(hygiene);
    EXPECT_EQ(h->kindOf(hygiene), ThreadKind::parked);
}

TEST(Editing, RemovingTheCurrentThreadPicksTheNextOthersLeaveItAlone) {
    StoreHarness h;
    auto ids = h.openDay({"A", "B", "C"});
    h->remove(ids[2]);
    EXPECT_EQ(h.currentTitle(), "A");
    h->remove(ids[0]);
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_FALSE(h->strand(ids[0]));
}

TEST(Editing, StepsWalkThePlanAndAreStoredAsGivenInWhicheverListHoldsThem) {
    StoreHarness h;
    auto a = h.addThread("A");
    h->setNextSteps(a, {"first", "second"});
    ASSERT_EQ(h->currentID(), a);
    EXPECT_TRUE(h->advanceCurrentStep());
    EXPECT_EQ(h->strand(a)->step, "first");
    EXPECT_EQ(h->strand(a)->nextSteps, std::vector<std::string>{"second"});
    EXPECT_TRUE(h->advanceCurrentStep());
    EXPECT_EQ(h->strand(a)->step, "second");
    auto bytes = testing::readFile(h.file());
    EXPECT_FALSE(h->advanceCurrentStep());
    EXPECT_EQ(h->strand(a)->step, "second");
    EXPECT_EQ(testing::readFile(h.file()), bytes);

    // Steps, titles and colours are stored as given, in whichever list.
    h->setColor(a, "#4F8EF7");
    h->setColor(a, std::nullopt);
    EXPECT_FALSE(h->strand(a)->colorHex);
    h->setCurrentStep("  spaced  ");
    EXPECT_EQ(h->strand(a)->step, "  spaced  ");
    h->park(a);
    h->update(a, " Renamed ", "");
    EXPECT_EQ(h->strand(a)->title, " Renamed ");
    h->setCurrentStep("ignored");  // nothing current in the ring now
    EXPECT_EQ(h->strand(a)->step, "");
}

TEST(Editing, PriorityIsAtLeastOneAndMakesAnActiveThreadDueAtOnce) {
    StoreHarness h;
    auto ids = h.openDay({"A", "B", "C"});
    const Uuid b = ids[1], c = ids[2];
    h->next();  // B
    h->next();  // C
    h->setPriority(b, 0);
    EXPECT_EQ(h->strand(b)->priority, 1);
    EXPECT_FALSE(h->strand(b)->lastSlot);
    h->next();
    EXPECT_EQ(h.currentTitle(), "B");
    h->setPriority(b, -4);
    EXPECT_EQ(h->strand(b)->priority, 1);
    h->setPriority(b, std::nullopt);
    EXPECT_FALSE(h->strand(b)->priority);

    h->park(c);
    h->next();
    auto parkedSlot = h->strand(c)->lastSlot;
    h->setPriority(c, 3);  // parked: only the priority changes
    EXPECT_EQ(h->strand(c)->lastSlot, parkedSlot);
}

TEST(Editing, MovingRowsKeepsTheirOrderAndLandsBeforeTheDestination) {
    StoreHarness h;
    for (const char* t : {"A", "B", "C", "D"})
        h.addThread(t);
    auto order = [&] {
        std::string out;
        for (const auto& s : h->active())
            out += s.title + " ";
        return out;
    };
    h->moveActive({0, 2}, 4);  // A and C before the hygiene thread
    EXPECT_EQ(order(), "B D A C Cadro ");
    h->moveActive({2}, 0);  // the third row to the top
    EXPECT_EQ(order(), "A B D C Cadro ");
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

}  // namespace
}  // namespace cadro
