#include "core/demo/DemoFixtures.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;

std::vector<std::string> titles(const std::vector<Strand>& threads) {
    std::vector<std::string> out;
    for (const auto& t : threads)
        out.push_back(t.title);
    return out;
}

TEST(DemoFixtures, SeedsListsToDosBrainDumpAndStartsTheDay) {
    StoreHarness h;
    h.clock.set(h.berlin(2026, 3, 4, 22, 30));
    DemoFixtures::populate(h.store(), h.clock.now(), *h.calendar);

    EXPECT_EQ(titles(h->active()),
              (std::vector<std::string>{"Website redesign", "Q4 planning", "Podcast episode 12",
                                        "Tax return", "Kitchen renovation", "Cadro"}));
    EXPECT_EQ(titles(h->parked()), std::vector<std::string>{"Learn Japanese"});
    ASSERT_EQ(titles(h->snoozed()), std::vector<std::string>{"Conference talk"});
    EXPECT_EQ(h->snoozed()[0].snoozedUntil, h.berlin(2026, 3, 5, 9, 0));
    EXPECT_EQ(h->active()[0].priority, 2);
    EXPECT_EQ(h->active()[0].nextSteps,
              (std::vector<std::string>{"Pick product screenshots", "Ship to staging"}));

    ASSERT_EQ(h->todos().size(), 4u);
    EXPECT_EQ(h->todos()[3].title, "Water the plants");
    EXPECT_EQ(h->todos()[3].schedule->times, (std::vector<TimeOfDay>{{18, 0}}));
    EXPECT_EQ(h->brainDump().substr(0, 48), "- ask Veda whether the Q4 offsite is confirmed\n-");
    EXPECT_EQ(h->brainDump().back(), 'k');

    EXPECT_TRUE(h->sessionOpen());
    EXPECT_EQ(h.currentTitle(), "Website redesign");
    EXPECT_EQ(h->slot(), 1);
}

TEST(DemoFixtures, WateringFiresAtSixOnceTheDayIsStarted) {
    StoreHarness h;
    h.clock.set(h.berlin(2026, 3, 4, 9, 0));
    DemoFixtures::populate(h.store(), h.clock.now(), *h.calendar);
    h->processSchedules(h.berlin(2026, 3, 4, 18, 0, 20), true);
    ASSERT_TRUE(h->currentTodo());
    EXPECT_EQ(h->currentTodo()->title, "Water the plants");
}

}  // namespace
}  // namespace cadro
