#include "core/status/StatusTitle.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::StoreHarness;
using State = StatusContent::State;

TEST(StatusTitle, ClosedDayWinsEvenWithAToDoThenTheFirstRunHintShows) {
    StoreHarness h;
    h->addTodo("x");
    EXPECT_EQ(statusContent(h.store()),
              (StatusContent{State::dayClosed, " Cadro: Click to start day", {}}));
    h->startDay();
    EXPECT_EQ(statusContent(h.store()).title, " Cadro: Add your first thread");
}

TEST(StatusTitle, ThreadTextIsTrimmedJoinedAndCutToSixtyCharacters) {
    StoreHarness h;
    auto a = h.addThread("Website");
    h->setColor(a, "#8B7CF6");
    h->startDay();
    h->setCurrentStep(" \n ");
    EXPECT_EQ(statusContent(h.store()), (StatusContent{State::thread, " Website", "#8B7CF6"}));

    h->setCurrentStep(std::string(100, 's'));
    std::string title = statusContent(h.store()).title;
    EXPECT_EQ(title, " Website: " + std::string(51, 's'));

    // Characters, not bytes: 70 ballot boxes are cut to 60 minus the prefix.
    std::string boxes;
    for (int i = 0; i < 70; ++i)
        boxes += "\xE2\x98\x90";
    h->setCurrentStep(boxes);
    EXPECT_EQ(statusContent(h.store()).title.size(), 1 + 9 + 51 * 3u);
}

TEST(StatusTitle, AToDoHidesTheThreadAndIsNotTrimmed) {
    StoreHarness h;
    h.addThread("A");
    h->startDay();
    h->addTodo(std::string(80, 't'));
    h->setTodoChancePercent(100);
    h.random.values = {0.0, 0.0};
    h->next();
    EXPECT_EQ(statusContent(h.store()),
              (StatusContent{State::todo, " \xE2\x98\x90 " + std::string(60, 't'), {}}));
}

TEST(StatusTitle, NothingCurrentInAnOpenDay) {
    StoreHarness h;
    h->park(h->hygiene()->id);
    h->startDay();
    EXPECT_EQ(statusContent(h.store()), (StatusContent{State::idle, " Cadro", {}}));
}

TEST(StatusTitle, PanelLabelIsCutWithAnEllipsisWithinTheLengthOrOff) {
    StatusContent content{State::thread, " \xE2\x98\x90 Stretch the legs", std::nullopt};
    struct Case {
        PanelPreferences preferences;
        std::string label;
    } cases[] = {
        {{true, 30, true}, "\xE2\x98\x90 Stretch the legs"},
        {{true, 19, true}, "\xE2\x98\x90 Stretch the legs"},  // exactly fits
        {{true, 10, true}, "\xE2\x98\x90 Stretch\xE2\x80\xA6"},
        {{false, 30, true}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(panelLabel(content, c.preferences), c.label) << c.preferences.labelLength;
}

}  // namespace
}  // namespace cadro
