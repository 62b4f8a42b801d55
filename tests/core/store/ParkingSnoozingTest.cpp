#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;

// A, B, C and the hygiene thread; A current.
struct DayWithThreads : StoreHarness {
    std::vector<std::string> titles(ThreadKind kind) {
        std::vector<std::string> out;
        for (const auto& s : store().threads(kind))
            out.push_back(s.title);
        return out;
    }
    std::vector<Uuid> ids = openDay({"A", "B", "C"});
    Uuid a = ids[0], b = ids[1], c = ids[2];
};

using Titles = std::vector<std::string>;

TEST(Parking, ParkingTheCurrentThreadPicksANewOneAndUnparkingRejoinsBeforeHygiene) {
    DayWithThreads h;
    h->parkCurrent();
    EXPECT_EQ(h.titles(ThreadKind::parked), Titles{"A"});
    EXPECT_EQ(h.currentTitle(), "B");
    h->park(h.c);  // not current: only moves
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(h.titles(ThreadKind::parked), (Titles{"A", "C"}));

    h->unpark(h.a);
    EXPECT_EQ(h.titles(ThreadKind::active), (Titles{"B", "A", "Cadro"}));
    EXPECT_FALSE(h->strand(h.a)->lastSlot);  // comes up ahead of shown threads
    h->next();
    EXPECT_EQ(h.currentTitle(), "A");
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

TEST(Parking, UnparkingAfterEndDayMakesAThreadCurrentButNextStaysIgnored) {
    DayWithThreads h;
    h->park(h.c);
    h->endDay();
    EXPECT_FALSE(h->currentID());
    h->unpark(h.c);
    auto picked = h->currentID();
    ASSERT_TRUE(picked);
    EXPECT_FALSE(h->sessionOpen());
    h->next();
    EXPECT_EQ(h->currentID(), picked);
}

TEST(Snoozing, SnoozingTheCurrentThreadPicksAtOnceOthersOnlyMove) {
    DayWithThreads h;
    h->snooze(h.c, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "A");
    h->snooze(h.a, h.clock.now() + 600);
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(h.titles(ThreadKind::snoozed), (Titles{"C", "A"}));
    EXPECT_EQ(h->strand(h.a)->snoozedUntil, h.clock.now() + 600);
    h->wake(h.c);  // rejoins the ring before the hygiene thread
    EXPECT_EQ(h.titles(ThreadKind::active), (Titles{"B", "C", "Cadro"}));
    EXPECT_FALSE(h->strand(h.c)->snoozedUntil);
}

TEST(Snoozing, DueThreadsWakeInSnoozeOrderBeforeHygieneAndComeUpFirst) {
    DayWithThreads h;
    h->next();  // B
    h->snooze(h.c, h.clock.now() + 60);
    h->snooze(h.a, h.clock.now() + 60);
    h.clock.advance(61);
    h->next();  // wakes them first
    EXPECT_EQ(h.titles(ThreadKind::active), (Titles{"B", "C", "A", "Cadro"}));
    EXPECT_FALSE(h->strand(h.a)->snoozedUntil);
    EXPECT_EQ(h.currentTitle(), "C");
    h->next();
    EXPECT_EQ(h.currentTitle(), "A");
}

TEST(Snoozing, WakingWithNothingCurrentInAnOpenDayPicksTheWokenThread) {
    DayWithThreads h;
    for (auto id : {h.a, h.b, h.c, h->hygiene()->id})
        h->snooze(id, h.clock.now() + 30);
    EXPECT_FALSE(h->currentID());
    h.clock.advance(30);  // exactly due
    h->wakeDueSnoozes(false);
    EXPECT_EQ(h.currentTitle(), "A");
    // ...and that pick was saved even though persist was false.
    h.reopen();
    EXPECT_EQ(h.currentTitle(), "A");
}

}  // namespace
}  // namespace cadro
