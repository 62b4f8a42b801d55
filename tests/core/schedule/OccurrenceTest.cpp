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

// A table row: the occurrence at or before `instant` and the next one after it.
struct Expectation {
    const char* name;
    Date instant;
    std::optional<Date> occurrence;
    std::optional<Date> next;
};

void expectAll(const TodoSchedule& schedule, const Calendar& calendar,
               const std::vector<Expectation>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(schedule.occurrence(row.instant, calendar), row.occurrence);
        EXPECT_EQ(schedule.nextOccurrence(row.instant, calendar), row.next);
    }
}

TEST_F(OccurrenceTest, OneOffScheduleOccursOnItsStartDayOnly) {
    const auto schedule = make(at(2026, 3, 4, 17, 45), {{14, 0}, {9, 0}});
    expectAll(schedule, *berlin,
              {
                  {"before the first time", at(2026, 3, 4, 8), std::nullopt, at(2026, 3, 4, 9)},
                  {"between the times", at(2026, 3, 4, 10), at(2026, 3, 4, 9), at(2026, 3, 4, 14)},
                  {"exactly at a time", at(2026, 3, 4, 9), at(2026, 3, 4, 9), at(2026, 3, 4, 14)},
                  {"at the last time", at(2026, 3, 4, 14), at(2026, 3, 4, 14), std::nullopt},
                  {"days later", at(2026, 3, 9, 12), at(2026, 3, 4, 14), std::nullopt},
                  {"the day before", at(2026, 3, 3, 23), std::nullopt, at(2026, 3, 4, 9)},
              });
    EXPECT_FALSE(make(at(2026, 3, 4), {}).occurrence(at(2026, 3, 5), *berlin));
    EXPECT_FALSE(make(at(2026, 3, 4), {}).nextOccurrence(at(2026, 3, 3), *berlin));
}

TEST_F(OccurrenceTest, DailyEveryThirdDay) {
    const auto schedule = make(at(2026, 3, 1, 20), {{8, 0}}, rule(RepeatUnit::day, 3));
    expectAll(
        schedule, *berlin,
        {
            {"March 5 noon", at(2026, 3, 5, 12), at(2026, 3, 4, 8), at(2026, 3, 7, 8)},
            {"at an occurrence", at(2026, 3, 4, 8), at(2026, 3, 4, 8), at(2026, 3, 7, 8)},
            {"before today's time", at(2026, 3, 7, 7, 59), at(2026, 3, 4, 8), at(2026, 3, 7, 8)},
            {"before the start", at(2026, 2, 20), std::nullopt, at(2026, 3, 1, 8)},
            {"start day before the time", at(2026, 3, 1, 7), std::nullopt, at(2026, 3, 1, 8)},
        });
}

TEST_F(OccurrenceTest, FallsBackToThePreviousActiveDaysLastTime) {
    const auto schedule =
        make(at(2026, 3, 2), {{9, 0}, {17, 30}, {12, 0}}, rule(RepeatUnit::week, 1, {2, 5}));
    // Thursday 08:00, before the day's first time: Monday 17:30.
    EXPECT_EQ(schedule.occurrence(at(2026, 3, 5, 8), *berlin), at(2026, 3, 2, 17, 30));
    EXPECT_EQ(schedule.occurrence(at(2026, 3, 5, 12, 30), *berlin), at(2026, 3, 5, 12));
    EXPECT_EQ(schedule.nextOccurrence(at(2026, 3, 5, 17, 30), *berlin), at(2026, 3, 9, 9));
}

TEST_F(OccurrenceTest, WeeklyEveryOtherWeekStartsInTheStartWeek) {
    // Monday and Friday every 2 weeks, starting Wednesday March 4 (en_US weeks).
    const auto schedule = make(at(2026, 3, 4), {{10, 0}}, rule(RepeatUnit::week, 2, {2, 6}));
    expectAll(
        schedule, *berlin,
        {
            {"start day", at(2026, 3, 4, 12), std::nullopt, at(2026, 3, 6, 10)},
            {"after the first Friday", at(2026, 3, 9, 12), at(2026, 3, 6, 10), at(2026, 3, 16, 10)},
            {"second active week", at(2026, 3, 20, 12), at(2026, 3, 20, 10), at(2026, 3, 30, 10)},
        });
    EXPECT_EQ(recentActiveDays(schedule, at(2026, 3, 25), *schedule.repeatRule, *berlin),
              (std::vector<Date>{at(2026, 3, 20), at(2026, 3, 16)}));
    EXPECT_EQ(futureActiveDays(schedule, at(2026, 3, 1), *schedule.repeatRule, *berlin),
              (std::vector<Date>{at(2026, 3, 6), at(2026, 3, 16)}));
}

