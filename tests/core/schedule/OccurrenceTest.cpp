#include "core/base/Calendar.h"
#include "core/schedule/TodoSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
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
};

// The day-by-day cross-check covers ordinary rules; these are the cases its
// random schedules never produce.
TEST_F(OccurrenceTest, FebruaryTwentyNinthOnlyInLeapYears) {
    const TodoSchedule leapDay{at(2024, 1, 1), {{7, 0}}, RepeatRule{1, RepeatUnit::month, {}, 29}};
    EXPECT_EQ(leapDay.nextOccurrence(at(2024, 1, 30), *berlin), at(2024, 2, 29, 7));
    EXPECT_EQ(leapDay.occurrence(at(2025, 3, 1), *berlin), at(2025, 1, 29, 7));
    EXPECT_EQ(leapDay.nextOccurrence(at(2025, 1, 30), *berlin), at(2025, 3, 29, 7));
}

TEST_F(OccurrenceTest, HostileOrEmptyValuesNeitherCrashNorHang) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const Date start = at(2026, 3, 4);
    const std::vector<TodoSchedule> schedules = {
        TodoSchedule{start, {{kMax, kMin}, {9, 0}}, RepeatRule{kMax, RepeatUnit::day, {}, {}}},
        TodoSchedule{
            start, {{9, 0}}, RepeatRule{kMax, RepeatUnit::week, {1, 2, 3, 4, 5, 6, 7}, {}}},
        TodoSchedule{start, {{9, 0}}, RepeatRule{kMax, RepeatUnit::month, {}, kMax}},
        TodoSchedule{start, {{9, 0}}, RepeatRule{1'000'000'007, RepeatUnit::month, {}, 4}},
        TodoSchedule{Date{std::nan("")}, {{9, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}},
        TodoSchedule{Date{-1e18}, {{9, 0}}, std::nullopt},
        TodoSchedule{start, {{9, 0}}, RepeatRule{kMin, RepeatUnit::day, {}, {}}},
        TodoSchedule{start, {}, RepeatRule{1, RepeatUnit::day, {}, {}}},
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
    EXPECT_FALSE(schedules[3].nextOccurrence(at(2026, 3, 5), *berlin));
    EXPECT_EQ(schedules[3].occurrence(at(2030, 3, 5), *berlin), at(2026, 3, 4, 9));
    // An interval below one counts as one; no times never occur.
    EXPECT_EQ(schedules[6].nextOccurrence(at(2026, 3, 5, 12), *berlin), at(2026, 3, 6, 9));
    EXPECT_FALSE(schedules[7].occurrence(at(2030, 1, 1), *berlin));
    EXPECT_FALSE(schedules[7].nextOccurrence(start, *berlin));
}

// Compares occurrence and nextOccurrence with a reference written from the
// rules' plain meaning: walk the calendar day by day from the start day and
// list every occurrence, using only Calendar's own day, week and month
// operations.
// Every occurrence from the start day through `lastDay`, ascending. Days
// and weeks are counted as the walk passes them (a week begins on the
// locale's first weekday); months with Calendar's month count.
std::vector<Date> allOccurrences(const TodoSchedule& schedule, Date lastDay,
                                 const Calendar& calendar) {
    const Date startDay = calendar.startOfDay(schedule.startDate);
    const auto& rule = schedule.repeatRule;
    const std::int64_t step = rule ? std::max<std::int64_t>(1, rule->interval) : 1;
    const int startDom = calendar.day(startDay);
    std::vector<Date> result;
    std::int64_t weeksWalked = 0;
    // Noon is never skipped or repeated, so it marks each day safely.
    Date noon =
        *calendar.compose(calendar.year(startDay), calendar.month(startDay), startDom, 12, 0, 0);
    for (std::int64_t daysWalked = 0; noon <= lastDay; ++daysWalked) {
        const CivilDate date = *calendar.civilDate(noon);
        const int weekday = calendar.weekday(noon);
        bool active = false;
        if (!rule) {
            active = daysWalked == 0;
        } else if (rule->unit == RepeatUnit::day) {
            active = daysWalked % step == 0;
        } else if (rule->unit == RepeatUnit::week) {
            if (daysWalked > 0 && weekday == calendar.firstWeekday()) {
                ++weeksWalked;
            }
            active = rule->weekdays.count(weekday) != 0 && weeksWalked % step == 0;
        } else {
            active = date.day == rule->dayOfMonth.value_or(startDom) &&
                     *calendar.monthsBetween(startDay, calendar.startOfDay(noon)) % step == 0;
        }
        if (active) {
            for (const auto& time : schedule.times) {
                result.push_back(
                    *calendar.compose(date.year, date.month, date.day, time.hour, time.minute, 0));
            }
        }
        noon = *calendar.addDays(noon, 1);
    }
    std::sort(result.begin(), result.end());
    return result;
}

TEST(OccurrenceCrossCheckTest, AgreesWithADayByDayWalk) {
    std::mt19937 random(20260304);
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::unique_ptr<Calendar> calendars[] = {
        Calendar::make("Europe/Berlin", "de_DE"),
        Calendar::make("America/New_York", "en_US"),
        Calendar::make("Australia/Lord_Howe", "en_AU"),
    };
    for (int i = 0; i < 300; ++i) {
        const Calendar& calendar = *calendars[i % 3];
        TodoSchedule schedule;
        schedule.startDate = *calendar.compose(2025, uniform(1, 12), uniform(1, 31), uniform(0, 23),
                                               uniform(0, 59), 0);
        for (int t = uniform(1, 3); t > 0; --t) {
            // Whole and half hours, so that some land in daylight-saving gaps.
            schedule.times.push_back({uniform(0, 23), uniform(0, 1) * 30 + uniform(0, 1) * 15});
        }
        const int kind = i % 4;  // one-off, daily, weekly, monthly
        if (kind > 0) {
            RepeatRule rule;
            rule.unit = static_cast<RepeatUnit>(kind - 1);
            // Intervals below one, weekday numbers outside 1-7 and no weekdays
            // at all are allowed in stored rules.
            rule.interval = uniform(-1, 4);
            for (int weekday = 0; weekday <= 8; ++weekday) {
                if (uniform(0, 2) == 0) {
                    rule.weekdays.insert(weekday);
                }
            }
            if (uniform(0, 1) == 0) {
                rule.dayOfMonth = uniform(1, 31);
            }
            schedule.repeatRule = rule;
        }
        SCOPED_TRACE("schedule " + std::to_string(i) + " in " + calendar.zoneId());
        const Date lastDay = *calendar.compose(2027, 6, 30, 0, 0, 0);
        const Date lastProbe = *calendar.compose(2026, 6, 30, 0, 0, 0);
        const auto reference = allOccurrences(schedule, lastDay, calendar);
        for (int probe = 0; probe < 6; ++probe) {
            // Random instants, and instants on and next to occurrences.
            Date instant =
                *calendar.compose(2024, 12, uniform(1, 570), uniform(0, 23), uniform(0, 59), 0);
            // The reference runs a year past the probes, more than the
            // longest gap between occurrences.
            const auto probeEnd = std::lower_bound(reference.begin(), reference.end(), lastProbe);
            if (probe >= 3 && probeEnd != reference.begin()) {
                const int count = static_cast<int>(probeEnd - reference.begin());
                instant = reference[static_cast<std::size_t>(uniform(0, count - 1))] + (probe - 4);
            }
            std::optional<Date> latest, next;
            const auto upper = std::upper_bound(reference.begin(), reference.end(), instant);
            if (upper != reference.begin()) {
                latest = *(upper - 1);
            }
            if (upper != reference.end()) {
                next = *upper;
            }
            ASSERT_EQ(schedule.occurrence(instant, calendar), latest)
                << "at unix " << instant.toUnix();
            ASSERT_EQ(schedule.nextOccurrence(instant, calendar), next)
                << "after unix " << instant.toUnix();
        }
    }
}

}  // namespace
}  // namespace cadro
