#include "core/base/Calendar.h"
#include "core/schedule/ScheduleLabels.h"

#include <gtest/gtest.h>

#include <limits>

namespace cadro {
namespace {

class ScheduleLabelsTest : public ::testing::Test {
  protected:
    std::unique_ptr<Calendar> calendar = Calendar::make("Europe/Berlin", "en_US");
    Date march4 = *calendar->compose(2026, 3, 4, 17, 0, 0);  // a Wednesday

    TodoSchedule withRule(std::int64_t interval, RepeatUnit unit,
                          std::set<std::int64_t> weekdays = {},
                          std::optional<std::int64_t> dayOfMonth = std::nullopt) const {
        return TodoSchedule{march4, {{9, 0}}, RepeatRule{interval, unit, weekdays, dayOfMonth}};
    }
};

TEST_F(ScheduleLabelsTest, RuleTexts) {
    struct Row {
        std::int64_t interval;
        RepeatUnit unit;
        std::set<std::int64_t> weekdays;
        std::optional<std::int64_t> dayOfMonth;
        const char* label;
        const char* phrase;
    };
    const auto day = RepeatUnit::day;
    const auto week = RepeatUnit::week;
    const auto month = RepeatUnit::month;
    const Row rows[] = {
        {1, day, {}, {}, "Daily", "every day"},
        {-4, day, {}, {}, "Daily", "every day"},
        {3, day, {}, {}, "Every 3d", "every 3 days"},
        {1, week, {6, 2, 4}, {}, "Mon Wed Fri", "every Monday, Wednesday, Friday"},
        {2, week, {1, 7}, {}, "Every 2w · Sun Sat", "every 2 weeks on Sunday, Saturday"},
        {1, week, {}, {}, "Weekly", "every week"},
        {1, week, {0, 3, 99}, {}, "Tue", "every Tuesday"},
        {2, week, {}, {}, "Weekly", "every 2 weeks on week"},
        {1, month, {}, 15, "Day 15", "day 15 monthly"},
        {1, month, {}, {}, "Day 4", "day 4 monthly"},  // the start day's
        {3, month, {}, 31, "Every 3mo · Day 31", "day 31 every 3 months"},
        {-1, month, {2}, 10, "Day 10", "day 10 monthly"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto schedule = withRule(row.interval, row.unit, row.weekdays, row.dayOfMonth);
        EXPECT_EQ(repeatLabel(*schedule.repeatRule, schedule, *calendar), row.label);
        EXPECT_EQ(repeatPhrase(*schedule.repeatRule, schedule, *calendar), row.phrase);
    }
}

TEST_F(ScheduleLabelsTest, ScheduleTexts) {
    struct Row {
        TodoSchedule schedule;
        const char* shortText;
        const char* menuText;
    };
    const Row rows[] = {
        {TodoSchedule{march4, {{14, 0}, {9, 5}}, std::nullopt}, "Mar 4 · 09:05 +1",
         "↺ once on Mar 4 at 09:05, 14:00"},
        {TodoSchedule{march4, {}, std::nullopt}, "Mar 4 · ", "↺ once on Mar 4 at "},
        {withRule(1, RepeatUnit::day), "Daily · 09:00", "↺ every day at 09:00"},
        {TodoSchedule{
             march4, {{17, 30}, {8, 0}, {8, 0}}, RepeatRule{1, RepeatUnit::week, {5, 2}, {}}},
         "Mon Thu · 08:00 +2", "↺ every Monday, Thursday at 08:00, 08:00, 17:30"},
        {TodoSchedule{march4, {{25, -3}}, std::nullopt}, "Mar 4 · 25:-3",
         "↺ once on Mar 4 at 25:-3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shortText);
        EXPECT_EQ(shortLabel(row.schedule, *calendar), row.shortText);
        EXPECT_EQ(menuDescription(row.schedule, *calendar), row.menuText);
    }
    EXPECT_EQ(longWeekday(std::numeric_limits<std::int64_t>::min()), "");
}

TEST_F(ScheduleLabelsTest, DayFollowsTheLocaleAndZone) {
    const auto german = Calendar::make("Europe/Berlin", "de_DE");
    const auto tokyo = Calendar::make("Asia/Tokyo", "en_US");
    EXPECT_EQ(formatDay(march4, *calendar), "Mar 4");
    EXPECT_EQ(formatDay(march4, *german), "März 4");
    EXPECT_EQ(formatDay(march4, *tokyo), "Mar 5");  // 01:00 on the 5th there
    EXPECT_EQ(formatDay(Date{std::numeric_limits<double>::quiet_NaN()}, *calendar), "");
}

TEST(DurationLabelTest, MinutesAndHours) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "0 min"},   {45, "45 min"}, {59, "59 min"},   {60, "1h"},
        {90, "1h 30m"}, {120, "2h"},    {1441, "24h 1m"}, {-5, "-5 min"},
    };
    for (const auto& [minutes, text] : rows) {
        EXPECT_EQ(durationLabel(minutes), text) << minutes;
    }
}

TEST(WakeTimeTest, RelativeDayNamesCountFromTheGivenNow) {
    struct Row {
        const char* locale;
        int day, hour, minute;
        const char* text;
    };
    // Now is Wednesday 2026-03-04 10:00 in Berlin.
    const Row rows[] = {
        {"en_US", 4, 15, 0, "today, 3:00\u202fPM"},
        {"en_US", 5, 9, 30, "tomorrow, 9:30\u202fAM"},
        {"en_US", 3, 22, 0, "yesterday, 10:00\u202fPM"},
        {"de_DE", 5, 9, 30, "morgen, 09:30"},
        {"de_DE", 6, 9, 30, "übermorgen, 09:30"},
        {"de_DE", 11, 15, 0, "11.03.26, 15:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.locale) + " " + row.text);
        const auto calendar = Calendar::make("Europe/Berlin", row.locale);
        const Date now = *calendar->compose(2026, 3, 4, 10, 0, 0);
        const Date wake = *calendar->compose(2026, 3, row.day, row.hour, row.minute, 0);
        EXPECT_EQ(formatWakeTime(wake, *calendar, now), row.text);
    }
}

}  // namespace
}  // namespace cadro