TEST_F(OccurrenceTest, WeekMembershipFollowsTheLocale) {
    // Sunday and Monday every 2 weeks from Wednesday March 4. In en_US the week
    // of the start runs Sunday March 1 to Saturday March 7, so its Sunday and
    // Monday are past; in de_DE it runs Monday March 2 to Sunday March 8.
    const auto us = Calendar::make("Europe/Berlin", "en_US");
    const auto de = Calendar::make("Europe/Berlin", "de_DE");
    const auto schedule = make(at(2026, 3, 4), {{10, 0}}, rule(RepeatUnit::week, 2, {1, 2}));
    struct Row {
        const Calendar& calendar;
        std::vector<Date> next;
    };
    const Row rows[] = {
        {*us, {at(2026, 3, 15, 10), at(2026, 3, 16, 10), at(2026, 3, 29, 10)}},
        {*de, {at(2026, 3, 8, 10), at(2026, 3, 16, 10), at(2026, 3, 22, 10)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.calendar.localeId());
        Date instant = at(2026, 3, 4);
        for (const Date expected : row.next) {
            const auto next = schedule.nextOccurrence(instant, row.calendar);
            ASSERT_EQ(next, expected);
            EXPECT_EQ(schedule.occurrence(expected, row.calendar), expected);
            instant = *next;
        }
    }
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

TEST_F(OccurrenceTest, MonthlyRulesSkipMonthsWithoutTheDay) {
    struct Row {
        int dayOfMonth;
        int interval;
        std::vector<Date> next;  // from 2023-12-31 on, start day 2023-12-01
    };
    const Row rows[] = {
        {31, 1, {at(2024, 1, 31, 7), at(2024, 3, 31, 7), at(2024, 5, 31, 7), at(2024, 7, 31, 7)}},
        {30, 1, {at(2024, 1, 30, 7), at(2024, 3, 30, 7), at(2024, 4, 30, 7)}},
        {29, 1, {at(2024, 1, 29, 7), at(2024, 2, 29, 7), at(2024, 3, 29, 7)}},
        // Every 3 months from December: March, June, September, December.
        {31, 3, {at(2024, 3, 31, 7), at(2024, 12, 31, 7), at(2025, 3, 31, 7)}},
        {30, 3, {at(2024, 3, 30, 7), at(2024, 6, 30, 7), at(2024, 9, 30, 7)}},
        {29, 3, {at(2024, 3, 29, 7), at(2024, 6, 29, 7)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("day " + std::to_string(row.dayOfMonth) + " every " +
                     std::to_string(row.interval));
        const auto schedule = make(at(2023, 12, 1), {{7, 0}},
                                   rule(RepeatUnit::month, row.interval, {}, row.dayOfMonth));
        Date instant = at(2023, 12, 31, 12);
        for (const Date expected : row.next) {
            const auto next = schedule.nextOccurrence(instant, *berlin);
            ASSERT_EQ(next, expected);
            EXPECT_EQ(schedule.occurrence(expected + 86400 * 20, *berlin), expected);
            instant = *next;
        }
    }
    // February 29 comes only in leap years; 2025 has none.
    const auto leapDay = make(at(2024, 1, 1), {{7, 0}}, rule(RepeatUnit::month, 1, {}, 29));
    EXPECT_EQ(leapDay.occurrence(at(2025, 3, 1), *berlin), at(2025, 1, 29, 7));
    EXPECT_EQ(leapDay.nextOccurrence(at(2025, 1, 30), *berlin), at(2025, 3, 29, 7));
}

TEST_F(OccurrenceTest, MonthCountRunsFromTheStartDay) {
    // No day of month: the start day's 15th.
    const auto plain = make(at(2026, 1, 15, 18), {{9, 0}}, rule(RepeatUnit::month, 1));
    EXPECT_EQ(plain.nextOccurrence(at(2026, 1, 16), *berlin), at(2026, 2, 15, 9));
    // The 10th every 2 months from January 15: February 10 is 0 whole months on.
    const auto tenth = make(at(2026, 1, 15), {{9, 0}}, rule(RepeatUnit::month, 2, {}, 10));
    Date instant = at(2026, 1, 1);
    for (const Date expected : {at(2026, 2, 10, 9), at(2026, 4, 10, 9), at(2026, 6, 10, 9)}) {
        const auto next = tenth.nextOccurrence(instant, *berlin);
        ASSERT_EQ(next, expected);
        instant = *next;
    }
    EXPECT_EQ(tenth.occurrence(at(2026, 5, 30), *berlin), at(2026, 4, 10, 9));
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
