#include "core/base/Calendar.h"
#include "core/schedule/TodoSchedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace cadro {
namespace {

class OccurrenceTest : public ::testing::Test {
  protected:
    std::unique_ptr<Calendar> berlin = Calendar::make("Europe/Berlin", "en_US");

    Date at(int year, int month, int day, int hour = 0, int minute = 0) const {
        return *berlin->compose(year, month, day, hour, minute, 0);
    }
    static TodoSchedule make(Date start, std::vector<TimeOfDay> times,
                             std::optional<RepeatRule> rule = std::nullopt) {
        return TodoSchedule{start, std::move(times), std::move(rule)};
    }
    static RepeatRule rule(RepeatUnit unit, std::int64_t interval,
                           std::set<std::int64_t> weekdays = {},
                           std::optional<std::int64_t> dayOfMonth = std::nullopt) {
        return RepeatRule{interval, unit, std::move(weekdays), dayOfMonth};
    }
};

// The day-by-day cross-check covers ordinary rules; these are the cases its
// random schedules never produce.
TEST_F(OccurrenceTest, NoTimesNeverOccurs) {
    EXPECT_FALSE(make(at(2026, 3, 4), {}).occurrence(at(2026, 3, 5), *berlin));
    EXPECT_FALSE(make(at(2026, 3, 4), {}).nextOccurrence(at(2026, 3, 3), *berlin));
}

TEST_F(OccurrenceTest, FebruaryTwentyNinthOnlyInLeapYears) {
    const auto leapDay = make(at(2024, 1, 1), {{7, 0}}, rule(RepeatUnit::month, 1, {}, 29));
    EXPECT_EQ(leapDay.nextOccurrence(at(2024, 1, 30), *berlin), at(2024, 2, 29, 7));
    EXPECT_EQ(leapDay.occurrence(at(2025, 3, 1), *berlin), at(2025, 1, 29, 7));
    EXPECT_EQ(leapDay.nextOccurrence(at(2025, 1, 30), *berlin), at(2025, 3, 29, 7));
}

TEST_F(OccurrenceTest, ActiveDaysOfEveryOtherWeek) {
    // Monday and Friday every 2 weeks from Wednesday March 4 (en_US weeks).
    const auto schedule = make(at(2026, 3, 4), {{10, 0}}, rule(RepeatUnit::week, 2, {2, 6}));
    EXPECT_EQ(recentActiveDays(schedule, at(2026, 3, 25), *schedule.repeatRule, *berlin),
              (std::vector<Date>{at(2026, 3, 20), at(2026, 3, 16)}));
    EXPECT_EQ(futureActiveDays(schedule, at(2026, 3, 1), *schedule.repeatRule, *berlin),
              (std::vector<Date>{at(2026, 3, 6), at(2026, 3, 16)}));
}

TEST_F(OccurrenceTest, WeeklyWithoutUsableWeekdaysNeverOccurs) {
    for (const auto& weekdays : {std::set<std::int64_t>{}, std::set<std::int64_t>{0, 8, -3}}) {
        const auto schedule = make(at(2026, 3, 4), {{10, 0}}, rule(RepeatUnit::week, 1, weekdays));
        EXPECT_FALSE(schedule.occurrence(at(2027, 1, 1), *berlin));
        EXPECT_FALSE(schedule.nextOccurrence(at(2026, 3, 1), *berlin));
    }
    // Numbers outside 1-7 are ignored beside valid ones.
    const auto mixed = make(at(2026, 3, 4), {{10, 0}}, rule(RepeatUnit::week, 1, {0, 6, 9}));
    EXPECT_EQ(mixed.nextOccurrence(at(2026, 3, 4), *berlin), at(2026, 3, 6, 10));
}

TEST_F(OccurrenceTest, IntervalBelowOneCountsAsOne) {
    for (const std::int64_t interval :
         {std::int64_t{0}, std::int64_t{-5}, std::numeric_limits<std::int64_t>::min()}) {
        const auto schedule = make(at(2026, 3, 1), {{8, 0}}, rule(RepeatUnit::day, interval));
        EXPECT_EQ(schedule.occurrence(at(2026, 3, 5, 12), *berlin), at(2026, 3, 5, 8));
        EXPECT_EQ(schedule.nextOccurrence(at(2026, 3, 5, 12), *berlin), at(2026, 3, 6, 8));
    }
}

TEST(OccurrenceDaylightTest, DailyTimeInTheChangedHours) {
    struct Row {
        const char* zone;
        int month, day;  // the day of the change
        int hour, minute;
        double unixExpected;  // the occurrence on that day
    };
    const Row rows[] = {
        // 02:30 does not exist: the first valid instant after the gap, 03:00.
        {"Europe/Berlin", 3, 29, 2, 30, 1774746000},    // 2026-03-29T01:00Z
        {"America/New_York", 3, 8, 2, 30, 1772953200},  // 2026-03-08T07:00Z
        // 02:30 (Berlin) and 01:30 (New York) happen twice: the first one.
        {"Europe/Berlin", 10, 25, 2, 30, 1792888200},    // 2026-10-25T00:30Z
        {"America/New_York", 11, 1, 1, 30, 1793511000},  // 2026-11-01T05:30Z
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.zone) + " " + std::to_string(row.month));
        const auto calendar = Calendar::make(row.zone, "en_US");
        const TodoSchedule schedule{*calendar->compose(2026, 1, 1, 0, 0, 0),
                                    {{row.hour, row.minute}},
                                    RepeatRule{1, RepeatUnit::day, {}, std::nullopt}};
        const Date expected = Date::fromUnix(row.unixExpected);
        const Date dayBefore = *calendar->compose(2026, row.month, row.day - 1, 12, 0, 0);
        EXPECT_EQ(schedule.nextOccurrence(dayBefore, *calendar), expected);
        EXPECT_EQ(schedule.occurrence(expected + 7200, *calendar), expected);
        // The day after keeps its ordinary wall-clock time.
        const auto after = schedule.nextOccurrence(expected, *calendar);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(calendar->hour(*after), row.hour);
        EXPECT_EQ(calendar->day(*after), row.day + 1);
    }
}

