#include "core/status/StoreNotices.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;
using Kind = StoreNotice::Kind;

TEST(StoreNotices, AFiredToDoIsToldOnceAndAsksAttentionUntilSeenOrDone) {
    StoreHarness h;
    h.addThread("Alpha");
    h->startDay();
    // Daily at 13:01 and 13:02 Berlin, the harness clock being 13:00.
    TodoSchedule daily{h.clock.now(), {{13, 1}, {13, 2}}, RepeatRule{}};
    Uuid stretch = *h->addTodo("Stretch", std::nullopt, daily);
    StoreNotices notices(h.store());

    h.clock.advance(65);
    h->processSchedules(h.clock.now(), true);
    EXPECT_EQ(notices.take(h.store(), h.clock.now()),
              (std::vector<StoreNotice>{{Kind::todoFired, stretch, "Stretch"}}));
    EXPECT_TRUE(notices.needsAttention());
    h->processSchedules(h.clock.now() + 10, true);  // the same firing again
    EXPECT_TRUE(notices.take(h.store(), h.clock.now()).empty());

    notices.markSeen();
    EXPECT_FALSE(notices.needsAttention());

    // The next firing asks again; finishing the to-do ends the attention.
    h.clock.advance(60);
    h->processSchedules(h.clock.now(), true);
    EXPECT_EQ(notices.take(h.store(), h.clock.now()).size(), 1U);
    h->next();
    notices.take(h.store(), h.clock.now());
    EXPECT_FALSE(notices.needsAttention());
}

TEST(StoreNotices, OnlyASnoozeThatRanOutIsAWake) {
    StoreHarness h;
    Uuid alpha = h.addThread("Alpha");
    Uuid beta = h.addThread("Beta");
    h->startDay();
    h->snooze(alpha, h.clock.now() + 60);
    h->snooze(beta, h.clock.now() + 3600);
    StoreNotices notices(h.store());

    h->wake(beta);  // the user's own doing
    EXPECT_TRUE(notices.take(h.store(), h.clock.now()).empty());

    h.clock.advance(61);
    h->wakeDueSnoozes(true);
    EXPECT_EQ(notices.take(h.store(), h.clock.now()),
              (std::vector<StoreNotice>{{Kind::threadWoke, alpha, "Alpha"}}));
    EXPECT_FALSE(notices.needsAttention());
}

}  // namespace
}  // namespace cadro
