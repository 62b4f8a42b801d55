#include "core/settings/ColorPanelPlacement.h"
#include "core/settings/SettingsText.h"

#include "support/StoreHarness.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

using Steps = std::vector<std::string>;

TEST(StepsFromText, SplitsAtEveryLineBreakAndTrimsEachLine) {
    struct Case {
        const char* name;
        std::string text;
        Steps steps;
    } cases[] = {
        {"mixed lines", "  a  \n\n\tb\r\nc\r\n   ", {"a", "b", "c"}},
        {"empty", "", {}},
        {"only breaks and spaces", "\n \r\n\t\n  ", {}},
        {"lone carriage returns", "a\rb\r\rc", {"a", "b", "c"}},
        {"vertical tab and form feed", "a\vb\fc", {"a", "b", "c"}},
        {"next line",
         "a\xC2\x85"
         "b",
         {"a", "b"}},
        {"line and paragraph separators",
         "a\xE2\x80\xA8"
         "b\xE2\x80\xA9"
         "c",
         {"a", "b", "c"}},
        {"no-break and ideographic spaces", "\xC2\xA0 a\xE3\x80\x80", {"a"}},
        {"inner spaces stay", "write  the intro ", {"write  the intro"}},
        {"list markers stay", "- draft\n\xE2\x80\xA2 send", {"- draft", "\xE2\x80\xA2 send"}},
        {"non-ascii text", "\xC3\xA9t\xC3\xA9\n", {"\xC3\xA9t\xC3\xA9"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stepsFromText(c.text), c.steps) << c.name;

    // No printable ASCII character counts as a break or a space but the space.
    std::string ascii;
    for (char c = '!'; c <= '~'; ++c)
        ascii += c;
    EXPECT_EQ(stepsFromText(ascii + " " + ascii), Steps{ascii + " " + ascii});
}

TEST(NextStepsSummary, CountsSteps) {
    EXPECT_EQ(nextStepsSummary(0), "Plan next steps");
    EXPECT_EQ(nextStepsSummary(1), "1 next step");
    EXPECT_EQ(nextStepsSummary(5), "5 next steps");
}

TEST(ColorPanelOrigin, SitsBesideTheWindowAndStaysOnScreen) {
    const ScreenRect screen{0, 25, 1440, 875};  // below a 25-point top bar
    struct Case {
        const char* name;
        ScreenRect window;
        ScreenPoint origin;
    } cases[] = {
        {"room on the right", {100, 100, 560, 600}, {668, 100}},
        {"near the right edge goes left", {800, 100, 560, 600}, {792 - 230, 100}},
        {"no room either side stops at the left edge", {100, 100, 1300, 600}, {0, 100}},
        {"near the bottom edge moves up", {100, 600, 560, 280}, {668, 900 - 400}},
        {"above the top edge moves down", {100, -50, 560, 600}, {668, 25}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(colorPanelOrigin(230, 400, c.window, screen), c.origin) << c.name;
    // A panel taller than the screen keeps its top on screen.
    EXPECT_EQ(colorPanelOrigin(230, 1000, {100, 100, 560, 600}, screen).y, 25);
}

TEST(NowStrip, HeadlineAndCurrentRowFollowTheCycle) {
    testing::StoreHarness h;
    ThreadStore& store = h.store();
    store.startDay();
    const Strand* hygiene = store.hygiene();
    ASSERT_NE(hygiene, nullptr);
    EXPECT_EQ(nowHeadline(store), hygiene->title + ": Add your first thread");
    EXPECT_TRUE(isCurrentRow(store, *hygiene, ThreadKind::active));
    EXPECT_FALSE(isCurrentRow(store, *hygiene, ThreadKind::parked));

    Uuid id = h.addThread("Essay");
    store.startDay();
    ASSERT_EQ(store.currentID(), id);
    store.update(id, "Essay", "   ");
    EXPECT_EQ(nowHeadline(store), "Essay");
    store.update(id, "Essay", " intro \n");
    EXPECT_EQ(nowHeadline(store), "Essay: intro");
    EXPECT_EQ(nowThread(store)->id, id);
    EXPECT_FALSE(isCurrentRow(store, *store.hygiene(), ThreadKind::active));

    store.endDay();
    EXPECT_FALSE(isCurrentRow(store, *store.strand(id), ThreadKind::active));
}

TEST(NowStrip, AToDoUpTakesTheHeadlineAndTheRow) {
    testing::StoreHarness h;
    ThreadStore& store = h.store();
    Uuid id = h.openDay({"Essay"})[0];
    store.addTodo("Call Sam", 5);
    store.setTodoChancePercent(100);
    h.random.values = {0.0, 0.0};
    store.next();
    ASSERT_NE(store.currentTodo(), nullptr);
    EXPECT_EQ(nowHeadline(store), "\xE2\x98\x90 Call Sam");
    EXPECT_EQ(nowThread(store), nullptr);
    EXPECT_FALSE(isCurrentRow(store, *store.strand(id), ThreadKind::active));
}

TEST(NowStrip, NothingInTheCycle) {
    testing::StoreHarness h;
    h->park(h->hygiene()->id);
    EXPECT_EQ(nowHeadline(h.store()), "Nothing in the cycle");
}

}  // namespace
}  // namespace cadro
