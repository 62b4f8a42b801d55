#include "core/settings/ColorPanelPlacement.h"
#include "core/settings/SettingsText.h"
#include "core/settings/ThreadTint.h"
#include "core/settings/TodoText.h"

#include "core/schedule/ScheduleLabels.h"

#include "core/settings/UIState.h"
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
        {"only breaks and spaces", "\n \r\n\t\n  ", {}},
        {"lone carriage returns", "a\rb\r\rc", {"a", "b", "c"}},
        {"vertical tab and form feed", "a\vb\fc", {"a", "b", "c"}},
        {"next line", "a\u0085b", {"a", "b"}},
        {"line and paragraph separators", "a\u2028b\u2029c", {"a", "b", "c"}},
        {"no-break and ideographic spaces", "\u00A0 a\u3000", {"a"}},
        {"first and last general spaces", "\u2000a\u200A", {"a"}},
        {"a stray byte is no line break", "a\x85\x62", {"a\x85\x62"}},
        {"inner spaces stay", "write  the intro ", {"write  the intro"}},
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
    const Strand* hygiene = store.state().hygiene();
    EXPECT_TRUE(isCurrentRow(store, *hygiene, ThreadKind::active));
    EXPECT_FALSE(isCurrentRow(store, *hygiene, ThreadKind::parked));

    Uuid id = h.addThread("Essay");
    store.startDay();
    store.reviseThread(id, {.title = "Essay", .step = " intro \n"});
    EXPECT_EQ(nowHeadline(store), "Essay: intro");
    EXPECT_FALSE(isCurrentRow(store, *store.state().hygiene(), ThreadKind::active));
    store.endDay();
    EXPECT_FALSE(isCurrentRow(store, *store.state().strand(id), ThreadKind::active));

    // A to-do up takes the headline and the row.
    store.startDay();
    store.addTodo("Call Sam", 5);
    store.setPreferences({.todoChancePercent = 100});
    h.random.values = {0.0, 0.0};
    store.next();
    ASSERT_NE(store.state().currentTodo(), nullptr);
    EXPECT_EQ(nowHeadline(store), "\xE2\x98\x90 Call Sam");
    EXPECT_EQ(nowThread(store), nullptr);
    EXPECT_FALSE(isCurrentRow(store, *store.state().current(), ThreadKind::active));

    store.endDay();
    store.park(id);
    store.park(store.state().hygiene()->id);
    EXPECT_EQ(nowHeadline(store), "Nothing in the cycle");
}

TEST(ThreadTint, OwnColourIsSolidTheHygieneThreadAGradientAnythingElseMuted) {
    using Kind = StripeFill::Kind;
    Strand thread;
    thread.colorHex = "#4F8EF7";
    const StripeFill own = ThreadTint::stripe(thread);
    EXPECT_EQ(own.kind, Kind::solid);
    EXPECT_EQ(own.color, *ThreadColor::fromHex("#4F8EF7"));
    EXPECT_EQ(own.opacity, 1.0);
    for (std::optional<std::string> hex :
         {std::optional<std::string>(), std::optional<std::string>("#4F8EF")}) {
        thread.colorHex = hex;
        EXPECT_EQ(ThreadTint::stripe(thread).kind, Kind::secondaryLabel) << hex.value_or("none");
        EXPECT_LT(ThreadTint::stripe(thread).opacity, 1.0);
    }
    thread.isHygiene = true;
    thread.colorHex = "#4F8EF7";  // the hygiene thread's own look wins
    EXPECT_EQ(ThreadTint::stripe(thread).kind, Kind::verticalGradient);
}

TEST(TodoRowText, DescribesWhatTheRowShows) {
    testing::StoreHarness h;
    const Date now = h.clock.now();
    const TodoSchedule daily{now, {{18, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    const Uuid id = *h->addTodo("Water the plants", 5, daily);

    TodoRowText text = describeTodoRow(h.store(), *h->state().todo(id), *h.calendar, now);
    EXPECT_EQ(text.schedule, shortLabel(daily, *h.calendar));
    EXPECT_EQ(text.estimate, "5 min");
    EXPECT_EQ(text.description, *text.schedule + ", 5 min");

    // Snoozed: "Until" comes first, and goes once the time has passed.
    h->snooze(id, now + 3600);
    text = describeTodoRow(h.store(), *h->state().todo(id), *h.calendar, now);
    ASSERT_TRUE(text.until);
    EXPECT_EQ(text.until->rfind("Until ", 0), 0u);
    EXPECT_EQ(text.description.rfind(*text.until + ", ", 0), 0u);
    text = describeTodoRow(h.store(), *h->state().todo(id), *h.calendar, now + 3601);
    EXPECT_EQ(text.until, std::nullopt);
}

constexpr const char* kKey = "settings.selectedTab";

TEST(UIState, TabAndPanelSurviveARestartAndStoredNonsenseFallsBack) {
    auto defaults = std::make_shared<MemoryDefaults>();
    UIState ui(defaults);
    EXPECT_EQ(ui.selectedTab(), SettingsTab::active);
    std::vector<UIProperty> seen;
    auto sub = ui.subscribe([&](UIProperty p) { seen.push_back(p); });
    for (auto tab : kAllSettingsTabs) {
        ui.setSelectedTab(tab);
        EXPECT_EQ(UIState(defaults).selectedTab(), tab);
    }
    defaults->remove(kKey);
    ui.setSelectedTab(SettingsTab::shortcuts);  // the same tab is written again
    EXPECT_EQ(UIState(defaults).selectedTab(), SettingsTab::shortcuts);

    ui.setSheet(SettingsSheet::add());
    ui.setSheet(std::nullopt);
    EXPECT_EQ(seen.size(), kAllSettingsTabs.size() + 3);
    EXPECT_EQ(seen.back(), UIProperty::sheet);

    for (const char* stored : {"Brain Dump", "Todo", ""}) {
        defaults->setString(kKey, stored);
        EXPECT_EQ(UIState(defaults).selectedTab(), SettingsTab::active) << stored;
    }

    // The label length is kept in bounds.
    ui.setPanel({false, 1000, false});
    EXPECT_EQ(UIState(defaults).panel(),
              (PanelPreferences{false, PanelPreferences::kLongestLabel, false}));

    for (const char* stored : {"12abc", "", "-3", "99999999999999999999999"}) {
        defaults->setString("panel.labelLength", stored);
        EXPECT_EQ(UIState(defaults).panel().labelLength, PanelPreferences{}.labelLength) << stored;
    }
}

}  // namespace
}  // namespace cadro