TEST_F(OccurrenceTest, HostileValuesNeitherCrashNorHang) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const Date start = at(2026, 3, 4);
    const std::vector<TodoSchedule> schedules = {
        make(start, {{kMax, kMin}, {9, 0}}, rule(RepeatUnit::day, kMax)),
        make(start, {{9, 0}}, rule(RepeatUnit::week, kMax, {1, 2, 3, 4, 5, 6, 7})),
        make(start, {{9, 0}}, rule(RepeatUnit::week, kMax - 1, {kMin, kMax, 3})),
        make(start, {{9, 0}}, rule(RepeatUnit::month, kMax, {}, kMax)),
        make(start, {{9, 0}}, rule(RepeatUnit::month, 1'000'000'007, {}, 4)),
        make(start, {{9, 0}}, rule(RepeatUnit::month, 3, {}, kMin)),
        make(Date{std::nan("")}, {{9, 0}}, rule(RepeatUnit::day, 1)),
        make(Date{1e300}, {{9, 0}}, rule(RepeatUnit::month, 1)),
        make(Date{-1e18}, {{9, 0}}),
    };
    for (const auto& schedule : schedules) {
        for (const Date instant :
             {at(2026, 3, 4, 12), at(2030, 1, 1), Date{std::nan("")}, Date{1e15}, Date{-1e15}}) {
            (void)schedule.occurrence(instant, *berlin);
            (void)schedule.nextOccurrence(instant, *berlin);
        }
    }
    // A huge interval still has its first occurrences.
    EXPECT_EQ(schedules[0].nextOccurrence(at(2026, 3, 4), *berlin), at(2026, 3, 4, 9));
    EXPECT_EQ(schedules[1].occurrence(at(2026, 3, 20), *berlin), at(2026, 3, 7, 9));
    EXPECT_FALSE(schedules[4].nextOccurrence(at(2026, 3, 5), *berlin));
    EXPECT_EQ(schedules[4].occurrence(at(2030, 3, 5), *berlin), at(2026, 3, 4, 9));
}

}  // namespace
}  // namespace cadro
