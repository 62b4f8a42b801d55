#include "core/actions/Actions.h"
#include "core/status/StatusTitle.h"
#include "core/status/StoreNotices.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;
using State = StatusContent::State;

TEST(StatusTitle, ClosedDayWinsThenTheFirstRunHintAToDoOrNothing) {
    StoreHarness h;
    h->addTodo(std::string(80, 't'));
    EXPECT_EQ(statusContent(h.store()),
              (StatusContent{State::dayClosed, " Cadro: Click to start day", {}}));
    h->startDay();
    EXPECT_EQ(statusContent(h.store()).title, " Cadro: Add your first thread");

    // A to-do up hides the thread and is cut to sixty characters of its own.
    h->setPreferences({.todoChancePercent = 100});
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(statusContent(h.store()),
              (StatusContent{State::todo, " \xE2\x98\x90 " + std::string(60, 't'), {}}));
    h->next();
    h->park(h->state().hygiene()->id);  // nothing current in an open day
    EXPECT_EQ(statusContent(h.store()), (StatusContent{State::idle, " Cadro", {}}));
}

TEST(StatusTitle, ThreadTextIsTrimmedJoinedAndCutToSixtyCharacters) {
    StoreHarness h;
    auto a = h.addThread("Website");
    h->reviseThread(a, {.colorHex = "#8B7CF6"});
    h->startDay();
    actions::setCurrentStep(h.store(), " \n ");
    EXPECT_EQ(statusContent(h.store()), (StatusContent{State::thread, " Website", "#8B7CF6"}));

    actions::setCurrentStep(h.store(), std::string(100, 's'));
    EXPECT_EQ(statusContent(h.store()).title, " Website: " + std::string(51, 's'));

    // Characters, not bytes: 70 ballot boxes are cut to 60 minus the prefix.
    std::string boxes;
    for (int i = 0; i < 70; ++i)
        boxes += "\xE2\x98\x90";
    actions::setCurrentStep(h.store(), boxes);
    EXPECT_EQ(statusContent(h.store()).title.size(), 1 + 9 + 51 * 3u);
}

TEST(StatusTitle, PanelLabelIsCutWithAnEllipsisWithinTheLengthOrOff) {
    StatusContent content{State::thread, " \xE2\x98\x90 Stretch the legs", std::nullopt};
    struct Case {
        PanelPreferences preferences;
        std::string label;
    } cases[] = {
        {{true, 18, true}, "\xE2\x98\x90 Stretch the legs"},  // exactly fits
        {{true, 10, true}, "\xE2\x98\x90 Stretch\xE2\x80\xA6"},
        {{false, 30, true}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(panelLabel(content, c.preferences), c.label) << c.preferences.labelLength;
}

using Kind = StoreNotice::Kind;

TEST(StoreNotices, AFiredToDoIsToldOnceAndAsksAttentionUntilSeenOrDone) {
    StoreHarness h;
    h.openDay({"Alpha"});
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

TEST(StoreNotices, OnlyASnoozeThatRanOutIsAWakeAndEachNoticeEndsWhenHandled) {
    StoreHarness h;
    Uuid alpha = h.addThread("Alpha");
    Uuid beta = h.addThread("Beta");
    h->startDay();
    Uuid tea = *h->addTodo("Tea");
    Uuid meds = *h->addTodo("Meds", std::nullopt, TodoSchedule{h.clock.now(), {{13, 5}}, {}});
    h->snooze(tea, h.clock.now() + 60);
    h->snooze(alpha, h.clock.now() + 60);
    h->snooze(beta, h.clock.now() + 3600);
    StoreNotices notices(h.store());

    h->wake(beta);        // the user's own doing
    h->finishTodo(meds);  // done ahead of its time: no firing
    EXPECT_TRUE(notices.take(h.store(), h.clock.now()).empty());

    h.clock.advance(60);  // the very moment the snoozes end
    h->wakeDueSnoozes(true);
    const auto told = notices.take(h.store(), h.clock.now());
    EXPECT_EQ(told, (std::vector<StoreNotice>{{Kind::todoWoke, tea, "Tea"},
                                              {Kind::threadWoke, alpha, "Alpha"}}));
    EXPECT_FALSE(notices.needsAttention());
    for (const auto& notice : told)
        EXPECT_FALSE(isHandled(notice, h.store()));
    h->finishTodo(tea);
    h->park(alpha);
    for (const auto& notice : told)
        EXPECT_TRUE(isHandled(notice, h.store()));
}

}  // namespace
}  // namespace cadro
